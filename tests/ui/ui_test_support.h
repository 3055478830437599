// Helpers of the window tests: drivers of the window's dialogs, the issue list's combo boxes driven as a
// user does, the window's whole visible state as text and its comparison with golden files.
#pragma once

#include "codec/archive.h"
#include "codec/model.h"
#include "i18n/language.h"
#include "test_support.h"
#include "ui/author_setting.h"
#include "ui/bcfopen.h"
#include "ui/mainwindow.h"
#include "ui/snapshot_viewer.h"

// The Qt Core, Gui, Widgets and Test module headers, for every test that includes this one.
#include <QtTest>
#include <QtWidgets>

#include <clocale>
#include <functional>
#include <map>
#include <memory>

namespace uitest {

using namespace Qt::StringLiterals;

inline QString testCase(const char* relativePath) {
    return QDir::cleanPath(QStringLiteral(BCF_TESTCASES_DIR "/") + QString::fromUtf8(relativePath));
}

// The child of `parent` named `name`; null when there is none.
template <typename T> T* child(const QObject* parent, const char* name) {
    return parent->findChild<T*>(QString::fromUtf8(name));
}

// Runs `action` once on the first modal dialog of type T, in the dialog's own event loop, if one comes up
// while the driver lives. `fired()` tells whether it did.
template <typename T> class ModalDriver {
public:
    explicit ModalDriver(std::function<void(T*)> action) : state_(std::make_shared<State>()) {
        // Owned by the application as well, so that a driver whose timer never fires again before the
        // program ends leaves nothing behind.
        auto* timer = new QTimer(QCoreApplication::instance());
        auto state = state_;
        QObject::connect(timer, &QTimer::timeout, timer, [timer, state, action] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (state->cancelled || dialog) {
                timer->stop(); // before the action, which may run a modal loop of its own
                timer->deleteLater();
            }
            if (dialog && !state->cancelled) {
                state->fired = true;
                action(dialog);
            }
        });
        timer->start(5);
    }
    ~ModalDriver() { state_->cancelled = true; }
    bool fired() const { return state_->fired; }

private:
    struct State {
        bool fired = false, cancelled = false;
    };
    std::shared_ptr<State> state_;
};

// Fails the running test and closes the modal widget when one stays up for two seconds, which no driver
// answered: a test fails instead of hanging. UI_TEST_MAIN starts one for the whole run.
class ModalWatchdog {
public:
    ModalWatchdog() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != seen_) {
                seen_ = modal;
                clock_.start();
            } else if (modal && clock_.elapsed() > 2000 && !modal->inherits("QProgressDialog")) {
                const QByteArray what =
                    QByteArray("no answer to a modal ") + modal->metaObject()->className();
                if (++unanswered_ >
                    3) // a fault that leaves every dialog unanswered: stop before time runs out
                    qFatal("%s", what.constData());
                QTest::qFail(what, __FILE__, __LINE__);
                modal->close();
            }
        });
        timer_.start(50);
    }

private:
    QTimer timer_;
    QPointer<QWidget> seen_;
    QElapsedTimer clock_;
    int unanswered_ = 0;
};

// Chooses `path` in a file dialog, or cancels it when `path` is empty; `filter` is selected first when given.
// An existing target is overwritten without asking.
inline void chooseFile(QFileDialog* dialog, const QString& path, const QString& filter = {}) {
    if (path.isEmpty())
        return static_cast<QDialog*>(dialog)->reject();
    if (!filter.isEmpty())
        dialog->selectNameFilter(filter);
    // Typed as a user does: selectFile() leaves the name field alone while it has the focus.
    dialog->setDirectory(QFileInfo(path).absolutePath());
    if (auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s))
        name->setText(QFileInfo(path).fileName());
    else
        dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the choice first
}

// Opens the archive at `path` as a user does: open button, "Open", the file in the file dialog (cancelled for
// an empty path); `chosen` runs once the file dialog took the file.
inline void openArchive(MainWindow& window, const QString& path, std::function<void()> chosen = {}) {
    ModalDriver<BcfOpen> open([path, chosen](BcfOpen* dialog) {
        auto* files = new ModalDriver<QFileDialog>([path, chosen](QFileDialog* d) {
            chooseFile(d, path);
            if (chosen)
                chosen();
        });
        QObject::connect(dialog, &QObject::destroyed, [files] { delete files; });
        child<QPushButton>(dialog, "pbOpen")->click();
    });
    child<QToolButton>(&window, "tbOpen")->click();
}

