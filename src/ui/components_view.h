// The components view of the selected snapshot's viewpoint ("twComponents", "lVisibility",
// "lCamera", "lwBitmaps"): which components it selects, shows, hides and colours, how it sets up
// the view, its camera and its bitmaps, which a double click shows at full size. The components
// the user selects in it are announced to the host's model view.
#pragma once

#include "codec/model.h"

#include <QObject>
#include <QString>

class BcfSession;
class QListWidgetItem;
class TopicSelection;
class ViewpointLink;
class WindowMessages;

namespace Ui {
class MainWindow;
}

// What a row of the components view stands for, shown in its first column.
enum class ComponentRole { Selected, Visible, Hidden, Coloured };

// The text of the first column for `role`: "Selected", "Visible", "Hidden" or "Coloured".
QString componentRoleText(ComponentRole role);

class ComponentsView : public QObject {
    Q_OBJECT

public:
    ComponentsView(Ui::MainWindow& ui, BcfSession& session, TopicSelection& selection,
                   WindowMessages& messages, ViewpointLink& link);
    ~ComponentsView() override;

private:
    // Shows the viewpoint of the selected snapshot, read on first use, or nothing.
    void show();
    void clear();
    void fill(const bcf::VisualizationInfo& info);
    void showBitmaps(QListWidgetItem* item);
    void announceSelection();

    Ui::MainWindow& ui_;
    BcfSession& session_;
    TopicSelection& selection_;
    WindowMessages& messages_;
    ViewpointLink& link_;
};
