#include "host_window.h"

#include "bcfqtui.h"

#include <QCloseEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QResizeEvent>

EmbedArea::EmbedArea(QWidget* parent) : QWidget(parent) {
    // The viewer is parented to a native window, so this widget must have one of its own.
    setAttribute(Qt::WA_NativeWindow);
    setMinimumSize(320, 240);
}

EmbedArea::~EmbedArea() = default;

void EmbedArea::embedViewer() {
    if (viewer_) {
        return;
    }
    viewer_ = std::make_unique<BcfQtUi>(winId());
    viewer_->resize(width(), height());
}

void EmbedArea::releaseViewer() {
    viewer_.reset();
}

void EmbedArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (viewer_) {
        viewer_->resize(event->size().width(), event->size().height());
    }
}

HostWindow::HostWindow() : area(new EmbedArea) {
    setWindowTitle(QStringLiteral("BCF host"));
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    setCentralWidget(area);
    resize(1400, 900);
    area->embedViewer();
}

// The viewer's native window is a child of ours: it has to go while our native window still exists.
HostWindow::~HostWindow() {
    area->releaseViewer();
}

BcfQtUi* HostWindow::viewer() const {
    return area->viewer();
}

void HostWindow::closeEvent(QCloseEvent* event) {
    // Destroying the view would drop its unsaved edits: the user decides first.
    BcfQtUi* view = viewer();
    if (view != nullptr && view->hasUnsavedChanges()) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            this, windowTitle(), tr("Save changes to the BCF archive?"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !view->save())) {
            event->ignore();
            return;
        }
    }
    area->releaseViewer();
    QMainWindow::closeEvent(event);
}
