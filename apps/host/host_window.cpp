#include "host_window.h"

#include "bcfqtui.h"
#include "model_view.h"

#include <QCloseEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QResizeEvent>
#include <QSplitter>
#include <QStatusBar>

#include <algorithm>

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

HostWindow::HostWindow() : model(new ModelView), area(new EmbedArea) {
    setWindowTitle(QStringLiteral("BCF host"));
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    // The model view on the left, as a BIM application shows its model beside the issues.
    auto* splitter = new QSplitter;
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(model);
    splitter->addWidget(area);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({560, 840});
    setCentralWidget(splitter);
    statusBar()->showMessage(tr("Click a component of the model to select it"));
    connect(model, &ModelView::selectionChanged, this, [this] {
        QStringList names;
        for (const QString& guid : model->selectedGuids()) {
            const auto& boxes = model->boxes();
            const auto box = std::find_if(boxes.begin(), boxes.end(),
                                          [&](const ModelView::Box& b) { return b.ifcGuid == guid; });
            names.append(box != boxes.end() ? QStringLiteral("%1 (%2)").arg(box->name, guid) : guid);
        }
        statusBar()->showMessage(names.isEmpty() ? QString()
                                                 : tr("Selected: %1").arg(names.join(QStringLiteral(", "))));
    });
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