// Clicks `button` (or triggers the action) and answers the file dialog it shows with `path` under `filter`
// (cancels for an empty path); `proposed` receives the file the dialog proposed. Returns whether a dialog
// came.
template <typename Command>
inline bool answerFileDialog(Command* command, const QString& path, const QString& filter = {},
                             QString* proposed = nullptr) {
    ModalDriver<QFileDialog> driver([=](QFileDialog* dialog) {
        if (proposed)
            *proposed = dialog->selectedFiles().value(0);
        chooseFile(dialog, path, filter);
    });
    if constexpr (std::is_base_of_v<QAction, Command>)
        command->trigger();
    else
        command->click();
    return driver.fired();
}

// Opens row `row` of the image list `list` in the full-size viewer by a double click (sent as the
// signal: offscreen there is no real one); the viewer, or null.
inline SnapshotViewer* openInViewer(const MainWindow& window, const char* list, int row) {
    auto* view = child<QListWidget>(&window, list);
    emit view->itemDoubleClicked(view->item(row));
    return window.findChild<SnapshotViewer*>(QStringLiteral("snapshotViewer"));
}

// The message box the window shows, if any.
inline QMessageBox* errorBox(const MainWindow& window) {
    for (QMessageBox* box : window.findChildren<QMessageBox*>()) {
        if (box->isVisible())
            return box;
    }
    return nullptr;
}

