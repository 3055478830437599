#include "viewer_driver.h"

#include "bcfqtui.h"
#include "host_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <cstdio>
#include <utility>

namespace {

constexpr int pollIntervalMs = 50;
constexpr int dialogTimeoutMs = 10000;
// Time given to the views to load snapshot images and repaint before the screenshot.
constexpr int settleMs = 700;

void print(const QString& text) {
    std::fprintf(stderr, "bcf-host: %s\n", text.toLocal8Bit().constData());
}

} // namespace

ViewerDriver::ViewerDriver(HostWindow& hostWindow, DriverOptions driverOptions)
    : window(hostWindow), options(std::move(driverOptions)) {}

template <class T> T* ViewerDriver::viewerChild(const char* objectName) const {
    BcfQtUi* viewer = window.viewer();
    if (viewer == nullptr) {
        return nullptr;
    }
    return viewer->placeholder->findChild<T*>(QString::fromLatin1(objectName));
}

void ViewerDriver::start() {
    if (!options.archive.isEmpty()) {
        openArchive();
    }
    if (options.selectFirst) {
        selectFirst();
    }
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(settleMs, this, &ViewerDriver::saveScreenshotAndQuit);
    }
}

void ViewerDriver::whenModal(ModalMatch matches, ModalAction act, const QString& what,
                             QDeadlineTimer deadline) {
    QTimer::singleShot(pollIntervalMs, this, [this, matches, act, what, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && matches(modal)) {
            act(modal);
            return;
        }
        if (deadline.hasExpired()) {
            fail(QStringLiteral("%1 did not appear").arg(what));
            // Unwind whatever modal loop is stuck, so that the host does not hang.
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
            return;
        }
        whenModal(matches, act, what, deadline);
    });
}

void ViewerDriver::openArchive() {
    const QFileInfo archive(options.archive);
    if (!archive.isFile()) {
        fail(QStringLiteral("no archive file %1").arg(options.archive));
        return;
    }
    auto* tbOpen = viewerChild<QAbstractButton>("tbOpen");
    if (tbOpen == nullptr) {
        fail(QStringLiteral("the viewer has no open button"));
        return;
    }
    const QString path = archive.absoluteFilePath();
    const auto isOpenDialog = [](QWidget* modal) {
        return modal->findChild<QAbstractButton*>(QStringLiteral("pbOpen")) != nullptr;
    };
    const auto isFileDialog = [](QWidget* modal) { return qobject_cast<QFileDialog*>(modal) != nullptr; };
    const auto chooseFile = [path](QWidget* modal) {
        auto* fileDialog = static_cast<QFileDialog*>(modal);
        if (auto* nameEdit = fileDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            nameEdit->setText(path);
        } else {
            fileDialog->selectFile(path);
        }
        // What the dialog's Open button does; QFileDialog::accept itself is protected.
        static_cast<QDialog*>(fileDialog)->accept();
    };
    whenModal(
        isOpenDialog,
        [this, isFileDialog, chooseFile](QWidget* openDialog) {
            whenModal(isFileDialog, chooseFile, QStringLiteral("the file dialog"),
                      QDeadlineTimer(dialogTimeoutMs));
            // Runs the file dialog in a nested loop; the open dialog closes as accepted afterwards.
            openDialog->findChild<QAbstractButton*>(QStringLiteral("pbOpen"))->click();
        },
        QStringLiteral("the open dialog"), QDeadlineTimer(dialogTimeoutMs));
    // Returns once the open dialog has closed and the viewer has loaded the archive.
    tbOpen->click();

    auto* issues = viewerChild<QTreeWidget>("twIssues");
    if (issues == nullptr || issues->topLevelItemCount() == 0) {
        fail(QStringLiteral("no issues shown after opening %1").arg(path));
    }
}

void ViewerDriver::selectFirst() {
    auto* issues = viewerChild<QTreeWidget>("twIssues");
    if (issues == nullptr || issues->topLevelItemCount() == 0) {
        fail(QStringLiteral("no issue to select"));
        return;
    }
    issues->setCurrentItem(issues->topLevelItem(0));
    auto* snapshots = viewerChild<QListWidget>("lwSnapshots");
    if (snapshots != nullptr && snapshots->count() > 0) {
        snapshots->setCurrentRow(0);
    }
}

void ViewerDriver::saveScreenshotAndQuit() {
    QPixmap shot;
    QScreen* screen = window.screen();
    BcfQtUi* viewer = window.viewer();
    const bool embeddedNatively = viewer != nullptr && viewer->placeholder->windowHandle() != nullptr &&
                                  viewer->placeholder->windowHandle()->parent() != nullptr;
    if (embeddedNatively && screen != nullptr) {
        // What the window system shows: the host window with the viewer's native child window in it.
        shot = screen->grabWindow(window.winId());
    } else {
        // Without native embedding the viewer is a window of its own; draw it where it would sit.
        shot = window.grab();
        if (viewer != nullptr) {
            QPainter painter(&shot);
            const QPoint origin = window.embedArea()->mapTo(&window, QPoint(0, 0));
            painter.drawPixmap(origin, viewer->placeholder->grab());
        }
    }
    if (shot.isNull() || !shot.save(options.screenshot, "PNG")) {
        fail(QStringLiteral("could not save the screenshot to %1").arg(options.screenshot));
    } else {
        print(QStringLiteral("screenshot saved to %1").arg(QFileInfo(options.screenshot).absoluteFilePath()));
    }
    window.close();
    QCoreApplication::exit(failures.isEmpty() ? 0 : 1);
}

void ViewerDriver::fail(const QString& message) {
    failures.append(message);
    print(message);
}
