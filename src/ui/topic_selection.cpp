#include "ui/topic_selection.h"

#include "ui/bcf_session.h"

TopicSelection::TopicSelection(BcfSession& session) {
    // A record inserted or removed before the selected one moves it; a removed one is unselected.
    connect(&session, &BcfSession::documentReset, this, [this] { setTopic(-1); });
    connect(&session, &BcfSession::topicAdded, this, [this](int topic) {
        if (topic_ >= topic)
            ++topic_;
    });
    connect(&session, &BcfSession::topicRemoved, this, [this](int topic) {
        if (topic_ == topic)
            setTopic(-1);
        else if (topic_ > topic)
            --topic_;
    });
    connect(&session, &BcfSession::viewPointAdded, this, [this](int topic, int viewPoint) {
        if (topic == topic_ && viewPoint_ >= viewPoint)
            ++viewPoint_;
    });
    connect(&session, &BcfSession::viewPointRemoved, this, [this](int topic, int viewPoint) {
        if (topic != topic_)
            return;
        if (viewPoint_ == viewPoint)
            setViewPoint(-1);
        else if (viewPoint_ > viewPoint)
            --viewPoint_;
    });
}

void TopicSelection::setTopic(int topic) {
    if (topic == topic_)
        return;
    topic_ = topic;
    viewPoint_ = -1;
    emit topicChanged(topic);
}

void TopicSelection::setViewPoint(int viewPoint) {
    if (viewPoint == viewPoint_)
        return;
    viewPoint_ = viewPoint;
    emit viewPointChanged(viewPoint);
}