// The text of every message box the window shows ("name (modality): text"), which are closed.
inline QStringList takeMessages(MainWindow& window) {
    QStringList texts;
    for (QMessageBox* box : window.findChildren<QMessageBox*>()) {
        if (box->isVisible())
            texts.append(box->objectName() +
                         (box->windowModality() == Qt::WindowModal ? u" (window-modal): "_s : u": "_s) +
                         box->text());
        box->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return texts;
}

// Closes the combo box open over a cell of the issue list, if any, as Escape does.
inline void closeIssueCombo(QTreeWidget* issues) {
    if (auto* box = issues->viewport()->findChild<QComboBox*>()) {
        box->hidePopup();
        QTest::keyClick(box, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Clicks the cell (`row`, `column`) of the issue list as the user does and returns the combo box
// that opens over it, its list shown; null when none opens.
inline QComboBox* clickIssueCombo(QTreeWidget* issues, int row, int column) {
    closeIssueCombo(issues);
    QTreeWidgetItem* item = issues->topLevelItem(row);
    issues->scrollToItem(item);
    const QPoint at(issues->header()->sectionViewportPosition(column) + issues->columnWidth(column) / 2,
                    issues->visualItemRect(item).center().y());
    QTest::mouseClick(issues->viewport(), Qt::LeftButton, {}, at);
    auto* box = issues->viewport()->findChild<QComboBox*>();
    return box && (box->count() == 0 || QTest::qWaitFor([box] { return box->view()->isVisible(); }, 2000))
               ? box
               : nullptr;
}

// Chooses `text` in the shown list of `box` with the keyboard; false when it is not offered.
inline bool chooseInCombo(QComboBox* box, const QString& text) {
    const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0 || !box->view()->isVisible())
        return false;
    box->view()->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
    return true;
}

// A combo box as text: its current value, then every value it offers.
inline QString comboLine(const QString& name, const QComboBox* box) {
    QStringList values;
    for (int index = 0; index < box->count(); ++index)
        values << box->itemText(index);
    return name + u": "_s + box->currentText() + u" of "_s + values.join(u", "_s);
}

// A tree as text: its header with the column it is sorted by, then a line per row ("> " selected,
// "- " hidden), cells joined by " | ", "*" after a cell with an icon, the row's tooltip in brackets.
inline QStringList treeLines(const QTreeWidget* tree) {
    const auto cells = [tree](const QTreeWidgetItem* item) {
        QStringList texts;
        for (int column = 0; column < tree->columnCount(); ++column)
            texts << item->text(column) + (item->icon(column).isNull() ? u""_s : u"*"_s);
        const QString tip = item->toolTip(0);
        return texts.join(u" | "_s) + (tip.isEmpty() ? tip : u" ["_s + tip + u']');
    };
    QStringList lines{tree->objectName() + u": "_s + cells(tree->headerItem())};
    const QHeaderView* header = tree->header();
    if (const int sorted = header->sortIndicatorSection();
        header->isSortIndicatorShown() && sorted >= 0 && sorted < tree->columnCount())
        lines[0] +=
            u" (sorted by "_s + tree->headerItem()->text(sorted) +
            (header->sortIndicatorOrder() == Qt::AscendingOrder ? u", ascending)"_s : u", descending)"_s);
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = tree->topLevelItem(row);
        lines << (item->isSelected() ? u"> "_s : item->isHidden() ? u"- "_s : u"  "_s) + cells(item);
    }
    return lines;
}

// Commands as a menu shows them: their texts joined by " | ", each with its shortcut, " off" after one the
// user cannot take.
inline QString commandsLine(const QString& name, const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions) {
        if (action->isSeparator())
            continue;
        // A key shown after a tab in the text is one a window command takes for it.
        QString key = action->text().section(u'\t', 1);
        if (!action->shortcut().isEmpty())
            key = action->shortcut().toString(QKeySequence::PortableText);
        texts << action->text().section(u'\t', 0, 0) + (key.isEmpty() ? u""_s : u" ("_s + key + u')') +
                     (action->isEnabled() ? u""_s : u" off"_s);
    }
    return name + u": "_s + texts.join(u" | "_s);
}

// Everything the main window shows, a line per widget or row, and the model's counts behind it.
inline QString windowDump(const MainWindow& window) {
    QStringList lines;
    for (const char* name :
         {"lProject", "llink", "lIssues", "lComments", "lLabels", "lIfcFiles", "lRelatedTopics",
          "lReferenceLinks", "lDocumentReferences", "lBimSnippet", "lVisibility", "lCamera"})
        lines << QString::fromUtf8(name) + u": "_s + child<QLabel>(&window, name)->text();
    auto* description = child<QPlainTextEdit>(&window, "pteDescription");
    lines << (description->isReadOnly() ? u"read-only "_s : u""_s) + u"pteDescription: "_s +
                 description->toPlainText();
    auto* tabs = child<QTabWidget>(&window, "tabWidget");
    lines << u"tabWidget: "_s + tabs->tabText(0) + u" | "_s + tabs->tabText(1);
    // The due date in ISO form: the date edit's own form follows the machine's locale.
    auto* due = child<QDateEdit>(&window, "deDueDate");
    lines << u"deDueDate: "_s +
                 (due->text() == due->specialValueText() ? due->text() : due->date().toString(Qt::ISODate));
    for (const char* name : {"wTopicDetails", "tbClearDueDate", "pbNewIssue", "pbNewSnapshot",
                             "pbNewDocument", "pbNewComment", "tbExportReport"})
        lines << QString::fromUtf8(name) + (child<QWidget>(&window, name)->isEnabled() ? u""_s : u" off"_s);
    lines << u"leIssueSearch: "_s + child<QLineEdit>(&window, "leIssueSearch")->text();
    for (const char* name :
         {"cbLabels", "cbIssueType", "cbIssueStatus", "cbIssueAssignedTo", "cbIssuePriority", "cbIssueStage"})
        lines << comboLine(QString::fromUtf8(name), child<QComboBox>(&window, name));
    for (const char* name : {"twIssues", "twComments", "twComponents", "twDocuments"})
        lines << treeLines(child<QTreeWidget>(&window, name));
    // The combo box open over a cell of the issue list.
    if (auto* box = child<QTreeWidget>(&window, "twIssues")->viewport()->findChild<QComboBox*>())
        lines << comboLine(u"combo box"_s, box);
    for (const char* name : {"lwSnapshots", "lwBitmaps"}) {
        const auto* list = child<QListWidget>(&window, name);
        lines << QString::fromUtf8(name) + u':';
        for (int row = 0; row < list->count(); ++row) {
            const QListWidgetItem* item = list->item(row);
            const QSize size = item->icon().availableSizes().value(0);
            lines << (item->isSelected() ? u"> "_s : u"  "_s) + item->text() + u' ' +
                         QString::number(size.width()) + u'x' + QString::number(size.height()) + u' ' +
                         item->toolTip();
        }
    }
    QString model = QStringLiteral("model: %1 documents; comments/viewpoints per topic:")
                        .arg(window.bcfData().documents.size());
    for (const bcf::Markup& markup : window.bcfData().markups)
        model += QStringLiteral(" %1/%2").arg(markup.comments.size()).arg(markup.viewPoints.size());
    lines << model;
    // The menus of the menu bar, then the context menus of the views.
    for (const QAction* menu : window.findChild<QMenuBar*>()->actions())
        lines << commandsLine(menu->text(), menu->menu()->actions());
    for (const char* name : {"twIssues", "twComments", "lwSnapshots", "twDocuments"})
        lines << commandsLine(QString::fromUtf8(name), child<QWidget>(&window, name)->actions());
    if (const QString status = window.findChild<QStatusBar*>()->currentMessage(); !status.isEmpty())
        lines << u"status: "_s + status;
    if (const QWidget* focus = QApplication::focusWidget(); focus && window.isVisible())
        lines << u"focus: "_s + (focus->objectName().isEmpty()
                                     ? QString::fromUtf8(focus->metaObject()->className())
                                     : focus->objectName());
    if (QMessageBox* box = errorBox(window))
        lines << u"message: "_s + box->text();
    return lines.join(u'\n') + u'\n';
}

// `text` with what changes from run to run masked: the folders of the test data and `temp`, the login name,
// today's date-times, and GUIDs, numbered in order of appearance (the same GUID, the same number).
inline QString masked(QString text, const QString& temp) {
    text = bcf::test::maskFolders(text, {{QStringLiteral(BCF_TESTCASES_DIR), u"<testcases>"_s},
                                         {QStringLiteral(BCF_TEST_DATA_DIR), u"<data>"_s},
                                         {temp, u"<tmp>"_s}});
    // The login name signs while the author name is blank: masked as a whole cell or author field.
    const QString login = loginName().isEmpty() ? u"(?!)"_s : QRegularExpression::escape(loginName());
    text.replace(QRegularExpression(u"(?<=\\| |Author: )"_s + login + u"(?= \\||$)"_s,
                                    QRegularExpression::MultilineOption),
                 u"<login>"_s);
    const QDate today = QDate::currentDate();
    text.replace(QRegularExpression(QRegularExpression::escape(today.toString(u"dd.MM.yyyy"_s)) +
                                    u", \\d\\d:\\d\\d"_s),
                 u"<now>"_s);
    text.replace(QRegularExpression(today.toString(u"yyyy-MM-dd'T\\d\\d:\\d\\d:\\d\\d'"_s)), u"<now>"_s);
    static const QRegularExpression guid(u"[0-9a-fA-F]{8}(-[0-9a-fA-F]{4}){3}-[0-9a-fA-F]{12}"_s);
    std::map<QString, int> numbers;
    QString result;
    qsizetype at = 0;
    for (const QRegularExpressionMatch& m : guid.globalMatch(text)) {
        const auto [it, added] = numbers.emplace(m.captured().toLower(), int(numbers.size()) + 1);
        result += text.mid(at, m.capturedStart() - at) + u"<g%1>"_s.arg(it->second);
        at = m.capturedEnd();
    }
    return result + text.mid(at);
}

// The folder of this program's scenarios and golden files: tests/data/ui/<program>/.
inline QString goldenFolder() {
    return QStringLiteral(BCF_TEST_DATA_DIR "/ui/") + QCoreApplication::applicationName() + u'/';
}

// Rows of a scenario test from <program>/<test function>.steps: per line a name, a tab and steps.
inline void scenarioRows() {
    QTest::addColumn<QString>("steps");
    QString function = QString::fromUtf8(QTest::currentTestFunction());
    QFile file(goldenFolder() + function.remove(u"_data"_s) + u".steps"_s);
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        if (!line.trimmed().isEmpty() && !line.startsWith(u'#'))
            QTest::newRow(line.section(u'\t', 0, 0).toUtf8().constData()) << line.section(u'\t', 1);
    }
}

