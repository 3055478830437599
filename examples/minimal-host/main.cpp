// A Qt 6 Widgets application that embeds the BCF issue viewer in the central area of its window.
// Usage: minimal-bcf-host [MILLISECONDS]; given a time, it quits after it, with status 0 only if the
// viewer is shown.
#include <bcfqtui.h>

#include <QApplication>
#include <QMainWindow>
#include <QResizeEvent>
#include <QTimer>

#include <memory>

// The part of the host window that the viewer fills; it passes every size change on.
class ViewerArea : public QWidget {
public:
    explicit ViewerArea(QWidget* parent) : QWidget(parent) {
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

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* area = new ViewerArea(&window);
    window.setCentralWidget(area);
    window.resize(1024, 768);
    window.show();

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        QTimer::singleShot(arguments.at(1).toInt(), &app,
                           [area] { QApplication::exit(area->viewer->placeholder->isVisible() ? 0 : 1); });
    }
    return QApplication::exec();
}
