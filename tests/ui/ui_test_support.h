// Helpers of the UI tests: the open dialog and the issue list's combo boxes driven as a user does,
// scripted steps, and the window's whole visible state as text compared with golden files.
#pragma once

#include "codec/archive.h"
#include "codec/model.h"
#include "i18n/language.h"
#include "test_support.h"
#include "ui/author_setting.h"
#include "ui/bcfopen.h"
#include "ui/mainwindow.h"

// The Qt Core, Gui, Widgets and Test module headers, for every test that includes this one.
#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace uitest {

using namespace Qt::StringLiterals;

inline QString testCase(const char* relativePath) {
    return QDir::cleanPath(QStringLiteral(BCF_TESTCASES_DIR "/") + QString::fromUtf8(relativePath));
}

template <typename T> T* child(const QObject* parent, const char* name) {
    return parent->findChild<T*>(QString::fromUtf8(name));
}

// Calls `action` with the active modal widget of type T as soon as there is one, and again later
// while `action` returns false (a dialog that was not ready yet). After five seconds it closes
// whatever modal widget is up, so that a failing test can't hang.
template <typename T> void whenModal(std::function<bool(T*)> action) {
    auto* timer = new QTimer();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* widget = qobject_cast<T*>(modal)) {
            timer->stop(); // while the action runs: it may itself run a modal loop
            if (action(widget))
                return timer->deleteLater();
            timer->start();
        }
        if (clock->elapsed() < 5000)
            return;
        if (modal) { // closed one by one until the modal loops have all ended
            qWarning("closing %s, which did not take the test's input", modal->metaObject()->className());
            modal->close();
        } else {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

// Chooses `path` in a file dialog; false when the dialog did not take it yet.
inline bool chooseFile(QFileDialog* fileDialog, const QString& path) {
    // Typed as a user would: selectFile() leaves the name field alone while it has the focus.
    const QFileInfo file(path);
    fileDialog->setDirectory(file.absolutePath());
    if (auto* name = fileDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(file.fileName());
    else
        fileDialog->selectFile(path);
    static_cast<QDialog*>(fileDialog)->accept(); // QFileDialog::accept is protected
    return !fileDialog->isVisible();
}

// What the user does in the open dialog.
enum class OpenChoice { ChooseFile, CancelFileDialog, CancelOpenDialog };

// Presses the open tool button of `window`, presses "Open" in the dialog and chooses `path` in the
// file dialog (or cancels as `choice` says). Returns when the open command has finished.
inline void openThroughDialog(MainWindow& window, const QString& path,
                              OpenChoice choice = OpenChoice::ChooseFile) {
    whenModal<BcfOpen>([path, choice](BcfOpen* dialog) {
        if (choice == OpenChoice::CancelOpenDialog) {
            dialog->reject();
            return true;
        }
        whenModal<QFileDialog>([path, choice](QFileDialog* fileDialog) {
            if (choice == OpenChoice::CancelFileDialog) {
                fileDialog->reject();
                return true;
            }
            return chooseFile(fileDialog, path);
        });
        child<QPushButton>(dialog, "pbOpen")->click();
        return true;
    });
    child<QToolButton>(&window, "tbOpen")->click();
}

// The error message box the window shows, if any.
inline QMessageBox* errorBox(const MainWindow& window) {
    for (QMessageBox* box : window.findChildren<QMessageBox*>()) {
        if (box->isVisible())
            return box;
    }
    return nullptr;
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

// A tree as text: its header, then a line per row ("> " selected, "- " hidden), cells joined by
// " | ", "*" after a cell with an icon, the row's tooltip in brackets.
inline QStringList treeLines(const QTreeWidget* tree) {
    const auto cells = [tree](const QTreeWidgetItem* item) {
        QStringList texts;
        for (int column = 0; column < tree->columnCount(); ++column)
            texts << item->text(column) + (item->icon(column).isNull() ? u""_s : u"*"_s);
        const QString tip = item->toolTip(0);
        return texts.join(u" | "_s) + (tip.isEmpty() ? tip : u" ["_s + tip + u']');
    };
    QStringList lines{tree->objectName() + u": "_s + cells(tree->headerItem())};
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = tree->topLevelItem(row);
        lines << (item->isSelected() ? u"> "_s : item->isHidden() ? u"- "_s : u"  "_s) + cells(item);
    }
    return lines;
}

// The temporary folder of the steps' files, this process's own.
inline const QTemporaryDir& stepsFolder() {
    static const QTemporaryDir folder;
    return folder;
}

// The questions the window asked the steps of `runSteps`, listed (and forgotten) by `windowDump`.
inline QStringList& askedQuestions() {
    static QStringList asked;
    return asked;
}

// Everything the main window shows, a line per widget or row, the model's counts behind it and
// the questions asked since the last dump.
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
    for (const char* name : {"pbNewIssue", "pbNewSnapshot", "pbNewDocument", "pbNewComment"})
        lines << QString::fromUtf8(name) + (child<QWidget>(&window, name)->isEnabled() ? u""_s : u" off"_s);
    QStringList filters{child<QLineEdit>(&window, "leIssueSearch")->text()};
    for (const char* name :
         {"cbIssueType", "cbIssueStatus", "cbIssueAssignedTo", "cbIssuePriority", "cbIssueStage"})
        filters << child<QComboBox>(&window, name)->currentText();
    lines << u"filters: "_s + filters.join(u" | "_s);
    for (const char* name : {"twIssues", "twComments", "twComponents", "twDocuments"})
        lines << treeLines(child<QTreeWidget>(&window, name));
    // The combo box open over a cell of the issue list: its value, then the values it offers.
    if (auto* box = child<QTreeWidget>(&window, "twIssues")->viewport()->findChild<QComboBox*>()) {
        QStringList values;
        for (int index = 0; index < box->count(); ++index)
            values << box->itemText(index);
        lines << u"combo box: "_s + box->currentText() + u" of "_s + values.join(u", "_s);
    }
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
    if (QMessageBox* box = errorBox(window))
        lines << u"message: "_s + box->text();
    for (const QString& question : std::exchange(askedQuestions(), {}))
        lines << u"asked: "_s + question;
    return lines.join(u'\n') + u'\n';
}

// Rows of a `scenarios` test from tests/data/ui/<program>.steps: per line a name, a tab and steps.
inline void scenarioRows() {
    QTest::addColumn<QString>("steps");
    QFile file(QStringLiteral(BCF_TEST_DATA_DIR "/ui/") + QCoreApplication::applicationName() + u".steps"_s);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#'))
            QTest::newRow(line.section(u'\t', 0, 0).toUtf8().constData()) << line.section(u'\t', 1);
    }
}

