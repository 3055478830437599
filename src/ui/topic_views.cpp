// The views of the selected topic: description, snapshots, viewpoint components and comments.
#include "ui/mainwindow.h"

#include "codec/payloads.h"
#include "ui/author_setting.h"
#include "ui/components_view.h"
#include "ui/issue_editing.h"
#include "ui/mainwindow_p.h"
#include "ui/records.h"
#include "ui/slot_guard_p.h"
#include "ui/topic_details.h"

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
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

// The thumbnail of a snapshot image that can't be read: a grey square crossed out in red.
QIcon damagedThumbnail() {
    QPixmap pixmap(kThumbnailSize, kThumbnailSize);
    pixmap.fill(QColor(224, 224, 224));
    QPainter painter(&pixmap);
    painter.setPen(QPen(QColor(200, 0, 0), 6));
    painter.drawLine(20, 20, kThumbnailSize - 20, kThumbnailSize - 20);
    painter.drawLine(kThumbnailSize - 20, 20, 20, kThumbnailSize - 20);
    return QIcon(pixmap);
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

void fillSnapshots(QListWidget* lwSnapshots, QTabWidget* tabWidget, bcf::BcfDocument& document,
                   int topicIndex) {
    bcf::BcfData& bcfData = document.data;
    lwSnapshots->clear();
    if (!isTopicIndex(bcfData, topicIndex)) {
        tabWidget->setTabText(0, countText("Snapshot (", 0));
        return;
    }
    bcf::Markup& markup = bcfData.markups[topicIndex];
    tabWidget->setTabText(0, countText("Snapshot (", markup.viewPoints.size()));
    // Without this the icon view would draw the thumbnails at the style's small icon size.
    lwSnapshots->setIconSize(QSize(kThumbnailSize, kThumbnailSize));

    // An image that can't be read or decoded still gets its row, so that rows keep matching
    // viewpoints; the row shows it as damaged and says why, and the rest of the topic shows.
    for (bcf::ViewPoint& viewPoint : markup.viewPoints) {
        auto* item = new QListWidgetItem();
        QString damage;
        try {
            bcf::fetchSnapshot(*document.archive, markup, viewPoint);
            if (!viewPoint.snapshotData.empty() && snapshotThumbnail(viewPoint.snapshotData).isNull())
                damage = QStringLiteral("the image can't be decoded");
        } catch (const std::exception& error) {
            damage = QString::fromUtf8(error.what());
        }
        if (!damage.isEmpty()) {
            item->setIcon(damagedThumbnail());
            item->setToolTip(QStringLiteral("Damaged snapshot ") +
                             fromUtf8(bcf::payloadEntryName(markup, viewPoint.snapshot)) +
                             QStringLiteral(": ") + damage);
        } else if (viewPoint.snapshotLoaded) {
            item->setIcon(thumbnail(viewPoint.snapshotData));
        }
        lwSnapshots->addItem(item);
    }
}

void MainWindowPrivate::showSelectedTopic() {
    const int topicIndex = selectedTopicIndex();
    // The components belong to a snapshot of the topic shown before.
    clearComponentsView(*ui);
    {
        // Showing a topic's description is no edit of it.
        const QSignalBlocker blocker(ui->pteDescription);
        ui->pteDescription->setPlainText(
            topicIndex < 0 ? QString() : fromUtf8(bcfData.markups[topicIndex].topic.description));
    }
    updateTopicCommands();
    // Each view is filled on its own, so that one that fails leaves the rest of the topic shown.
    const QString topicName = topicIndex < 0 ? QString() : fromUtf8(bcfData.markups[topicIndex].topic.title);
    runGuarded(*this, QStringLiteral("Showing the topic"), topicName,
               [&] { fillTopicDetails(*ui, bcfData, topicIndex); });
    runGuarded(*this, QStringLiteral("Showing the snapshots"), topicName,
               [&] { fillSnapshots(ui->lwSnapshots, ui->tabWidget, document, topicIndex); });
    runGuarded(*this, QStringLiteral("Showing the comments"), topicName,
               [&] { fillComments(ui->twComments, ui->lComments, bcfData, topicIndex); });
}

void MainWindow::onTwIssuesItemSelectionChanged() {
    d->showSelectedTopic();
}

void MainWindow::onLwSnapshotsItemSelectionChanged() {
    MainWindowUi& ui = *d->ui;
    // Cleared first: no snapshot, or one whose viewpoint can't be read, shows no components.
    clearComponentsView(ui);
    const int topicIndex = d->selectedTopicIndex();
    if (topicIndex < 0)
        return;
    const QList<QListWidgetItem*> selected = ui.lwSnapshots->selectedItems();
    if (selected.isEmpty())
        return;
    bcf::Markup& markup = d->bcfData.markups[topicIndex];
    const int row = ui.lwSnapshots->row(selected.first());
    if (row < 0 || static_cast<std::size_t>(row) >= markup.viewPoints.size())
        return;
    bcf::ViewPoint& viewPoint = markup.viewPoints[row];

    runGuarded(*d, QStringLiteral("Reading the viewpoint"),
               fromUtf8(bcf::payloadEntryName(markup, viewPoint.viewpoint)), [&] {
                   bcf::fetchVisualization(*d->document.archive, markup, viewPoint);
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
        bcf::Comment& comment = comments[commentIndex];
        const std::string text = item->text(0).toUtf8().toStdString();
        if (comment.comment == text)
            return;
        comment.comment = text;
        // Signed like every edit; the row shows who and when.
        comment.modifiedDate = currentTimestampText();
        comment.modifiedAuthor = authorName().toUtf8().toStdString();
        const QSignalBlocker blocker(d->ui->twComments);
        item->setText(3, fromUtf8(comment.modifiedAuthor));
        item->setText(4, fromUtf8(formatDateTime(comment.modifiedDate)));
        d->markModified();
    });
}

void MainWindow::onPteDescriptionTextChanged() {
    runGuarded(*d, QStringLiteral("Editing the description"), QString(), [this] {
        const int topicIndex = d->selectedTopicIndex();
        if (topicIndex < 0)
            return;
        bcf::Topic& topic = d->bcfData.markups[topicIndex].topic;
        if (!applyDescriptionEdit(topic, d->ui->pteDescription->toPlainText().toUtf8().toStdString(),
                                  currentTimestampText(), authorName().toUtf8().toStdString()))
            return;
        if (QTreeWidgetItem* row = d->issueItem(topicIndex)) {
            row->setText(IssueDateModifiedColumn, fromUtf8(formatDateTime(topic.modifiedDate.value_or(""))));
            row->setText(IssueModifiedByColumn, fromUtf8(topic.modifiedAuthor));
        }
        d->markModified();
    });
}
