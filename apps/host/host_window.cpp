#include "host_window.h"

#include "bcfqtui.h"
#include "model_view.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
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
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open BCF archive\u2026"), this, &HostWindow::openArchive);
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    QMenu* modelMenu = menuBar()->addMenu(tr("&Model"));
    addView = modelMenu->addAction(tr("&Add this view to the issue"), this, &HostWindow::addViewToIssue);
    addView->setEnabled(false);
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
    connectViewer(area->viewer());
    updateTitle();
}

void HostWindow::connectViewer(BcfQtUi* view) {
    // New Snapshot in the viewer stores what the model view shows; a snapshot the user picks there
    // sets the model view up as it was, and components picked there are selected here.
    view->setViewpointProvider([this] { return model->captureViewpoint(); });
    connect(view, &BcfQtUi::viewpointActivated, model, &ModelView::applyViewpoint);
    connect(view, &BcfQtUi::componentsSelected, model, &ModelView::selectComponents);
    connect(view, &BcfQtUi::currentFileChanged, this, &HostWindow::updateTitle);
    connect(view, &BcfQtUi::unsavedChangesChanged, this, &HostWindow::updateTitle);
    connect(view, &BcfQtUi::selectedTopicChanged, this, [this](const QString& guid) {
        addView->setEnabled(!guid.isEmpty());
        statusBar()->showMessage(guid.isEmpty() ? QString() : tr("Issue %1").arg(guid));
    });
}

void HostWindow::openArchive() {
    BcfQtUi* view = viewer();
    if (view == nullptr)
        return;
    const QString path = QFileDialog::getOpenFileName(this, tr("Open BCF archive"), QString(),
                                                      tr("BCF archives (*.bcf *.bcfzip)"));
    if (!path.isEmpty())
        view->open(path);
}

void HostWindow::addViewToIssue() {
    if (BcfQtUi* view = viewer())
        view->addViewpoint(model->captureViewpoint());
}

void HostWindow::updateTitle() {
    BcfQtUi* view = viewer();
    const QString file = view != nullptr ? QFileInfo(view->currentFile()).fileName() : QString();
    const QString unsaved = view != nullptr && view->hasUnsavedChanges() ? QStringLiteral("*") : QString();
    setWindowTitle(file.isEmpty() ? tr("BCF host") + unsaved : tr("%1%2 \u2013 BCF host").arg(file, unsaved));
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
