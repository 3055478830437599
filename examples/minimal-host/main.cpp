// A Qt 6 Widgets application that embeds the BCF issue viewer beside a "model view" of its own and
// talks to it through the host API: the viewer's New Snapshot stores what the model view shows, a
// snapshot chosen in the viewer is shown in the model view, and the window title and status bar
// follow the viewer's file, unsaved changes and selected issue.
//
// Usage: minimal-bcf-host [MILLISECONDS [ARCHIVE]]. Given a time, it quits after it, with status 0
// only if the viewer is shown (and, given an archive, opened it and stored a snapshot of the model
// view in its first issue).
#include <bcfqtui.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QResizeEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>

#include <memory>

// The part of the host window that the viewer fills; it passes every size change on.
class ViewerArea : public QWidget {
public:
    explicit ViewerArea(QWidget* parent = nullptr) : QWidget(parent) {
        setAttribute(Qt::WA_NativeWindow);
        viewer = std::make_unique<BcfQtUi>(winId());
    }

    // Destroyed before the QWidget base, so the viewer goes before the native window does.
    std::unique_ptr<BcfQtUi> viewer;

protected:
    void resizeEvent(QResizeEvent* event) override {
        viewer->resize(event->size().width(), event->size().height());
    }
};

// Stands in for a BIM application's 3D view: it shows which camera it was given, and draws itself
// as the snapshot image.
class ModelView : public QLabel {
public:
    ModelView() {
        setAlignment(Qt::AlignCenter);
        setMinimumWidth(240);
        camera.projection = BcfViewpoint::Projection::Perspective;
        camera.position = {10, -10, 5};
        camera.direction = {-1, 1, -0.5};
        camera.up = {0, 0, 1};
        camera.fieldOfView = 60;
        showCamera();
    }

    // What the view shows now, as the viewer stores it for a new snapshot.
    BcfViewpoint current() {
        BcfViewpoint viewpoint;
        viewpoint.camera = camera;
        viewpoint.camera.aspectRatio = double(width()) / qMax(1, height());
        viewpoint.snapshot = grab().toImage();
        return viewpoint;
    }

    // Takes the camera of a viewpoint chosen in the viewer (a pasted image has none).
    void showViewpoint(const BcfViewpoint& viewpoint) {
        if (viewpoint.camera.projection != BcfViewpoint::Projection::None)
            camera = viewpoint.camera;
        showCamera();
    }

private:
    void showCamera() {
        setText(QStringLiteral("Model view\ncamera at %1, %2, %3")
                    .arg(camera.position.x)
                    .arg(camera.position.y)
                    .arg(camera.position.z));
    }

    BcfViewpoint::Camera camera;
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* splitter = new QSplitter(&window);
    auto* model = new ModelView;
    auto* area = new ViewerArea;
    splitter->addWidget(model);
    splitter->addWidget(area);
    window.setCentralWidget(splitter);
    window.resize(1280, 768);

    BcfQtUi* viewer = area->viewer.get();
    viewer->setViewpointProvider([model] { return model->current(); });
    QObject::connect(viewer, &BcfQtUi::viewpointActivated, model, &ModelView::showViewpoint);
    const auto updateTitle = [&window, viewer] {
        const QString name = QFileInfo(viewer->currentFile()).fileName();
        window.setWindowTitle((name.isEmpty() ? QStringLiteral("New archive") : name) +
                              (viewer->hasUnsavedChanges() ? QStringLiteral("*") : QString()) +
                              QStringLiteral(" - Minimal BCF host"));
    };
    QObject::connect(viewer, &BcfQtUi::currentFileChanged, &window, updateTitle);
    QObject::connect(viewer, &BcfQtUi::unsavedChangesChanged, &window, updateTitle);
    QObject::connect(viewer, &BcfQtUi::selectedTopicChanged, &window, [&window](const QString& guid) {
        window.statusBar()->showMessage(guid.isEmpty() ? QString() : QStringLiteral("Issue ") + guid);
    });
    updateTitle();
    window.show();

    const QStringList arguments = QApplication::arguments();
    bool stored = true;
    if (arguments.size() > 2) {
        // What a user does: open an archive, pick an issue, press New Snapshot.
        const QStringList topics = viewer->open(arguments.at(2)) ? viewer->topicGuids() : QStringList();
        stored = !topics.isEmpty() && viewer->selectTopic(topics.first()) &&
                 viewer->addViewpoint(model->current()) && viewer->hasUnsavedChanges();
    }
    if (arguments.size() > 1) {
        QTimer::singleShot(arguments.at(1).toInt(), &app, [viewer, stored] {
            QApplication::exit(viewer->widget()->isVisible() && stored ? 0 : 1);
        });
    }
    const int status = QApplication::exec();
    // Unsaved changes would be asked about here (viewer->save()); this example drops them.
    return status;
}
