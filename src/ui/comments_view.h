// The comments of the selected topic: "twComments" with its count in "lComments", the text of a
// comment edited in its row, "pbNewComment" and the "Delete comment" action. Selecting a comment
// about a viewpoint selects that snapshot.
#pragma once

#include <QObject>

class BcfSession;
class QTreeWidgetItem;
class TopicSelection;
class WindowMessages;

namespace Ui {
class MainWindow;
}

class CommentsView : public QObject {
    Q_OBJECT

public:
    CommentsView(Ui::MainWindow& ui, BcfSession& session, TopicSelection& selection,
                 WindowMessages& messages);
    ~CommentsView() override;

private:
    // Shows the comments of the selected topic, or none.
    void show();
    // Writes the comment at `comment` of the selected topic into its row.
    void showRow(int comment);
    void textEdited(QTreeWidgetItem* item, int column);
    void commentSelected();
    void newComment();
    void deleteComment();
    void updateCommands();

    Ui::MainWindow& ui_;
    BcfSession& session_;
    TopicSelection& selection_;
    WindowMessages& messages_;
};
