#include "ui/snapshot_import.h"

#include "ui/bcf_session.h"
#include "ui/records.h"
#include "ui/topic_selection.h"
#include "ui/viewpoint_link.h"
#include "ui/window_messages.h"

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImageReader>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

namespace {

// The local image files among the URLs of `mime`, judged by their contents, not their names.
QStringList imageFiles(const QMimeData* mime) {
    QStringList files;
    if (!mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && !QImageReader::imageFormat(url.toLocalFile()).isEmpty())
            files.append(url.toLocalFile());
    }
    return files;
}

} // namespace

QList<QImage> imagesIn(const QMimeData* mime) {
    QList<QImage> images;
    if (mime == nullptr)
        return images;
    if (mime->hasImage()) {
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        if (!image.isNull())
            images.append(image);
        return images;
    }
    for (const QString& file : imageFiles(mime)) {
        QImageReader reader(file);
        reader.setAutoTransform(true); // a photo shows as it was taken, not as its sensor lies
        const QImage image = reader.read();
        if (!image.isNull())
            images.append(image);
    }
    return images;
}

SnapshotImport::SnapshotImport(QListWidget* list, QWidget* window, BcfSession& session,
                               TopicSelection& selection, WindowMessages& messages, ViewpointLink& link)
    : list_(list), session_(session), selection_(selection), messages_(messages), link_(link) {
    list_->viewport()->setAcceptDrops(true);
    list_->viewport()->installEventFilter(this);
    auto* paste = new QAction(tr("Paste snapshot"), window);
    paste->setObjectName(QStringLiteral("actionPasteSnapshot"));
    paste->setShortcuts(QKeySequence::Paste);
    paste->setShortcutContext(Qt::WindowShortcut);
    window->addAction(paste);
    list_->addAction(paste);
    connect(paste, &QAction::triggered, this, &SnapshotImport::paste);
}

SnapshotImport::~SnapshotImport() = default;

int SnapshotImport::addImages(const QMimeData* mime) {
    int added = 0;
    messages_.run(tr("Adding the image"), QString(), [&] {
        for (const QImage& image : imagesIn(mime)) {
            if (link_.addSnapshot([&] { return newImageSnapshot(session_.data(), image); }))
                ++added;
        }
    });
    return added;
}

void SnapshotImport::paste() {
    if (selection_.topic() < 0 || !session_.hasDocument())
        return;
    if (addImages(QGuiApplication::clipboard()->mimeData()) == 0)
        messages_.showMessage(QMessageBox::Information, tr("The clipboard holds no image."),
                              QStringLiteral("bcfNoImageToPaste"));
}

bool SnapshotImport::accepts(const QMimeData* mime) const {
    return mime != nullptr && selection_.topic() >= 0 && session_.hasDocument() &&
           (mime->hasImage() || !imageFiles(mime).isEmpty());
}

bool SnapshotImport::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!accepts(drag->mimeData()))
            return false; // the list's own moves, and archives for the window
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!accepts(drop->mimeData()))
            return false;
        drop->acceptProposedAction();
        addImages(drop->mimeData());
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
