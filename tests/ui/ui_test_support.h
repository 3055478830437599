// Helpers of the UI tests: driving the modal open dialog and its file dialog from timers.
#pragma once

#include "codec/model.h"
#include "ui/bcfopen.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

namespace uitest {

inline QString testCase(const char* relativePath) {
    return QDir::cleanPath(QStringLiteral(BCF_TESTCASES_DIR "/") + QString::fromUtf8(relativePath));
}

template <typename T> T* child(const QObject* parent, const char* name) {
    return parent->findChild<T*>(QString::fromUtf8(name));
}

// Calls `action` with the active modal widget of type T as soon as there is one, and again later
// while `action` returns false (a dialog that was not ready yet). Gives up after a few seconds,
// closing whatever modal widget is up, so that a failing test can't hang.
template <typename T> void whenModal(std::function<bool(T*)> action) {
    auto* timer = new QTimer();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action] {
        if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
            // Stopped while the action runs: it may itself run a modal loop.
            timer->stop();
            if (action(widget)) {
                timer->deleteLater();
            } else if (clock->elapsed() > 5000) {
                qWarning("closing %s, which did not take the test's input",
                         widget->metaObject()->className());
                widget->close();
                timer->deleteLater();
            } else {
                timer->start();
            }
        } else if (clock->elapsed() > 5000) {
            // Keeps closing what is up until the modal loops have all ended.
            if (QWidget* modal = QApplication::activeModalWidget()) {
                qWarning("closing unexpected modal widget %s", modal->metaObject()->className());
                modal->close();
            } else {
                timer->stop();
                timer->deleteLater();
            }
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

// Closes every error message box of the window.
inline void closeErrorBoxes(const MainWindow& window) {
    for (QMessageBox* box : window.findChildren<QMessageBox*>())
        box->close();
    QApplication::processEvents();
}

} // namespace uitest
