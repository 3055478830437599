// The issue list "twIssues": one row per topic, sortable by a click on a column header, filtered
// by the search field and filters above it, with the count in "lIssues"; its cells edit the
// topics, "pbNewIssue" and its "Delete issue" action add and remove them.
#pragma once

#include "ui/issue_filter.h"
#include "ui/records.h"

#include <QObject>

#include <string>
#include <vector>

class BcfSession;
class IssueFilterBar;
class IssueItem;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class TopicSelection;
class WindowMessages;

namespace bcf {
struct Topic;
}

namespace Ui {
class MainWindow;
}

// The index into BcfData::markups of the topic a row stands for (kept in data(0, Qt::UserRole)
// because sorting moves rows); -1 for no row.
int markupRow(const QTreeWidgetItem* item);

// The markup indices of the rows the list shows (those no filter hides), in display order.
std::vector<int> shownMarkupRows(const QTreeWidget* twIssues);

class IssueList : public QObject {
    Q_OBJECT

public:
    // Sets up the tree (delegates, sorting, tooltips), puts the filter bar above it and follows
    // the session and the selection.
    IssueList(Ui::MainWindow& ui, BcfSession& session, TopicSelection& selection, WindowMessages& messages);
    ~IssueList() override;

private:
    // Shows every topic of the model in model order, columns sized to their content, filters
    // cleared; then the selected topic's row, if any, is selected again.
    void showAll();
    // Appends the row of the topic at `markupIndex`, selects it and scrolls it into view; a filter
    // that would hide it is cleared first.
    void appendIssue(int markupIndex);
    void topicAdded(int markupIndex);
    // Writes the topic's fields into its row.
    void updateRow(int markupIndex);
    // Selects the row of the selected topic, if it has one, or none.
    void followSelection();
    void cellEdited(QTreeWidgetItem* item, int column);
    // Keeps the value of `column` of `topic` for the next new issue, if it is one of those kept.
    void rememberChoice(int column, const bcf::Topic& topic);
    void newIssue();
    void deleteIssue();
    void updateCommands();

    void applyFilter();
    // Brings the folded search texts up to date for the topics marked stale.
    void refreshSearchTexts();
    void markStale(int markupIndex);
    void showCount(int shown);
    void sizeColumns();

    QTreeWidget* tree_;
    QLabel* count_;
    QWidget* newButton_;
    BcfSession& session_;
    TopicSelection& selection_;
    WindowMessages& messages_;
    IssueFilterBar* filterBar_;
    std::vector<IssueItem*> rows_;         // the row of each markup, by markup index
    IssueFilter shownFilter_;              // the filter the shown rows answer
    std::vector<std::string> searchTexts_; // foldedSearchText per markup, built on the first search
    std::vector<char> staleTexts_;         // per markup: its search text must be built again
    std::vector<std::string> newIssues_;   // GUIDs of the topics "New issue" made in this window
    NewIssueChoices newIssueChoices_;      // what the user chose last in the rows of those
};
