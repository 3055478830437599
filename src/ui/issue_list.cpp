#include "ui/issue_list.h"

#include "ui/issue_combo_delegate.h"
#include "ui/issue_editing.h"
#include "ui/issue_filter_bar.h"
#include "ui/mainwindow_p.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolTip>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <optional>
#include <string_view>

namespace {

// Rows looked at when a column is sized to its content: the first screens of a long list tell
// the width well enough, and opening stays independent of the topic count.
constexpr int kRowsMeasured = 300;
// Widest a column gets when sized to its content, in average characters.
constexpr int kTitleChars = 60;
constexpr int kColumnChars = 32;

// The stored date-time shown in `column`, if the column shows one and the topic has it.
const std::string* topicDate(const bcf::Topic& topic, int column) {
    switch (column) {
    case IssueDateCreatedColumn:
        return &topic.creationDate;
    case IssueDateModifiedColumn:
        return topic.modifiedDate ? &*topic.modifiedDate : nullptr;
    case IssueDueDateColumn:
        return topic.dueDate ? &*topic.dueDate : nullptr;
    default:
        return nullptr;
    }
}

// A row of the issue list. Sorts date columns by the stored date-times, the others by their
// text ignoring case, from keys taken once before a sort rather than in every comparison.
class IssueItem : public QTreeWidgetItem {
public:
    IssueItem(const bcf::BcfData& data, int markupIndex)
        : QTreeWidgetItem(UserType), markupIndex_(markupIndex) {
        const bcf::Topic& topic = data.markups[static_cast<std::size_t>(markupIndex)].topic;
        setFlags(flags() | Qt::ItemIsEditable);
        setData(0, Qt::UserRole, markupIndex);
        setText(IssueTitleColumn, fromUtf8(topic.title));
        setText(IssueTypeColumn, fromUtf8(topic.topicType));
        setText(IssueStatusColumn, fromUtf8(topic.topicStatus));
        setText(IssueCreatedByColumn, fromUtf8(topic.creationAuthor));
        setText(IssueModifiedByColumn, fromUtf8(topic.modifiedAuthor));
        setText(IssueAssignedToColumn, fromUtf8(topic.assignedTo));
        setText(IssueStageColumn, fromUtf8(topic.stage));
        setText(IssuePriorityColumn, fromUtf8(topic.priority));
        for (int column : {IssueDateCreatedColumn, IssueDateModifiedColumn, IssueDueDateColumn}) {
            if (const std::string* date = topicDate(topic, column))
                setText(column, bcf::formatDateTime(*date));
        }
    }

    int markupIndex() const { return markupIndex_; }

    // Takes the key of `column` for the next sort; dates from the topic, as stored.
    void prepareSort(const bcf::BcfData& data, int column) {
        sortText_ = text(column);
        sortDate_.reset();
        if (const std::string* date =
                topicDate(data.markups.at(static_cast<std::size_t>(markupIndex_)).topic, column))
            if (const std::optional<bcf::DateTimeValue> value = bcf::readDateTime(*date))
                sortDate_ = value->sortKey();
    }
    void endSort() { sortText_.clear(); }

    bool operator<(const QTreeWidgetItem& other) const override {
        if (other.type() != UserType)
            return QTreeWidgetItem::operator<(other);
        const auto& that = static_cast<const IssueItem&>(other);
        if (sortDate_ != that.sortDate_)
            return sortDate_ < that.sortDate_;
        return sortText_.compare(that.sortText_, Qt::CaseInsensitive) < 0;
    }

private:
    int markupIndex_;
    std::optional<qint64> sortDate_;
    QString sortText_;
};

// Shows the whole text of a cell that is too narrow for it, and the stored date-time of a date cell.
class IssueToolTips : public QObject {
public:
    IssueToolTips(QTreeWidget* tree, const bcf::BcfData& data) : QObject(tree), tree_(tree), data_(data) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ToolTip)
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = tree_->indexAt(help->pos());
        const QString tip = index.isValid() ? toolTip(index) : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, tree_->viewport(), tree_->visualRect(index));
        return true;
    }

private:
    QString toolTip(const QModelIndex& index) const {
        QTreeWidgetItem* item = tree_->topLevelItem(index.row());
        const int row = markupRow(item);
        if (row >= 0 && static_cast<std::size_t>(row) < data_.markups.size()) {
            if (const std::string* date =
                    topicDate(data_.markups[static_cast<std::size_t>(row)].topic, index.column()))
                return fromUtf8(*date);
        }
        QStyleOptionViewItem option;
        option.initFrom(tree_->viewport());
        option.font = tree_->font();
        option.fontMetrics = tree_->fontMetrics();
        const int needed = tree_->itemDelegateForIndex(index)->sizeHint(option, index).width();
        return needed > tree_->columnWidth(index.column()) ? item->text(index.column()) : QString();
    }

    QTreeWidget* tree_;
    const bcf::BcfData& data_;
};

} // namespace

