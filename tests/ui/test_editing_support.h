// Drivers for the main window's modal dialogs, a watchdog that fails a test a dialog would hang, a text dump
// of what the window shows, and golden files; shared by the editing and save tests.
#pragma once

#include "ui/author_setting.h"
#include "ui/bcfopen.h"
#include "ui/mainwindow.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace editing_test {

// Runs `action` once on the first modal dialog of type T, in the dialog's own event loop, if one comes up
// while the driver lives. `fired()` tells whether it did.
template <typename T> class ModalDriver {
public:
    explicit ModalDriver(std::function<void(T*)> action) : state_(std::make_shared<State>()) {
        auto* timer = new QTimer();
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
// answered: a test fails instead of hanging. EDITING_TEST_MAIN starts one for the whole run.
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

template <typename T> T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromUtf8(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// Chooses `path` in a file dialog, or cancels it when `path` is empty; `filter` is selected first when given.
// An existing target is overwritten without asking.
inline void chooseFile(QFileDialog* dialog, const QString& path, const QString& filter = {}) {
    if (path.isEmpty())
        return static_cast<QDialog*>(dialog)->reject();
    if (!filter.isEmpty())
        dialog->selectNameFilter(filter);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    // Typed as a user does: selectFile() leaves the name field alone while it has the focus.
    dialog->setDirectory(QFileInfo(path).absolutePath());
    if (auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s))
        name->setText(QFileInfo(path).fileName());
    else
        dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the choice first
}

// Opens the archive at `path` as a user does: open button, "Open", the file in the file dialog.
inline void openArchive(MainWindow& window, const QString& path) {
    ModalDriver<BcfOpen> open([path](BcfOpen* dialog) {
        auto* files = new ModalDriver<QFileDialog>([path](QFileDialog* d) { chooseFile(d, path); });
        QObject::connect(dialog, &QObject::destroyed, [files] { delete files; });
        child<QPushButton>(*dialog, "pbOpen")->click();
    });
    child<QToolButton>(window, "tbOpen")->click();
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

// What the window shows, line by line: labels, commands, issues, comments and documents (rows marked ">"
// selected, "~" editable), snapshots (thumbnail size and colour), the description and the messages (closed).
inline QString visibleState(MainWindow& w) {
    const auto label = [&](const char* name) { return child<QLabel>(w, name)->text(); };
    QStringList out{label("lProject") + QLatin1String(w.hasUnsavedChanges() ? " (unsaved)" : ""),
                    u"link: "_s + label("llink"), u"commands:"_s};
    for (const char* name :
         {"pbNewIssue", "pbNewComment", "pbNewSnapshot", "pbNewDocument", "tbExportReport"})
        out.last() += QLatin1Char(' ') + QString::fromUtf8(name) +
                      QLatin1Char(child<QAbstractButton>(w, name)->isEnabled() ? '+' : '-');
    const auto rows = [&](const char* name) {
        auto* tree = child<QTreeWidget>(w, name);
        for (int r = 0; r < tree->topLevelItemCount(); ++r) {
            const Qt::ItemFlags flags = tree->topLevelItem(r)->flags();
            QStringList cells{QLatin1String(tree->topLevelItem(r)->isSelected() ? ">" : " ") +
                              QLatin1String(flags & Qt::ItemIsEditable ? "~" : " ")};
            for (int c = 0; c < tree->columnCount(); ++c)
                cells.append(tree->topLevelItem(r)->text(c));
            out.append(cells.join(u" | "_s));
        }
    };
    out.append(label("lIssues"));
    rows("twIssues");
    out.append(label("lComments"));
    rows("twComments");
    auto* tabs = child<QTabWidget>(w, "tabWidget");
    auto* snapshots = child<QListWidget>(w, "lwSnapshots");
    out.append(tabs->tabText(0) + u", current %1"_s.arg(snapshots->currentRow()));
    for (int r = 0; r < snapshots->count(); ++r) {
        const QVariant shown = snapshots->model()->data(snapshots->model()->index(r, 0), Qt::DecorationRole);
        const QImage image = shown.canConvert<QPixmap>() && !shown.value<QPixmap>().isNull()
                                 ? shown.value<QPixmap>().toImage()
                                 : shown.value<QIcon>().pixmap(150, 150).toImage();
        out.append(u"  %1x%2 %3"_s.arg(image.width()).arg(image.height()).arg(image.pixelColor(0, 0).name()));
    }
    out.append(tabs->tabText(1));
    rows("twDocuments");
    auto* description = child<QPlainTextEdit>(w, "pteDescription");
    out.append(u"description%1: "_s.arg(QLatin1String(description->isReadOnly() ? " (read-only)" : "")) +
               description->toPlainText());
    return (out + takeMessages(w)).join(QLatin1Char('\n'));
}

// `text` with what changes from run to run masked: GUIDs numbered in order of appearance (the same GUID, the
// same number), today's date-times, the temporary and test archive folders, the login name.
inline QString masked(QString text, const QString& temp) {
    text =
        bcf::test::maskFolders(text, {{temp, u"<tmp>"_s}, {QStringLiteral(BCF_TESTCASES_DIR), u"<cases>"_s}});
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

// Compares `actual` line by line with tests/data/ui_editing/<test function>/<data row>.txt, or writes it
// there when BCF_UPDATE_GOLDEN is set.
inline void compareWithGolden(const QString& actual) {
    QString row = QString::fromUtf8(QTest::currentDataTag());
    row.replace(QRegularExpression(u"[^A-Za-z0-9.]+"_s), u"_"_s);
    const QString difference = bcf::test::goldenDifference(
        bcf::test::dataDir() + u"/ui_editing/"_s + QString::fromUtf8(QTest::currentTestFunction()) +
            QLatin1Char('/') + row + u".txt"_s,
        (actual + QLatin1Char('\n')).toStdString());
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

} // namespace editing_test

// main() of a window test: Qt's own file dialogs, which the tests can drive, and the author "tiv" in settings
// of its own.
#define EDITING_TEST_MAIN(TestClass)                                                                         \
    int main(int argc, char** argv) {                                                                        \
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);                                         \
        QTemporaryDir config; /* the author setting of the tests, never the user's */                        \
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());                                                  \
        QApplication app(argc, argv);                                                                        \
        useEnglish();                                                                                        \
        setAuthorName(u"tiv"_s);                                                                             \
        editing_test::ModalWatchdog watchdog;                                                                \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
