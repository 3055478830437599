// A window that shows the snapshots (or bitmaps) of one viewpoint list at full size.
#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

#include <string>
#include <vector>

class QLabel;
class QScrollArea;
class QToolButton;

// One image the viewer can show, with the name it is known by in the archive.
struct ViewerImage {
    QString title;
    QImage image; // null when the bytes could not be decoded
};

// Shows one image at a time, fitted to the window or zoomed, with previous/next through the list.
class SnapshotViewer : public QDialog {
    Q_OBJECT

public:
    explicit SnapshotViewer(QWidget* parent);

    // What a viewer shows: the snapshots of the topic `topicGuid` (`viewPointGuid` empty) or the
    // bitmaps of its viewpoint `viewPointGuid`.
    struct Source {
        std::string topicGuid, viewPointGuid;
    };

    // Shows `images` at full size, starting at `current`, in the one viewer of `window`, made on
    // first use: a second call replaces what it shows.
    static void showIn(QWidget* window, std::vector<ViewerImage> images, int current, Source source = {});
    // The viewer of `window`, if one is open.
    static SnapshotViewer* of(QWidget* window);

    const Source& source() const { return source_; }

    // Replaces the images and shows the one at `current` (clamped into the list).
    void setImages(std::vector<ViewerImage> images, int current);
    // Index of the image shown; -1 for an empty list.
    int currentIndex() const { return current; }
    // The scale the image is drawn at (1 = actual size).
    double scale() const { return zoom; }
    // Whether the image follows the window's size.
    bool fitsWindow() const { return fit; }

public slots:
    void showNext();
    void showPrevious();
    void zoomIn();
    void zoomOut();
    void fitToWindow();
    void showActualSize();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCurrent();
    void setZoom(double factor);
    void render();

    std::vector<ViewerImage> images;
    Source source_;
    int current = -1;
    double zoom = 1;
    bool fit = true;
    QScrollArea* saImage;
    QLabel* lImage;
    QLabel* lPosition;
    QToolButton* tbPrevious;
    QToolButton* tbNext;
    QToolButton* tbFitToWindow;
};
