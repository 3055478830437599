// Full-size images of the main window: a topic's snapshots and a viewpoint's bitmaps, shown in
// the window's one image viewer.
#include "ui/mainwindow.h"
#include "ui/mainwindow_p.h"
#include "ui/slot_guard_p.h"

#include "codec/payloads.h"

#include <QListWidget>

namespace {

QImage decoded(const std::string& bytes) {
    QImage image;
    image.loadFromData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return image;
}

} // namespace

void MainWindowPrivate::showImages(std::vector<ViewerImage> images, int current) {
    // One viewer per window, reused: a second double-click replaces what it shows.
    if (!snapshotViewer) {
        snapshotViewer = new SnapshotViewer(q);
        snapshotViewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    snapshotViewer->setImages(std::move(images), current);
    snapshotViewer->show();
    snapshotViewer->raise();
    snapshotViewer->activateWindow();
}

void MainWindow::onLwSnapshotsItemDoubleClicked(QListWidgetItem* item) {
    const int topicIndex = d->selectedTopicIndex();
    if (topicIndex < 0 || item == nullptr)
        return;
    runGuarded(*d, QStringLiteral("Showing the snapshot"), QString(), [&] {
        const bcf::Markup& markup = d->bcfData.markups[static_cast<std::size_t>(topicIndex)];
        std::vector<ViewerImage> images;
        for (const bcf::ViewPoint& viewPoint : markup.viewPoints)
            images.push_back({fromUtf8(viewPoint.snapshot), decoded(viewPoint.snapshotData)});
        d->showImages(std::move(images), d->ui->lwSnapshots->row(item));
    });
}

void MainWindow::onLwBitmapsItemDoubleClicked(QListWidgetItem* item) {
    const int topicIndex = d->selectedTopicIndex();
    const int snapshotRow = d->ui->lwSnapshots->currentRow();
    if (topicIndex < 0 || item == nullptr)
        return;
    bcf::Markup& markup = d->bcfData.markups[static_cast<std::size_t>(topicIndex)];
    if (snapshotRow < 0 || static_cast<std::size_t>(snapshotRow) >= markup.viewPoints.size())
        return;
    auto& bitmaps = markup.viewPoints[static_cast<std::size_t>(snapshotRow)].visualizationInfo.bitmaps;
    if (!bitmaps)
        return;
    runGuarded(*d, QStringLiteral("Showing the bitmap"), item->text(), [&] {
        std::vector<ViewerImage> images;
        for (bcf::Bitmap& bitmap : *bitmaps) {
            // A bitmap that can't be read is shown as such; the others still show.
            try {
                bcf::fetchBitmap(*d->document.archive, markup, bitmap);
            } catch (const std::exception&) {
            }
            images.push_back({fromUtf8(bitmap.reference), decoded(bitmap.data)});
        }
        d->showImages(std::move(images), d->ui->lwBitmaps->row(item));
    });
}
