// What the user has selected in one main window: a topic of the issue list and one of its
// snapshots. The views follow it; the issue list and the snapshot list set it. It follows the
// session, so that it always names the same records while others come and go.
#pragma once

#include <QObject>

class BcfSession;

class TopicSelection : public QObject {
    Q_OBJECT

public:
    explicit TopicSelection(BcfSession& session);

    // Index into BcfData::markups of the selected topic; -1 for none.
    int topic() const { return topic_; }
    // Index into the selected topic's viewPoints of the selected snapshot; -1 for none.
    int viewPoint() const { return viewPoint_; }

    // Selects a topic (-1: none) and no snapshot; emits topicChanged when the topic is another.
    void setTopic(int topic);
    // Selects a snapshot of the selected topic (-1: none); emits viewPointChanged when it is another.
    void setViewPoint(int viewPoint);

signals:
    // Another topic is selected, with no snapshot.
    void topicChanged(int topic);
    void viewPointChanged(int viewPoint);

private:
    int topic_ = -1;
    int viewPoint_ = -1;
};
