// The snapshots of the selected topic: "lwSnapshots" with its count in the first tab of
// "tabWidget", their images read from the archive on first display; "pbNewSnapshot" with the
// viewpoint the host's model view shows, the "Delete snapshot" action, the "Show in model" action,
// and a double click that shows them at full size and in the model.
#pragma once

#include <QObject>

#include <string>
#include <vector>

struct ViewerImage;

namespace bcf {
struct Markup;
}

class BcfSession;
class QAction;
class QImage;
class QListWidgetItem;
class TopicSelection;
class ViewpointLink;
class WindowMessages;

namespace Ui {
class MainWindow;
}

// A snapshot image scaled to its 150 by 150 thumbnail; a null image when the bytes don't decode.
QImage snapshotThumbnail(const std::string& imageBytes);

class SnapshotsView : public QObject {
    Q_OBJECT

public:
    SnapshotsView(Ui::MainWindow& ui, BcfSession& session, TopicSelection& selection,
                  WindowMessages& messages, ViewpointLink& link);
    ~SnapshotsView() override;

private:
    // Shows the snapshots of the selected topic, fetching images on first use, and selects the
    // selected one again. An image that can't be read or decoded is shown as damaged, with the
    // reason as its tool tip.
    void show();
    // The row of the snapshot at `viewPoint` of the selected topic, its image fetched if need be.
    QListWidgetItem* makeItem(int viewPoint);
    void viewPointAdded(int topic, int viewPoint);
    void followSelection();
    void showFullSize(QListWidgetItem* item);
    // Keeps the full-size viewer to what the model holds: closed when its topic or viewpoint is
    // gone, the snapshots of its topic shown again when they changed.
    void followInViewer();
    static std::vector<ViewerImage> viewerImages(const bcf::Markup& markup);
    void showInModel();
    void deleteSnapshot();
    void updateCommands();

    Ui::MainWindow& ui_;
    BcfSession& session_;
    TopicSelection& selection_;
    WindowMessages& messages_;
    ViewpointLink& link_;
    // The list's commands about the selected snapshot, enabled while there is one.
    QAction* deleteAction_ = nullptr;
    QAction* showInModelAction_ = nullptr;
};
