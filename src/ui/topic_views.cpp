// The views of the selected topic: description, snapshots, viewpoint components and comments.
#include "ui/mainwindow.h"

#include "codec/payloads.h"
#include "ui/components_view.h"
#include "ui/mainwindow_p.h"
#include "ui/slot_guard_p.h"
#include "ui/topic_details.h"

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>
#include <QTreeWidget>

#include <stdexcept>

namespace {

bool isTopicIndex(const bcf::BcfData& bcfData, int topicIndex) {
    return topicIndex >= 0 && static_cast<std::size_t>(topicIndex) < bcfData.markups.size();
}

// Side length of a snapshot thumbnail, in pixels.
constexpr int kThumbnailSize = 150;

QIcon thumbnail(const std::string& imageBytes) {
    const QImage image = snapshotThumbnail(imageBytes);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

} // namespace

QImage snapshotThumbnail(const std::string& imageBytes) {
    QImage image;
    if (imageBytes.empty() ||
        !image.loadFromData(QByteArrayView(imageBytes.data(), static_cast<qsizetype>(imageBytes.size()))))
        return QImage();
    return image.scaled(kThumbnailSize, kThumbnailSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void fillComments(QTreeWidget* twComments, QLabel* lComments, const bcf::BcfData& bcfData, int topicIndex) {
    twComments->clear();
    if (!isTopicIndex(bcfData, topicIndex)) {
        lComments->setText(countText("Comments (", 0));
        return;
    }
    const std::vector<bcf::Comment>& comments = bcfData.markups[topicIndex].comments;
    lComments->setText(countText("Comments (", comments.size()));
    for (const bcf::Comment& comment : comments) {
        // The texts are set before the item joins the tree, so filling emits no itemChanged.
        auto* item = new QTreeWidgetItem();
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setText(0, fromUtf8(comment.comment));
        item->setText(1, fromUtf8(comment.author));
        item->setText(2, fromUtf8(formatDateTime(comment.date)));
        item->setText(3, fromUtf8(comment.modifiedAuthor));
        item->setText(4, fromUtf8(formatDateTime(comment.modifiedDate)));
        if (!comment.viewpoint.empty())
            item->setToolTip(0, QStringLiteral("Refers to viewpoint ") + fromUtf8(comment.viewpoint));
        twComments->addTopLevelItem(item);
    }
}

void fillSnapshots(QListWidget* lwSnapshots, QTabWidget* tabWidget, bcf::BcfData& bcfData, int topicIndex) {
    lwSnapshots->clear();
    if (!isTopicIndex(bcfData, topicIndex)) {
        tabWidget->setTabText(0, countText("Snapshot (", 0));
        return;
    }
    bcf::Markup& markup = bcfData.markups[topicIndex];
    tabWidget->setTabText(0, countText("Snapshot (", markup.viewPoints.size()));
    // Without this the icon view would draw the thumbnails at the style's small icon size.
    lwSnapshots->setIconSize(QSize(kThumbnailSize, kThumbnailSize));

    // An image that can't be read still gets its row, so that rows keep matching viewpoints; the
    // first failure is passed on once the list is complete.
    std::exception_ptr firstFailure;
    for (bcf::ViewPoint& viewPoint : markup.viewPoints) {
        try {
            bcf::fetchSnapshot(markup, viewPoint);
        } catch (...) {
            if (!firstFailure)
                firstFailure = std::current_exception();
        }
        auto* item = new QListWidgetItem();
        if (viewPoint.snapshotLoaded)
            item->setIcon(thumbnail(viewPoint.snapshotData));
        lwSnapshots->addItem(item);
    }
    if (firstFailure)
        std::rethrow_exception(firstFailure);
}

void MainWindow::onTwIssuesItemSelectionChanged() {
    const int topicIndex = d->selectedTopicIndex();
    if (topicIndex < 0)
        return;
    MainWindowUi& ui = *d->ui;
    const bcf::Markup& markup = d->bcfData.markups[topicIndex];
    const QString topicName = fromUtf8(markup.topic.title);
    // Each view is filled on its own, so that a snapshot that can't be read leaves the rest of
    // the topic shown.
    runGuarded(*d, QStringLiteral("Showing the topic"), topicName, [&] {
        ui.pteDescription->setPlainText(fromUtf8(markup.topic.description));
        fillTopicDetails(ui, d->bcfData, topicIndex);
    });
    runGuarded(*d, QStringLiteral("Reading a snapshot image"), topicName,
               [&] { fillSnapshots(ui.lwSnapshots, ui.tabWidget, d->bcfData, topicIndex); });
    runGuarded(*d, QStringLiteral("Showing the comments"), topicName,
               [&] { fillComments(ui.twComments, ui.lComments, d->bcfData, topicIndex); });
}

void MainWindow::onLwSnapshotsItemSelectionChanged() {
    const int topicIndex = d->selectedTopicIndex();
    if (topicIndex < 0)
        return;
    MainWindowUi& ui = *d->ui;
    const QList<QListWidgetItem*> selected = ui.lwSnapshots->selectedItems();
    if (selected.isEmpty())
        return;
    bcf::Markup& markup = d->bcfData.markups[topicIndex];
    const int row = ui.lwSnapshots->row(selected.first());
    if (row < 0 || static_cast<std::size_t>(row) >= markup.viewPoints.size())
        return;
    bcf::ViewPoint& viewPoint = markup.viewPoints[row];

    // Cleared first: a viewpoint that can't be read shows no components rather than another's.
    clearComponentsView(ui);
    runGuarded(*d, QStringLiteral("Reading the viewpoint"),
               fromUtf8(bcf::payloadEntryName(markup, viewPoint.viewpoint)), [&] {
                   bcf::fetchVisualization(markup, viewPoint);
                   fillComponentsView(ui, viewPoint.visualizationInfo);
               });
}

void MainWindow::onTwCommentsItemSelectionChanged() {
    const int topicIndex = d->selectedTopicIndex();
    const QList<QTreeWidgetItem*> selected = d->ui->twComments->selectedItems();
    if (topicIndex < 0 || selected.isEmpty())
        return;
    const bcf::Markup& markup = d->bcfData.markups[static_cast<std::size_t>(topicIndex)];
    const int commentIndex = d->ui->twComments->indexOfTopLevelItem(selected.first());
    if (commentIndex < 0 || static_cast<std::size_t>(commentIndex) >= markup.comments.size())
        return;
    // The comment talks about one viewpoint: its snapshot is selected, which shows its components.
    const int row = viewPointIndex(markup, markup.comments[static_cast<std::size_t>(commentIndex)].viewpoint);
    if (row >= 0 && row != d->ui->lwSnapshots->currentRow())
        d->ui->lwSnapshots->setCurrentRow(row);
}

void MainWindow::onTwCommentItemChanged(QTreeWidgetItem* item, int column) {
    if (column != 0 || item == nullptr)
        return;
    runGuarded(*d, QStringLiteral("Editing the comment"), QString(), [&] {
        const int topicIndex = d->selectedTopicIndex();
        if (topicIndex < 0)
            return;
        std::vector<bcf::Comment>& comments = d->bcfData.markups[topicIndex].comments;
        const int commentIndex = d->ui->twComments->indexOfTopLevelItem(item);
        if (commentIndex < 0 || static_cast<std::size_t>(commentIndex) >= comments.size())
            return;
        comments[commentIndex].comment = item->text(0).toUtf8().toStdString();
    });
}
