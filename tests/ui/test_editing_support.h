// Drivers for the main window's modal dialogs, shared by the editing and save tests.
#pragma once

#include "ui/author_setting.h"
#include "ui/bcfopen.h"
#include "ui/mainwindow.h"
#include "ui_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <memory>

namespace editing_test {

using uitest::chooseInCombo;
using uitest::clickIssueCombo;

// Watches for a modal dialog of type T and runs an action on it once, in the dialog's own event
// loop. `fired()` tells whether it ever appeared.
template <typename T> class ModalDriver {
public:
    explicit ModalDriver(std::function<void(T*)> action, int timeoutMs = 10000)
        : state_(std::make_shared<State>()) {
        auto* timer = new QTimer();
        timer->setInterval(5);
        auto state = state_;
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        QObject::connect(timer, &QTimer::timeout, timer, [timer, state, clock, action, timeoutMs] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (dialog && !state->cancelled) {
                timer->stop();
                timer->deleteLater();
                state->fired = true;
                action(dialog);
            } else if (state->cancelled || clock->elapsed() > timeoutMs) {
                timer->stop();
                timer->deleteLater();
            }
        });
        timer->start();
        state_->timer = timer;
    }
    ~ModalDriver() { state_->cancelled = true; }
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    bool fired() const { return state_->fired; }

private:
    struct State {
        bool fired = false;
        bool cancelled = false;
        QPointer<QTimer> timer;
    };
    std::shared_ptr<State> state_;
};

template <typename T> T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromUtf8(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// Chooses `path` in a file dialog, or cancels it when `path` is empty; `filter` is selected first
// when given. An existing target is overwritten without asking.
inline void chooseFile(QFileDialog* dialog, const QString& path, const QString& filter = {}) {
    if (path.isEmpty()) {
        static_cast<QDialog*>(dialog)->reject();
        return;
    }
    if (!filter.isEmpty())
        dialog->selectNameFilter(filter);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the choice first
}

// Opens the archive at `path` the way a user does: open button, "Open" in the open dialog, the
// file in the file dialog.
inline void openArchive(MainWindow& window, const QString& path) {
    ModalDriver<BcfOpen> open([path](BcfOpen* dialog) {
        auto* fileDriver =
            new ModalDriver<QFileDialog>([path](QFileDialog* files) { chooseFile(files, path); });
        QObject::connect(dialog, &QObject::destroyed, [fileDriver] { delete fileDriver; });
        child<QPushButton>(*dialog, "pbOpen")->click();
    });
    child<QToolButton>(window, "tbOpen")->click();
}

// Presses the save button and answers the save dialog with `path` under `filter` (cancels for an
// empty path); `proposed` receives the file the dialog proposed. Returns whether it appeared.
inline bool saveArchiveAs(MainWindow& window, const QString& path, const QString& filter = {},
                          QString* proposed = nullptr) {
    ModalDriver<QFileDialog> save([=](QFileDialog* dialog) {
        if (proposed)
            *proposed = dialog->selectedFiles().value(0);
        chooseFile(dialog, path, filter);
    });
    child<QToolButton>(window, "tbSave")->click();
    return save.fired();
}

// Answers the next "Save changes to ...?" with `answer`; a save then goes to `path` under `filter`.
// The file dialog's driver lives as long as the question's action may still need it.
class SaveQuestionDriver {
public:
    SaveQuestionDriver(QMessageBox::StandardButton answer, const QString& path = {},
                       const QString& filter = {})
        : fileDriver_(std::make_shared<std::unique_ptr<ModalDriver<QFileDialog>>>()),
          question_([=, fileDriver = fileDriver_](QMessageBox* box) {
              if (answer == QMessageBox::Save)
                  *fileDriver = std::make_unique<ModalDriver<QFileDialog>>(
                      [=](QFileDialog* dialog) { chooseFile(dialog, path, filter); });
              box->button(answer)->click();
          }) {}
    bool fired() const { return question_.fired(); }

private:
    std::shared_ptr<std::unique_ptr<ModalDriver<QFileDialog>>> fileDriver_;
    ModalDriver<QMessageBox> question_;
};

// Presses "New Document" and answers the file dialog with `path` (cancels for an empty path).
inline bool addDocument(MainWindow& window, const QString& path) {
    ModalDriver<QFileDialog> choose([path](QFileDialog* dialog) { chooseFile(dialog, path); });
    child<QPushButton>(window, "pbNewDocument")->click();
    return choose.fired();
}

// The error message (or the message `name`) the window shows, or null; a shown message is closed
// after its text is taken.
inline QString takeErrorMessage(MainWindow& window, const char* name = "bcfErrorMessage") {
    QMessageBox* box = window.findChild<QMessageBox*>(QString::fromUtf8(name));
    if (!box)
        return {};
    const QString text = box->text();
    box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return text;
}

inline void selectIssue(MainWindow& window, int row) {
    auto* tree = child<QTreeWidget>(window, "twIssues");
    tree->clearSelection();
    if (row >= 0)
        tree->topLevelItem(row)->setSelected(true);
}

} // namespace editing_test

// main() of a window test: the offscreen platform unless another is set, Qt's own file dialogs,
// which the tests can drive, and the author "tiv" in settings of its own.
#define EDITING_TEST_MAIN(TestClass)                                                                         \
    int main(int argc, char** argv) {                                                                        \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                  \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                         \
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);                                         \
        QTemporaryDir config; /* the author setting of the tests, never the user's */                        \
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());                                                  \
        QApplication app(argc, argv);                                                                        \
        setAuthorName(QStringLiteral("tiv"));                                                                \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
