#include "ui/snapshots_view.h"

#include "datetime/local_date_time.h"
#include "ui/bcf_session.h"
#include "ui/edit_commands.h"
#include "ui/model_lookup.h"
#include "ui/snapshot_viewer.h"
#include "ui/topic_selection.h"
#include "ui/utf8_text.h"
#include "ui/viewpoint_link.h"
#include "ui/window_messages.h"
#include "ui_mainwindow.h"

#include "codec/payloads.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>

namespace {

// Side length of a snapshot thumbnail, in pixels.
constexpr int kThumbnailSize = 150;

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

QImage decoded(const std::string& bytes) {
    QImage image;
    image.loadFromData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return image;
}

} // namespace

QImage snapshotThumbnail(const std::string& imageBytes) {
    const QImage image = imageBytes.empty() ? QImage() : decoded(imageBytes);
    if (image.isNull())
        return image;
    return image.scaled(kThumbnailSize, kThumbnailSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

SnapshotsView::SnapshotsView(Ui::MainWindow& ui, BcfSession& session, TopicSelection& selection,
                             WindowMessages& messages, ViewpointLink& link)
    : ui_(ui), session_(session), selection_(selection), messages_(messages), link_(link) {
    // Without this the icon view would draw the thumbnails at the style's small icon size.
    ui.lwSnapshots->setIconSize(QSize(kThumbnailSize, kThumbnailSize));
    connect(ui.lwSnapshots, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = ui_.lwSnapshots->selectedItems();
        selection_.setViewPoint(selected.isEmpty() ? -1 : ui_.lwSnapshots->row(selected.first()));
    });
    connect(ui.lwSnapshots, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        showInModel();
        showFullSize(item);
    });
    connect(ui.pbNewSnapshot, &QAbstractButton::clicked, &link_, &ViewpointLink::addNewSnapshot);
    auto* remove = deleteAction_ = new QAction(tr("Delete snapshot"), ui.lwSnapshots);
    remove->setObjectName(QStringLiteral("actionDeleteSnapshot"));
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    ui.lwSnapshots->addAction(remove);
    ui.lwSnapshots->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(remove, &QAction::triggered, this, &SnapshotsView::deleteSnapshot);
    auto* showIn = showInModelAction_ = new QAction(tr("Show in model"), ui.lwSnapshots);
    showIn->setObjectName(QStringLiteral("actionShowInModel"));
    ui.lwSnapshots->addAction(showIn);
    connect(showIn, &QAction::triggered, this, &SnapshotsView::showInModel);

    connect(&selection_, &TopicSelection::topicChanged, this, [this] {
        show();
        updateCommands();
    });
    connect(&selection_, &TopicSelection::viewPointChanged, this, &SnapshotsView::followSelection);
    connect(&selection_, &TopicSelection::viewPointChanged, this, &SnapshotsView::updateCommands);
    connect(&session_, &BcfSession::documentReset, this, [this] {
        show();
        updateCommands();
    });
    connect(&session_, &BcfSession::viewPointAdded, this, &SnapshotsView::viewPointAdded);
    connect(&session_, &BcfSession::viewPointRemoved, this, [this](int topic, int) {
        if (topic == selection_.topic())
            show();
        followInViewer();
    });
    // The full-size viewer never shows what is no longer there.
    connect(&session_, &BcfSession::topicRemoved, this, &SnapshotsView::followInViewer);
    connect(&session_, &BcfSession::viewPointAdded, this, &SnapshotsView::followInViewer);
    connect(&session_, &BcfSession::documentReset, this, &SnapshotsView::followInViewer);
    updateCommands();
}

SnapshotsView::~SnapshotsView() = default;

void SnapshotsView::show() {
    QListWidget* list = ui_.lwSnapshots;
    {
        const QSignalBlocker blocker(list);
        list->clear();
    }
    const int topic = selection_.topic();
    const bcf::BcfData& data = session_.data();
    const bool shown = topic >= 0 && static_cast<std::size_t>(topic) < data.markups.size();
    const std::size_t count = shown ? data.markups[static_cast<std::size_t>(topic)].viewPoints.size() : 0;
    ui_.tabWidget->setTabText(0, tr("Snapshot (%1)").arg(bcf::localCount(static_cast<qint64>(count))));
    // An image that can't be read or decoded still gets its row, so that rows keep matching
    // viewpoints.
    for (std::size_t i = 0; i < count; ++i)
        list->addItem(makeItem(static_cast<int>(i)));
    followSelection();
}

