// A BCF archive (.bcf or .bcfzip) dropped onto the window opens, as if chosen in the open dialog.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QMimeData;
class QWidget;

// The one local BCF archive that `mime` carries; empty when it carries none or several files.
QString droppedArchive(const QMimeData* mime);

class ArchiveDrop : public QObject {
    Q_OBJECT

public:
    // Accepts archive drops anywhere on `window` (where no child takes the drop itself) and hands
    // the file to `open` once the drop is over, so that its questions don't hold up the drag.
    ArchiveDrop(QWidget* window, std::function<void(const QString&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> open_;
};