int markupRow(const QTreeWidgetItem* item) {
    if (!item)
        return -1;
    if (item->type() == QTreeWidgetItem::UserType)
        return static_cast<const IssueItem*>(item)->markupIndex();
    bool ok = false;
    const int row = item->data(0, Qt::UserRole).toInt(&ok);
    return ok ? row : -1;
}

std::vector<int> shownMarkupRows(const QTreeWidget* twIssues) {
    std::vector<int> rows;
    const int count = twIssues->topLevelItemCount();
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int row = markupRow(twIssues->topLevelItem(i));
        if (!twIssues->isRowHidden(i, QModelIndex()) && row >= 0)
            rows.push_back(row);
    }
    return rows;
}

void fillIssues(const bcf::BcfData& bcfData, QTreeWidget* twIssues) {
    // All rows join the tree at once: one insertion for the view to lay out, however many rows.
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(bcfData.markups.size()));
    for (std::size_t i = 0; i < bcfData.markups.size(); ++i)
        items.append(new IssueItem(bcfData, static_cast<int>(i)));
    twIssues->addTopLevelItems(items);
}

IssueList::IssueList(QTreeWidget* tree, QLabel* count, const bcf::BcfData& data)
    : QObject(tree), tree_(tree), count_(count), data_(data), filterBar_(new IssueFilterBar()) {
    // Rows of one height let the view place thousands of them without measuring each.
    tree_->setUniformRowHeights(true);
    const std::pair<int, const std::vector<std::string>*> combos[] = {
        {IssueTypeColumn, &data.topicTypes},     {IssueStatusColumn, &data.topicStatuses},
        {IssueAssignedToColumn, &data.users},    {IssueStageColumn, &data.stages},
        {IssuePriorityColumn, &data.priorities},
    };
    for (const auto& [column, values] : combos)
        tree_->setItemDelegateForColumn(column, new IssueComboDelegate(values, this));
    tree_->viewport()->installEventFilter(new IssueToolTips(tree_, data));

    // A click on a header sorts by that column, a second click reverses; new rows are appended
    // at the end whatever the order, and selection follows its rows.
    QHeaderView* header = tree_->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    for (int column = 0; column < tree_->columnCount(); ++column)
        tree_->headerItem()->setData(column, Qt::InitialSortOrderRole, int(Qt::AscendingOrder));
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder order) {
        if (column < 0)
            return;
        const int rows = tree_->topLevelItemCount();
        // Every row of the list is an IssueItem.
        for (int i = 0; i < rows; ++i)
            static_cast<IssueItem*>(tree_->topLevelItem(i))->prepareSort(data_, column);
        tree_->sortItems(column, order);
        for (int i = 0; i < rows; ++i)
            static_cast<IssueItem*>(tree_->topLevelItem(i))->endSort();
        if (QTreeWidgetItem* current = tree_->currentItem())
            tree_->scrollToItem(current);
    });

    if (auto* layout = qobject_cast<QBoxLayout*>(tree_->parentWidget()->layout()))
        layout->insertWidget(layout->indexOf(tree_), filterBar_);
    else
        filterBar_->setParent(tree_->parentWidget());
    connect(filterBar_, &IssueFilterBar::changed, this, &IssueList::applyFilter);

    // What the search looks into changes with edits in the list, and with the comments and the
    // description of the selected topic.
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        const int row = markupRow(item);
        if (row >= 0 && static_cast<std::size_t>(row) < staleTexts_.size())
            staleTexts_[static_cast<std::size_t>(row)] = 1;
    });
    QWidget* window = tree_->window();
    if (auto* comments = window->findChild<QTreeWidget*>(QStringLiteral("twComments")))
        connect(comments, &QTreeWidget::itemChanged, this, &IssueList::selectedTopicChanged);
    if (auto* description = window->findChild<QPlainTextEdit*>(QStringLiteral("pteDescription")))
        connect(description, &QPlainTextEdit::textChanged, this, &IssueList::selectedTopicChanged);
    if (auto* newComment = window->findChild<QAbstractButton*>(QStringLiteral("pbNewComment")))
        connect(newComment, &QAbstractButton::clicked, this, &IssueList::selectedTopicChanged);
}

