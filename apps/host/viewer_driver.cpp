#include "viewer_driver.h"

#include "bcfqtui.h"
#include "host_window.h"
#include "model_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <utility>

namespace {

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
    return viewer->widget()->findChild<T*>(QString::fromLatin1(objectName));
}

void ViewerDriver::start() {
    if (ModelView* model = window.modelView())
        home = model->captureViewpoint();
    if (!options.archive.isEmpty()) {
        openArchive();
    }
    if (options.selectFirst) {
        selectFirst();
    }
    if (options.newSnapshot) {
        newSnapshot();
    }
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(settleMs, this, &ViewerDriver::saveScreenshotAndQuit);
    }
}

void ViewerDriver::openArchive() {
    const QFileInfo archive(options.archive);
    BcfQtUi* viewer = window.viewer();
    if (!archive.isFile()) {
        fail(QStringLiteral("no archive file %1").arg(options.archive));
    } else if (viewer == nullptr || !viewer->open(archive.absoluteFilePath())) {
        fail(QStringLiteral("could not open %1").arg(archive.absoluteFilePath()));
    } else if (viewer->topicGuids().isEmpty()) {
        fail(QStringLiteral("no issues in %1").arg(archive.absoluteFilePath()));
    }
}

void ViewerDriver::selectFirst() {
    BcfQtUi* viewer = window.viewer();
    if (viewer == nullptr || viewer->topicGuids().isEmpty() ||
        !viewer->selectTopic(viewer->topicGuids().first())) {
        fail(QStringLiteral("no issue to select"));
        return;
    }
    // The host API selects topics, not snapshots: a click on the first one, as a user does. Its
    // viewpoint comes back through the API and moves the model view's camera.
    auto* snapshots = viewerChild<QListWidget>("lwSnapshots");
    if (snapshots != nullptr && snapshots->count() > 0) {
        snapshots->setCurrentRow(0);
    }
}

void ViewerDriver::newSnapshot() {
    BcfQtUi* viewer = window.viewer();
    ModelView* model = window.modelView();
    auto* button = viewerChild<QAbstractButton>("pbNewSnapshot");
    auto* snapshots = viewerChild<QListWidget>("lwSnapshots");
    if (viewer == nullptr || viewer->selectedTopicGuid().isEmpty() || button == nullptr ||
        snapshots == nullptr) {
        fail(QStringLiteral("no issue to add a snapshot to"));
        return;
    }
    // The model view's own camera, a component selected, one coloured and one hidden, as a user
    // would set them up before pressing New Snapshot in the viewer.
    const auto& boxes = model->boxes();
    const auto component = [&](std::size_t i) {
        return BcfViewpoint::Component{boxes.at(i).ifcGuid, {}, {}};
    };
    BcfViewpoint view = home;
    view.selection = {component(7)};
    view.coloring = {{QColor(60, 170, 80), {component(5), component(6)}}};
    view.visibilityExceptions = {component(1)};
    model->applyViewpoint(view);
    const int count = snapshots->count();
    button->click();
    if (snapshots->count() != count + 1) {
        fail(QStringLiteral("New Snapshot added no snapshot"));
        return;
    }
    // Cleared first, so that what the model view shows afterwards came back through the viewer.
    model->applyViewpoint(BcfViewpoint());
    snapshots->setCurrentRow(count);
    if (model->selectedGuids() != QStringList{boxes.at(7).ifcGuid}) {
        fail(QStringLiteral("the new snapshot did not come back to the model view"));
    }
}

void ViewerDriver::saveScreenshotAndQuit() {
    QPixmap shot;
    QScreen* screen = window.screen();
    BcfQtUi* viewer = window.viewer();
    const bool embeddedNatively = viewer != nullptr && viewer->widget()->windowHandle() != nullptr &&
                                  viewer->widget()->windowHandle()->parent() != nullptr;
    if (embeddedNatively && screen != nullptr) {
        // What the window system shows: the host window with the viewer's native child window in it.
        shot = screen->grabWindow(window.winId());
    } else {
        // Without native embedding the viewer is a window of its own; draw it where it would sit.
        shot = window.grab();
        if (viewer != nullptr) {
            QPainter painter(&shot);
            const QPoint origin = window.embedArea()->mapTo(&window, QPoint(0, 0));
            painter.drawPixmap(origin, viewer->widget()->grab());
        }
    }
    if (shot.isNull() || !shot.save(options.screenshot, "PNG")) {
        fail(QStringLiteral("could not save the screenshot to %1").arg(options.screenshot));
    } else {
        print(QStringLiteral("screenshot saved to %1").arg(QFileInfo(options.screenshot).absoluteFilePath()));
    }
    // Not through the window's close, which would ask about the snapshot the driver added: the
    // window releases the viewer as it goes.
    QCoreApplication::exit(failures.isEmpty() ? 0 : 1);
}

void ViewerDriver::fail(const QString& message) {
    failures.append(message);
    print(message);
}
