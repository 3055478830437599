#include "ui/archive_drop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

QString droppedArchive(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1)
        return QString();
    const QUrl url = mime->urls().constFirst();
    if (!url.isLocalFile())
        return QString();
    const QFileInfo file(url.toLocalFile());
    const QString suffix = file.suffix().toLower();
    if ((suffix != QLatin1String("bcf") && suffix != QLatin1String("bcfzip")) || !file.isFile())
        return QString();
    return file.absoluteFilePath();
}

ArchiveDrop::ArchiveDrop(QWidget* window, std::function<void(const QString&)> open)
    : QObject(window), open_(std::move(open)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool ArchiveDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (droppedArchive(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = droppedArchive(drop->mimeData());
        if (path.isEmpty())
            return false;
        drop->acceptProposedAction();
        // The question about unsaved changes runs its own event loop: not inside the drop.
        QTimer::singleShot(0, this, [this, path] { open_(path); });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
