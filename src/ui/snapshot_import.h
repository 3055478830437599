// Images from the desktop as snapshots of the selected topic: pasted from the clipboard (the
// "Paste snapshot" action, Ctrl+V) or dropped onto the snapshot list as image files or image data.
// Each becomes a viewpoint without camera whose snapshot is the image, at most kMaxSnapshotSide
// pixels on its longest side, stored as PNG.
#pragma once

#include <QImage>
#include <QList>
#include <QObject>

class BcfSession;
class QListWidget;
class QMimeData;
class TopicSelection;
class ViewpointLink;
class WindowMessages;

// The images `mime` carries: its image data, else the local files among its URLs that hold an
// image. Files that can't be decoded are left out.
QList<QImage> imagesIn(const QMimeData* mime);

class SnapshotImport : public QObject {
    Q_OBJECT

public:
    // Accepts drops on `list`; the paste action is added to `window` and works wherever in it the
    // focus is, except in text fields, which paste text themselves.
    SnapshotImport(QListWidget* list, QWidget* window, BcfSession& session, TopicSelection& selection,
                   WindowMessages& messages, ViewpointLink& link);
    ~SnapshotImport() override;

    // Adds one snapshot per image of `mime` to the selected topic; the number added.
    int addImages(const QMimeData* mime);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paste();
    // Whether a drop of `mime` would add snapshots: a topic is selected and it carries an image.
    bool accepts(const QMimeData* mime) const;

    QListWidget* list_;
    BcfSession& session_;
    TopicSelection& selection_;
    WindowMessages& messages_;
    ViewpointLink& link_;
};