// Compares `actual` with the golden file named after the test function and its data row
// (tests/data/ui/<program>/<function>-<row>.txt); BCF_UPDATE_GOLDEN=1 rewrites the file instead.
inline void compareWithGolden(const QString& actual) {
    QString name = QString::fromUtf8(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += u'-' + QString::fromUtf8(QTest::currentDataTag());
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("_"));
    const QString path = QStringLiteral(BCF_TEST_DATA_DIR "/ui/") + QCoreApplication::applicationName() +
                         u'/' + name + u".txt"_s;
    // The time of now, which a new topic or comment carries, is masked.
    QString masked = actual;
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    masked.replace(QRegularExpression(today + QStringLiteral(", \\d\\d:\\d\\d")), QStringLiteral("<now>"));
    // So are the folders of the test archives and the temporary one of the steps.
    masked = bcf::test::maskFolders(masked, {{QStringLiteral(BCF_TESTCASES_DIR), u"<testcases>"_s},
                                             {QStringLiteral(BCF_TEST_DATA_DIR), u"<data>"_s},
                                             {stepsFolder().path(), u"<tmp>"_s}});
    const QString difference = bcf::test::goldenDifference(path, masked.toStdString());
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// Runs `steps`, separated by "; ", on the window as a user would (a step that fails fails the test):
//   "open A": opens the official archive A, tests/data/ui/A for "data/A", or the file at the path A;
//   "show": shows the window and makes it active;
//   "topic N", "comment N", "document N", "snapshot N": selects row N of that view (none if N < 0);
//   "click B", "trigger A": clicks the button B, triggers the action A (as its menu entry does);
//   "delete V": presses the Delete key in the view V;
//   "cancel dialog", "cancel files": cancels the open dialog, or the file dialog it opens;
//   "write N T": writes T over the text of comment N, as an edit in the view does;
//   "label T": chooses the listed label T, or types the new label T and presses Return;
//   "due D": sets the due date D (yyyy-MM-dd); "link L T": activates the link to T of the label L;
//   "reopen": saves the model as 3.0 into a file of `stepsFolder()` through the codec and opens it;
//   "answer T": answers the next question of the window with its button T (it must come);
//   "sort C": clicks the header of column C of the issue list;
//   "search T", "filter F E": types T into the search field (after clearing it), chooses E in filter box F;
//   "combo R C", "choose V": opens the combo box over cell (R, C) of the issue list, chooses V in it;
//   "nocombo R C": clicks cell (R, C), which must open no combo box.
inline void runSteps(MainWindow& window, const QString& steps) {
    auto unanswered = std::make_shared<int>(0);
    auto* issues = child<QTreeWidget>(&window, "twIssues");
    int headerClicks = 0;
    for (const QString& step : steps.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        const QString verb = step.section(u' ', 0, 0), argument = step.section(u' ', 1);
        const QByteArray name = argument.toUtf8();
        const int row = argument.toInt();
        const std::map<QString, const char*> views{{u"topic"_s, "twIssues"},
                                                   {u"comment"_s, "twComments"},
                                                   {u"document"_s, "twDocuments"},
                                                   {u"snapshot"_s, "lwSnapshots"}};
        if (verb == QLatin1String("open")) {
            const bool data = argument.startsWith(QLatin1String("data/"));
            openThroughDialog(window, QDir::isAbsolutePath(argument) ? argument
                                      : data ? QStringLiteral(BCF_TEST_DATA_DIR "/ui/") + argument.mid(5)
                                             : testCase(name));
        } else if (verb == QLatin1String("cancel")) {
            openThroughDialog(window, {},
                              argument == QLatin1String("files") ? OpenChoice::CancelFileDialog
                                                                 : OpenChoice::CancelOpenDialog);
        } else if (verb == QLatin1String("show")) {
            window.show();
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
        } else if (views.count(verb)) {
            auto* view = child<QAbstractItemView>(&window, views.at(verb));
            row < 0 ? view->clearSelection() : view->setCurrentIndex(view->model()->index(row, 0));
        } else if (verb == QLatin1String("sort")) {
            // Apart, so that no two clicks make a double click.
            const QPoint at(issues->header()->sectionViewportPosition(row) + 4 + 10 * headerClicks++, 5);
            QTest::mouseClick(issues->header()->viewport(), Qt::LeftButton, {}, at);
        } else if (verb == QLatin1String("search")) {
            child<QLineEdit>(&window, "leIssueSearch")->clear();
            QTest::keyClicks(child<QLineEdit>(&window, "leIssueSearch"), argument);
        } else if (verb == QLatin1String("filter")) {
            auto* box = child<QComboBox>(&window, argument.section(u' ', 0, 0).toUtf8().constData());
            QVERIFY2(box && box->findText(argument.section(u' ', 1)) >= 0, qPrintable(step));
            box->setCurrentIndex(box->findText(argument.section(u' ', 1)));
        } else if (verb == QLatin1String("combo") || verb == QLatin1String("nocombo")) {
            const bool opened = clickIssueCombo(issues, row, argument.section(u' ', 1).toInt());
            QVERIFY2(opened == (verb == QLatin1String("combo")), qPrintable(step));
        } else if (verb == QLatin1String("choose")) {
            auto* box = issues->viewport()->findChild<QComboBox*>();
            QVERIFY2(box && chooseInCombo(box, argument), qPrintable(step));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        } else if (verb == QLatin1String("write")) {
            child<QTreeWidget>(&window, "twComments")
                ->topLevelItem(row)
                ->setText(0, argument.section(u' ', 1));
        } else if (verb == QLatin1String("label")) {
            auto* labels = child<QComboBox>(&window, "cbLabels");
            if (labels->findText(argument) >= 0) {
                labels->setCurrentIndex(labels->findText(argument));
                emit labels->textActivated(argument);
            } else {
                labels->lineEdit()->setText(argument);
                QTest::keyClick(labels->lineEdit(), Qt::Key_Return);
            }
        } else if (verb == QLatin1String("due")) {
            child<QDateEdit>(&window, "deDueDate")->setDate(QDate::fromString(argument, Qt::ISODate));
        } else if (verb == QLatin1String("link")) {
            auto* label = child<QLabel>(&window, argument.section(u' ', 0, 0).toUtf8().constData());
            const QString target = argument.section(u' ', 1);
            QVERIFY2(label && label->text().contains(u"href=\""_s + target + u'"'), qPrintable(step));
            emit label->linkActivated(target);
        } else if (verb == QLatin1String("reopen")) {
            const QString path = stepsFolder().filePath(QCoreApplication::applicationName() + u".bcf"_s);
            bcf::BcfDocument document = window.document();
            bcf::saveArchive(path.toStdString(), document, bcf::BcfVersion::V3_0);
            openThroughDialog(window, path);
        } else if (verb == QLatin1String("answer")) {
            ++*unanswered;
            whenModal<QMessageBox>([argument, unanswered](QMessageBox* box) {
                if (*unanswered < 0)
                    return true; // the steps are over: the question is another test's
                for (QAbstractButton* button : box->buttons()) {
                    if (button->text() == argument) {
                        askedQuestions() << box->text();
                        --*unanswered;
                        button->click();
                        return true;
                    }
                }
                return false;
            });
        } else if (auto* target = child<QObject>(&window, name.constData())) {
            if (verb == QLatin1String("click"))
                qobject_cast<QAbstractButton*>(target)->click();
            else if (verb == QLatin1String("trigger"))
                qobject_cast<QAction*>(target)->trigger();
            else if (verb == QLatin1String("delete")) {
                qobject_cast<QWidget*>(target)->setFocus();
                QTest::keyClick(qobject_cast<QWidget*>(target), Qt::Key_Delete);
            }
        } else {
            QFAIL(qPrintable(u"no such step: "_s + step));
        }
    }
    const bool answered = *unanswered == 0;
    *unanswered = -1;
    QVERIFY2(answered, "a question the steps answer did not come");
}

} // namespace uitest

// The window in English, whatever the machine's language: the tests compare its texts.
inline void useEnglish() {
    bcf::setLanguage(QLocale(QLocale::English, QLocale::UnitedStates));
}

// main() of a window test: Qt's own file dialogs, which the steps drive, and settings of its own
// (never the user's) with the author "tiv", who signs new records whoever runs the test.
#define UI_TEST_MAIN(TestClass)                                                                              \
    int main(int argc, char** argv) {                                                                        \
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);                                         \
        QTemporaryDir config;                                                                                \
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());                                                  \
        QApplication app(argc, argv);                                                                        \
        useEnglish();                                                                                        \
        setAuthorName(QStringLiteral("tiv"));                                                                \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