// Compares `actual`, masked, with the golden file named after the test function and its data row
// (<program>/<function>_<row>.txt); BCF_UPDATE_GOLDEN=1 rewrites the file instead.
inline void compareWithGolden(const QString& actual, const QString& temp = {}) {
    QString name = QString::fromUtf8(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += u'-' + QString::fromUtf8(QTest::currentDataTag());
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("_"));
    const QString difference =
        bcf::test::goldenDifference(goldenFolder() + name + u".txt"_s, masked(actual, temp).toStdString());
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

} // namespace uitest

// The window in English, whatever the machine's language: the tests compare its texts.
inline void useEnglish() {
    bcf::setLanguage(QLocale(QLocale::English, QLocale::UnitedStates));
}

// main() of a window test: Qt's own file dialogs, which the tests drive, settings of its own (never the
// user's) with the author "tiv", who signs new records whoever runs the test, and a watchdog over dialogs.
#define UI_TEST_MAIN(TestClass)                                                                              \
    int main(int argc, char** argv) {                                                                        \
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);                                         \
        QTemporaryDir config;                                                                                \
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());                                                  \
        QApplication app(argc, argv);                                                                        \
        /* The system's error texts ("Not a directory") in English, as the golden files hold them. */        \
        std::setlocale(LC_MESSAGES, "C");                                                                    \
        useEnglish();                                                                                        \
        setAuthorName(QStringLiteral("tiv"));                                                                \
        uitest::ModalWatchdog watchdog;                                                                      \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
