// What the window and the host application's model view tell each other: the viewpoint the user
// activates (a snapshot selected, double-clicked or shown in the model), the components selected
// in the components view, and where the viewpoint of a new snapshot comes from.
#pragma once

#include "codec/model.h"

#include <QObject>
#include <QStringList>

#include <functional>

class BcfSession;
class TopicSelection;
class WindowMessages;

class ViewpointLink : public QObject {
    Q_OBJECT

public:
    // The viewpoint record of a new snapshot with its payloads in memory, as the model view shows
    // it now; throws when it can't be made.
    using Capture = std::function<bcf::ViewPoint()>;

    ViewpointLink(BcfSession& session, TopicSelection& selection, WindowMessages& messages);
    ~ViewpointLink() override;

    // Where new snapshots come from; an empty function: the placeholder record of records.h.
    void setCapture(Capture capture);
    bool canCapture() const { return static_cast<bool>(capture_); }
    // Appends the record `make` returns to the selected topic as the undoable "New Snapshot";
    // false when no topic is selected or making or storing it failed (the failure is shown).
    bool addSnapshot(const std::function<bcf::ViewPoint()>& make);
    // "New Snapshot": adds the model view's capture, or without one the placeholder record.
    bool addNewSnapshot();

    // Reads the viewpoint `viewPoint` of `topic` with its snapshot and announces it. `reportFailure`:
    // a viewpoint that can't be read is shown as a failure; otherwise it is only not announced (the
    // components view tells about it).
    void activate(int topic, int viewPoint, bool reportFailure);
    // Announces the IFC GUIDs of the components the user selected.
    void selectComponents(const QStringList& ifcGuids);

signals:
    // The model view should show the viewpoint `viewPoint` of `topic`, whose viewpoint file and
    // snapshot the model holds now.
    void viewpointActivated(int topic, int viewPoint);
    void componentsSelected(const QStringList& ifcGuids);

private:
    BcfSession& session_;
    TopicSelection& selection_;
    WindowMessages& messages_;
    Capture capture_;
};
