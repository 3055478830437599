#include "ui/viewpoint_link.h"

#include "ui/bcf_session.h"
#include "ui/edit_commands.h"
#include "ui/records.h"
#include "ui/topic_selection.h"
#include "ui/window_messages.h"

ViewpointLink::ViewpointLink(BcfSession& session, TopicSelection& selection, WindowMessages& messages)
    : session_(session), selection_(selection), messages_(messages) {
    // Selecting a snapshot shows its viewpoint in the model; unselecting leaves the model as it is.
    connect(&selection_, &TopicSelection::viewPointChanged, this, [this](int viewPoint) {
        if (viewPoint >= 0)
            activate(selection_.topic(), viewPoint, false);
    });
}

ViewpointLink::~ViewpointLink() = default;

void ViewpointLink::setCapture(Capture capture) {
    capture_ = std::move(capture);
}

bool ViewpointLink::addSnapshot(const std::function<bcf::ViewPoint()>& make) {
    const int topic = selection_.topic();
    if (topic < 0 || !session_.hasDocument())
        return false;
    bool added = false;
    messages_.run(tr("Adding a snapshot"), QString(), [&] {
        session_.push(new AddSnapshotCommand(session_, topic, make()));
        added = true;
    });
    return added;
}

bool ViewpointLink::addNewSnapshot() {
    return addSnapshot([this] { return capture_ ? capture_() : newSnapshot(); });
}

void ViewpointLink::activate(int topic, int viewPoint, bool reportFailure) {
    const auto read = [&] {
        session_.fetchVisualization(topic, viewPoint);
        session_.fetchSnapshot(topic, viewPoint);
    };
    if (reportFailure) {
        bool done = false;
        messages_.run(tr("Reading the viewpoint"), QString(), [&] {
            read();
            done = true;
        });
        if (!done)
            return;
    } else {
        try {
            read();
        } catch (const std::exception&) {
            return;
        }
    }
    emit viewpointActivated(topic, viewPoint);
}

void ViewpointLink::selectComponents(const QStringList& ifcGuids) {
    emit componentsSelected(ifcGuids);
}
