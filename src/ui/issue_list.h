// The issue list "twIssues": one row per topic, sortable by a click on a column header, filtered
// by the search field and filters above it, with the count in "lIssues".
#pragma once

#include "codec/model.h"
#include "ui/issue_filter.h"

#include <QObject>

#include <string>
#include <vector>

class IssueFilterBar;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// The index into BcfData::markups of the topic a row stands for (kept in data(0, Qt::UserRole)
// because sorting moves rows); -1 for no row.
int markupRow(const QTreeWidgetItem* item);

// The markup indices of the rows the list shows (those no filter hides), in display order.
std::vector<int> shownMarkupRows(const QTreeWidget* twIssues);

// Runs the issue list of one main window. Owned by the tree; `data` must outlive it.
class IssueList : public QObject {
    Q_OBJECT

public:
    // Sets up the tree (combo-box delegates, sorting, tooltips) and puts the filter bar above it.
    IssueList(QTreeWidget* tree, QLabel* count, const bcf::BcfData& data);

    // Shows every topic of the model in model order, columns sized to their content.
    void showAll();
    // Empties the list and its filters.
    void clear();
    // Appends the row of the topic at `markupIndex`, selects it and scrolls it into view; a filter
    // that would hide it is cleared first.
    void appendIssue(int markupIndex);

private:
    void applyFilter();
    // Brings the folded search texts up to date for the topics marked stale.
    void refreshSearchTexts();
    // Marks the search text of the selected topic stale (its comments or description changed).
    void selectedTopicChanged();
    void showCount(int shown);
    void sizeColumns();

    QTreeWidget* tree_;
    QLabel* count_;
    const bcf::BcfData& data_;
    IssueFilterBar* filterBar_;
    IssueFilter shownFilter_;              // the filter the shown rows answer
    std::vector<std::string> searchTexts_; // foldedSearchText per markup, built on the first search
    std::vector<char> staleTexts_;         // per markup: its search text must be built again
};