QListWidgetItem* SnapshotsView::makeItem(int viewPoint) {
    const int topic = selection_.topic();
    auto* item = new QListWidgetItem();
    QString damage;
    try {
        session_.fetchSnapshot(topic, viewPoint);
    } catch (const std::exception& error) {
        damage = QString::fromUtf8(error.what());
    }
    const bcf::Markup& markup = session_.data().markups.at(static_cast<std::size_t>(topic));
    const bcf::ViewPoint& shown = markup.viewPoints.at(static_cast<std::size_t>(viewPoint));
    const QImage thumbnail = snapshotThumbnail(shown.snapshotData);
    if (damage.isEmpty() && !shown.snapshotData.empty() && thumbnail.isNull())
        damage = tr("the image can't be decoded");
    if (!damage.isEmpty()) {
        // The row shows it as damaged and says why; the rest of the topic shows.
        item->setIcon(damagedThumbnail());
        item->setToolTip(tr("Damaged snapshot %1: %2")
                             .arg(fromUtf8(bcf::payloadEntryName(markup, shown.snapshot)), damage));
    } else if (!thumbnail.isNull()) {
        item->setIcon(QIcon(QPixmap::fromImage(thumbnail)));
    }
    // A thumbnail has no text: screen readers read its number and file name, and why it is damaged.
    item->setData(Qt::AccessibleTextRole, tr("Snapshot %1: %2")
                                              .arg(viewPoint + 1)
                                              .arg(fromUtf8(bcf::payloadEntryName(markup, shown.snapshot))));
    if (!damage.isEmpty())
        item->setData(Qt::AccessibleDescriptionRole, item->toolTip());
    return item;
}

void SnapshotsView::viewPointAdded(int topic, int viewPoint) {
    if (topic != selection_.topic())
        return;
    const std::size_t count = session_.data().markups.at(static_cast<std::size_t>(topic)).viewPoints.size();
    if (viewPoint != ui_.lwSnapshots->count() || static_cast<std::size_t>(viewPoint) + 1 != count)
        return show();
    // One row more at the end: the rows there and the selection stay as they are.
    ui_.tabWidget->setTabText(0, tr("Snapshot (%1)").arg(bcf::localCount(static_cast<qint64>(count))));
    ui_.lwSnapshots->addItem(makeItem(viewPoint));
}

void SnapshotsView::followSelection() {
    QListWidget* list = ui_.lwSnapshots;
    const int viewPoint = selection_.viewPoint();
    const QList<QListWidgetItem*> selected = list->selectedItems();
    const int row = selected.isEmpty() ? -1 : list->row(selected.first());
    if (row == viewPoint)
        return;
    if (viewPoint < 0 || viewPoint >= list->count())
        list->clearSelection();
    else
        list->setCurrentRow(viewPoint);
}

void SnapshotsView::showFullSize(QListWidgetItem* item) {
    const int topic = selection_.topic();
    if (topic < 0 || item == nullptr)
        return;
    messages_.run(tr("Showing the snapshot"), QString(), [&] {
        const bcf::Markup& markup = session_.data().markups.at(static_cast<std::size_t>(topic));
        SnapshotViewer::showIn(messages_.window(), viewerImages(markup), ui_.lwSnapshots->row(item),
                               {markup.topic.guid, {}});
    });
}

void SnapshotsView::followInViewer() {
    SnapshotViewer* viewer = SnapshotViewer::of(messages_.window());
    if (!viewer)
        return;
    const bcf::BcfData& data = session_.data();
    const int topic = findTopic(data, viewer->source().topicGuid);
    const bcf::Markup* markup = topic < 0 ? nullptr : &data.markups[static_cast<std::size_t>(topic)];
    if (!markup || (!viewer->source().viewPointGuid.empty() &&
                    viewPointIndex(*markup, viewer->source().viewPointGuid) < 0)) {
        viewer->close();
        return;
    }
    if (viewer->source().viewPointGuid.empty())
        viewer->setImages(viewerImages(*markup), viewer->currentIndex());
}

std::vector<ViewerImage> SnapshotsView::viewerImages(const bcf::Markup& markup) {
    std::vector<ViewerImage> images;
    for (const bcf::ViewPoint& viewPoint : markup.viewPoints)
        images.push_back({fromUtf8(viewPoint.snapshot), decoded(viewPoint.snapshotData)});
    return images;
}

void SnapshotsView::showInModel() {
    const int topic = selection_.topic();
    const int viewPoint = selection_.viewPoint();
    if (topic >= 0 && viewPoint >= 0)
        link_.activate(topic, viewPoint, true);
}

void SnapshotsView::deleteSnapshot() {
    const int topic = selection_.topic();
    const int viewPoint = selection_.viewPoint();
    if (topic < 0 || viewPoint < 0)
        return;
    const bcf::Markup& markup = session_.data().markups.at(static_cast<std::size_t>(topic));
    if (static_cast<std::size_t>(viewPoint) >= markup.viewPoints.size())
        return;
    if (!messages_.confirmDelete(
            tr("Delete the snapshot \u201c%1\u201d with its viewpoint?")
                .arg(fromUtf8(markup.viewPoints[static_cast<std::size_t>(viewPoint)].snapshot))))
        return;
    messages_.run(tr("Deleting the snapshot"), QString(),
                  [&] { session_.push(new DeleteSnapshotCommand(session_, topic, viewPoint)); });
}

void SnapshotsView::updateCommands() {
    ui_.pbNewSnapshot->setEnabled(session_.hasDocument() && selection_.topic() >= 0);
    const bool snapshot = selection_.topic() >= 0 && selection_.viewPoint() >= 0;
    deleteAction_->setEnabled(snapshot);
    showInModelAction_->setEnabled(snapshot);
}