void IssueList::showAll() {
    clear();
    filterBar_->setChoices(data_);
    fillIssues(data_, tree_);
    showCount(tree_->topLevelItemCount());
    sizeColumns();
}

void IssueList::clear() {
    tree_->clear();
    shownFilter_ = IssueFilter();
    searchTexts_.clear();
    staleTexts_.clear();
    tree_->header()->setSortIndicator(-1, Qt::AscendingOrder);
    static const bcf::BcfData nothing;
    filterBar_->setChoices(nothing);
    showCount(0);
}

void IssueList::appendIssue(int markupIndex) {
    filterBar_->addChoices(data_.markups.at(static_cast<std::size_t>(markupIndex)).topic);
    filterBar_->clear();
    auto* item = new IssueItem(data_, markupIndex);
    tree_->addTopLevelItem(item);
    showCount(tree_->topLevelItemCount());
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
}

void IssueList::applyFilter() {
    const IssueFilter filter = filterBar_->filter();
    if (!filter.search.isEmpty())
        refreshSearchTexts();
    // Typing on only narrows what is shown and deleting only widens it: the rows on the other
    // side keep their state unexamined.
    const bool narrower = filter.narrows(shownFilter_);
    const bool wider = shownFilter_.narrows(filter);
    shownFilter_ = filter;
    const IssueMatcher matcher(filter);
    const bool active = filter.active();
    int shown = 0;
    const int rows = tree_->topLevelItemCount();
    // Rows are hidden by their number: asking an item for its own row would search the list.
    for (int i = 0; i < rows; ++i) {
        const bool hidden = tree_->isRowHidden(i, QModelIndex());
        if ((narrower && hidden) || (wider && !hidden)) {
            shown += hidden ? 0 : 1;
            continue;
        }
        const auto row = static_cast<std::size_t>(markupRow(tree_->topLevelItem(i)));
        // The search texts exist once a search was typed; the field filters need none.
        const std::string_view text = row < searchTexts_.size() ? std::string_view(searchTexts_[row]) : "";
        const bool show =
            !active || (row < data_.markups.size() && matcher.matches(data_.markups[row], text));
        if (hidden == show)
            tree_->setRowHidden(i, QModelIndex(), !show);
        shown += show ? 1 : 0;
    }
    // A hidden topic is no longer selected: the views never show what the list hides.
    QItemSelectionModel* selection = tree_->selectionModel();
    for (const QModelIndex& index : selection->selectedRows()) {
        if (tree_->isRowHidden(index.row(), QModelIndex()))
            selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    showCount(shown);
}

void IssueList::refreshSearchTexts() {
    const std::size_t topics = data_.markups.size();
    searchTexts_.resize(topics);
    staleTexts_.resize(topics, 1);
    for (std::size_t i = 0; i < topics; ++i) {
        if (staleTexts_[i]) {
            searchTexts_[i] = foldedSearchText(data_.markups[i]);
            staleTexts_[i] = 0;
        }
    }
}

void IssueList::selectedTopicChanged() {
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    const int row = selected.isEmpty() ? -1 : markupRow(selected.first());
    if (row >= 0 && static_cast<std::size_t>(row) < staleTexts_.size())
        staleTexts_[static_cast<std::size_t>(row)] = 1;
}

void IssueList::showCount(int shown) {
    const int total = tree_->topLevelItemCount();
    if (filterBar_->filter().active())
        count_->setText(QStringLiteral("Issues (%1 of %2)").arg(shown).arg(total));
    else
        count_->setText(countText("Issues (", static_cast<std::size_t>(total)));
}

void IssueList::sizeColumns() {
    tree_->header()->setResizeContentsPrecision(kRowsMeasured);
    const int charWidth = tree_->fontMetrics().averageCharWidth();
    for (int column = 0; column < tree_->columnCount(); ++column) {
        tree_->resizeColumnToContents(column);
        const int widest = charWidth * (column == IssueTitleColumn ? kTitleChars : kColumnChars);
        if (tree_->columnWidth(column) > widest)
            tree_->setColumnWidth(column, widest);
    }
}

void fillDocuments(QTreeWidget* twDocuments, QTabWidget* tabWidget, const bcf::BcfData& bcfData) {
    twDocuments->clear();
    tabWidget->setTabText(1, countText("Documents (", bcfData.documents.size()));
    for (const bcf::DocumentInfo& document : bcfData.documents) {
        auto* item = new QTreeWidgetItem();
        item->setText(0, fromUtf8(document.filename));
        item->setText(1, QStringLiteral("Project"));
        twDocuments->addTopLevelItem(item);
    }
}
