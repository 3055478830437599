#include "ui/snapshot_viewer.h"

#include "datetime/local_date_time.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPixmap>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.05;
constexpr double kMaxZoom = 16;

QToolButton* addButton(QWidget* parent, QHBoxLayout* row, const char* name, const char* text,
                       const QKeySequence& key) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromUtf8(name));
    const QString shown = QCoreApplication::translate("SnapshotViewer", text);
    button->setText(shown);
    button->setToolTip(shown + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) +
                       QStringLiteral(")"));
    row->addWidget(button);
    auto* shortcut = new QShortcut(key, parent);
    QObject::connect(shortcut, &QShortcut::activated, button, &QToolButton::click);
    return button;
}

} // namespace

SnapshotViewer* SnapshotViewer::of(QWidget* window) {
    return window->findChild<SnapshotViewer*>(QString(), Qt::FindDirectChildrenOnly);
}

void SnapshotViewer::showIn(QWidget* window, std::vector<ViewerImage> images, int current, Source source) {
    auto* viewer = of(window);
    if (!viewer) {
        viewer = new SnapshotViewer(window);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    viewer->source_ = std::move(source);
    viewer->setImages(std::move(images), current);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

SnapshotViewer::SnapshotViewer(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("snapshotViewer"));
    setWindowFlags(Qt::Window);
    resize(1000, 750);

    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout();
    tbPrevious = addButton(this, row, "tbPrevious", QT_TRANSLATE_NOOP("SnapshotViewer", "Previous"),
                           QKeySequence(Qt::Key_Left));
    tbNext = addButton(this, row, "tbNext", QT_TRANSLATE_NOOP("SnapshotViewer", "Next"),
                       QKeySequence(Qt::Key_Right));
    tbFitToWindow = addButton(this, row, "tbFitToWindow",
                              QT_TRANSLATE_NOOP("SnapshotViewer", "Fit to window"), QKeySequence(Qt::Key_F));
    tbFitToWindow->setCheckable(true);
    QToolButton* tbZoomOut = addButton(
        this, row, "tbZoomOut", QT_TRANSLATE_NOOP("SnapshotViewer", "Zoom out"), QKeySequence(Qt::Key_Minus));
    QToolButton* tbZoomIn = addButton(this, row, "tbZoomIn", QT_TRANSLATE_NOOP("SnapshotViewer", "Zoom in"),
                                      QKeySequence(Qt::Key_Plus));
    QToolButton* tbActualSize =
        addButton(this, row, "tbActualSize", QT_TRANSLATE_NOOP("SnapshotViewer", "Actual size"),
                  QKeySequence(Qt::Key_1));
    lPosition = new QLabel(this);
    lPosition->setObjectName(QStringLiteral("lPosition"));
    row->addWidget(lPosition, 1);
    layout->addLayout(row);

    saImage = new QScrollArea(this);
    saImage->setObjectName(QStringLiteral("saImage"));
    saImage->setAlignment(Qt::AlignCenter);
    saImage->setBackgroundRole(QPalette::Dark);
    lImage = new QLabel();
    lImage->setObjectName(QStringLiteral("lImage"));
    lImage->setAlignment(Qt::AlignCenter);
    saImage->setWidget(lImage);
    saImage->viewport()->installEventFilter(this);
    layout->addWidget(saImage, 1);

    connect(tbPrevious, &QToolButton::clicked, this, &SnapshotViewer::showPrevious);
    connect(tbNext, &QToolButton::clicked, this, &SnapshotViewer::showNext);
    connect(tbFitToWindow, &QToolButton::clicked, this, &SnapshotViewer::fitToWindow);
    connect(tbZoomOut, &QToolButton::clicked, this, &SnapshotViewer::zoomOut);
    connect(tbZoomIn, &QToolButton::clicked, this, &SnapshotViewer::zoomIn);
    connect(tbActualSize, &QToolButton::clicked, this, &SnapshotViewer::showActualSize);
}

void SnapshotViewer::setImages(std::vector<ViewerImage> newImages, int index) {
    images = std::move(newImages);
    current = images.empty() ? -1 : std::clamp(index, 0, static_cast<int>(images.size()) - 1);
    showCurrent();
}

void SnapshotViewer::showNext() {
    if (current + 1 < static_cast<int>(images.size())) {
        ++current;
        showCurrent();
    }
}

void SnapshotViewer::showPrevious() {
    if (current > 0) {
        --current;
        showCurrent();
    }
}

void SnapshotViewer::zoomIn() {
    setZoom(zoom * kZoomStep);
}

void SnapshotViewer::zoomOut() {
    setZoom(zoom / kZoomStep);
}

void SnapshotViewer::showActualSize() {
    setZoom(1);
}

void SnapshotViewer::fitToWindow() {
    fit = true;
    render();
}

void SnapshotViewer::setZoom(double factor) {
    fit = false;
    zoom = std::clamp(factor, kMinZoom, kMaxZoom);
    render();
}

void SnapshotViewer::showCurrent() {
    // Each image starts fitted, as a newly opened one would.
    fit = true;
    tbPrevious->setEnabled(current > 0);
    tbNext->setEnabled(current + 1 < static_cast<int>(images.size()));
    render();
}

void SnapshotViewer::render() {
    tbFitToWindow->setChecked(fit);
    if (current < 0) {
        setWindowTitle(tr("Snapshot"));
        lPosition->setText(tr("No image"));
        lImage->clear();
        return;
    }
    const ViewerImage& shown = images[static_cast<std::size_t>(current)];
    setWindowTitle(shown.title);
    // "2 / 5  snapshot.png"
    QString position = tr("%1 / %2  %3")
                           .arg(bcf::localCount(current + 1),
                                bcf::localCount(static_cast<qint64>(images.size())), shown.title);
    if (shown.image.isNull()) {
        lPosition->setText(position);
        lImage->setPixmap(QPixmap());
        lImage->setText(tr("The image can't be read."));
        lImage->adjustSize();
        return;
    }
    if (fit) {
        const QSize room = saImage->maximumViewportSize();
        zoom = std::min(static_cast<double>(room.width()) / shown.image.width(),
                        static_cast<double>(room.height()) / shown.image.height());
        zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    }
    const QSize size(std::max(1, static_cast<int>(std::lround(shown.image.width() * zoom))),
                     std::max(1, static_cast<int>(std::lround(shown.image.height() * zoom))));
    lImage->setPixmap(QPixmap::fromImage(shown.image.scaled(
        size, Qt::IgnoreAspectRatio, zoom < 1 ? Qt::SmoothTransformation : Qt::FastTransformation)));
    lImage->resize(size);
    position += QStringLiteral("  ") + tr("%1 %", "zoom in percent").arg(std::lround(zoom * 100));
    lPosition->setText(position);
}

void SnapshotViewer::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (fit)
        render();
}

bool SnapshotViewer::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl + wheel over the image zooms, as in image viewers; the plain wheel scrolls it.
    if (watched == saImage->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if ((wheel->modifiers() & Qt::ControlModifier) && wheel->angleDelta().y() != 0) {
            wheel->angleDelta().y() > 0 ? zoomIn() : zoomOut();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
