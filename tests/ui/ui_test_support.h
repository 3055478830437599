// Helpers of the UI tests: driving the modal open dialog and its file dialog from timers.
#pragma once

#include "codec/model.h"
#include "ui/bcfopen.h"
#include "ui/mainwindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

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
    return box && (box->count() == 0 || QTest::qWaitFor([box] { return box->view()->isVisible(); }))
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

} // namespace uitest
