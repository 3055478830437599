#include "ui/issue_list.h"

#include "ui/author_setting.h"
#include "ui/bcf_session.h"
#include "ui/edit_commands.h"
#include "ui/issue_combo_delegate.h"
#include "ui/issue_editing.h"
#include "ui/issue_filter_bar.h"
#include "ui/records.h"
#include "ui/topic_selection.h"
#include "ui/utf8_text.h"
#include "ui/window_actions.h"
#include "ui/window_messages.h"
#include "ui_mainwindow.h"

#include "datetime/local_date_time.h"

#include <QAction>
#include <QBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <algorithm>
#include <optional>
#include <stdexcept>
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

// Dates and authors are kept by the window, not typed: their cells open no editor, so the list
// never shows a value that the topic does not hold.
class ReadOnlyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override {
        return nullptr;
    }
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
                return plainToolTip(fromUtf8(*date));
        }
        QStyleOptionViewItem option;
        option.initFrom(tree_->viewport());
        option.font = tree_->font();
        option.fontMetrics = tree_->fontMetrics();
        const int needed = tree_->itemDelegateForIndex(index)->sizeHint(option, index).width();
        return needed > tree_->columnWidth(index.column()) ? plainToolTip(item->text(index.column()))
                                                           : QString();
    }

    QTreeWidget* tree_;
    const bcf::BcfData& data_;
};

QString quotedText(const std::string& text) {
    return QStringLiteral("\u201c") + fromUtf8(text) + QStringLiteral("\u201d");
}

} // namespace

// A row of the issue list. Sorts date columns by the stored date-times, the others by their
// text ignoring case, from keys taken once before a sort rather than in every comparison.
class IssueItem : public QTreeWidgetItem {
public:
    IssueItem(const bcf::BcfData& data, int markupIndex)
        : QTreeWidgetItem(UserType), markupIndex_(markupIndex) {
        setFlags(flags() | Qt::ItemIsEditable);
        setTexts(data.markups[static_cast<std::size_t>(markupIndex)].topic);
    }

    // Shows the fields of `topic`.
    void setTexts(const bcf::Topic& topic) {
        setText(IssueTitleColumn, fromUtf8(topic.title));
        setText(IssueTypeColumn, fromUtf8(topic.topicType));
        setText(IssueStatusColumn, fromUtf8(topic.topicStatus));
        setText(IssueCreatedByColumn, fromUtf8(topic.creationAuthor));
        setText(IssueModifiedByColumn, fromUtf8(topic.modifiedAuthor));
        setText(IssueAssignedToColumn, fromUtf8(topic.assignedTo));
        setText(IssueStageColumn, fromUtf8(topic.stage));
        setText(IssuePriorityColumn, fromUtf8(topic.priority));
        for (int column : {IssueDateCreatedColumn, IssueDateModifiedColumn, IssueDueDateColumn}) {
            // A cell without a date holds no text at all: thousands of rows keep no empty ones.
            if (const std::string* date = topicDate(topic, column))
                setText(column, bcf::formatDateTime(*date));
            else if (!text(column).isEmpty())
                setText(column, QString());
        }
    }

    int markupIndex() const { return markupIndex_; }

    // Takes the key of `column` for the next sort; dates from the topic, as stored.
    void prepareSort(const bcf::BcfData& data, int column) {
        sortText_ = text(column);
        sortDate_.reset();
        if (const std::string* date =
                topicDate(data.markups.at(static_cast<std::size_t>(markupIndex_)).topic, column))
            if (const std::optional<bcf::DateTime> value = bcf::readDateTime(*date))
                sortDate_ = bcf::sortKey(*value);
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

int markupRow(const QTreeWidgetItem* item) {
    // The list holds issue rows only.
    return item && item->type() == QTreeWidgetItem::UserType
               ? static_cast<const IssueItem*>(item)->markupIndex()
               : -1;
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

IssueList::IssueList(Ui::MainWindow& ui, BcfSession& session, TopicSelection& selection,
                     WindowMessages& messages)
    : tree_(ui.twIssues), count_(ui.lIssues), newButton_(ui.pbNewIssue), session_(session),
      selection_(selection), messages_(messages), filterBar_(new IssueFilterBar()) {
    const bcf::BcfData& data = session.data();
    // Rows of one height let the view place thousands of them without measuring each.
    tree_->setUniformRowHeights(true);
    const std::pair<int, const std::vector<std::string>*> combos[] = {
        {IssueTypeColumn, &data.topicTypes},     {IssueStatusColumn, &data.topicStatuses},
        {IssueAssignedToColumn, &data.users},    {IssueStageColumn, &data.stages},
        {IssuePriorityColumn, &data.priorities},
    };
    for (const auto& [column, values] : combos)
        tree_->setItemDelegateForColumn(column, new IssueComboDelegate(values, tree_));
    auto* readOnly = new ReadOnlyDelegate(tree_);
    for (int column : {IssueDateCreatedColumn, IssueCreatedByColumn, IssueDateModifiedColumn,
                       IssueModifiedByColumn, IssueDueDateColumn})
        tree_->setItemDelegateForColumn(column, readOnly);
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
            static_cast<IssueItem*>(tree_->topLevelItem(i))->prepareSort(session_.data(), column);
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

    connect(tree_, &QTreeWidget::itemChanged, this, &IssueList::cellEdited);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
        const int row = selected.isEmpty() ? -1 : markupRow(selected.first());
        selection_.setTopic(row >= 0 && static_cast<std::size_t>(row) < session_.data().markups.size() ? row
                                                                                                       : -1);
    });
    connect(&selection_, &TopicSelection::topicChanged, this, &IssueList::followSelection);
    connect(ui.pbNewIssue, &QAbstractButton::clicked, this, &IssueList::newIssue);
    addDeleteCommand(tree_, "actionDeleteIssue", tr("Delete issue"), [this] { deleteIssue(); });

    connect(&session_, &BcfSession::documentReset, this, [this] {
        showAll();
        updateCommands();
    });
    connect(&session_, &BcfSession::topicAdded, this, &IssueList::topicAdded);
    // A topic gone shifts the markup indices the rows keep: the list is built again.
    connect(&session_, &BcfSession::topicRemoved, this, &IssueList::showAll);
    connect(&session_, &BcfSession::topicChanged, this, &IssueList::updateRow);
    // What the search looks into changes with the comments too.
    for (auto signal : {&BcfSession::commentAdded, &BcfSession::commentRemoved, &BcfSession::commentChanged})
        connect(&session_, signal, this, [this](int topic, int) { markStale(topic); });
    updateCommands();
}

IssueList::~IssueList() = default;

void IssueList::showAll() {
    {
        // Rebuilding is no choice of the user: the selection stays what it was.
        const QSignalBlocker blocker(tree_);
        tree_->clear();
        rows_.clear();
        shownFilter_ = IssueFilter();
        searchTexts_.clear();
        staleTexts_.clear();
        tree_->header()->setSortIndicator(-1, Qt::AscendingOrder);
        filterBar_->setChoices(session_.data());
        // All rows join the tree at once: one insertion for the view to lay out, however many rows.
        const std::size_t topics = session_.data().markups.size();
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(topics));
        rows_.reserve(topics);
        for (std::size_t i = 0; i < topics; ++i) {
            rows_.push_back(new IssueItem(session_.data(), static_cast<int>(i)));
            items.append(rows_.back());
        }
        tree_->addTopLevelItems(items);
        showCount(tree_->topLevelItemCount());
    }
    // A closed document leaves the columns as they were.
    if (session_.hasDocument())
        sizeColumns();
    followSelection();
}

void IssueList::topicAdded(int markupIndex) {
    if (static_cast<std::size_t>(markupIndex) == rows_.size()) {
        appendIssue(markupIndex);
        return;
    }
    showAll();
    selection_.setTopic(markupIndex);
}

void IssueList::appendIssue(int markupIndex) {
    filterBar_->addChoices(session_.data().markups.at(static_cast<std::size_t>(markupIndex)).topic);
    filterBar_->clear();
    auto* item = new IssueItem(session_.data(), markupIndex);
    rows_.push_back(item);
    tree_->addTopLevelItem(item);
    showCount(tree_->topLevelItemCount());
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
}

void IssueList::updateRow(int markupIndex) {
    markStale(markupIndex);
    if (markupIndex < 0 || static_cast<std::size_t>(markupIndex) >= rows_.size())
        return;
    const QSignalBlocker blocker(tree_);
    rows_[static_cast<std::size_t>(markupIndex)]->setTexts(
        session_.data().markups.at(static_cast<std::size_t>(markupIndex)).topic);
}

void IssueList::followSelection() {
    const int topic = selection_.topic();
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    if (markupRow(selected.value(0)) == topic && (topic >= 0 || selected.isEmpty()))
        return;
    if (topic < 0 || static_cast<std::size_t>(topic) >= rows_.size()) {
        tree_->clearSelection();
        return;
    }
    // A topic chosen elsewhere (a related topic's link) that a filter hides: the filters go, so
    // that its row can be selected.
    if (rows_[static_cast<std::size_t>(topic)]->isHidden())
        filterBar_->clear();
    tree_->setCurrentItem(rows_[static_cast<std::size_t>(topic)]);
    tree_->scrollToItem(rows_[static_cast<std::size_t>(topic)]);
}

void IssueList::cellEdited(QTreeWidgetItem* item, int column) {
    const int row = markupRow(item);
    if (row < 0 || static_cast<std::size_t>(row) >= session_.data().markups.size() ||
        !isEditableIssueColumn(column))
        return;
    messages_.run(tr("Editing the topic"), QString(), [&] {
        const bcf::Topic& topic = session_.data().markups[static_cast<std::size_t>(row)].topic;
        bcf::Topic edited = topic;
        if (!applyIssueEdit(edited, column, toUtf8(item->text(column)), currentTimestampText(),
                            toUtf8(authorName()))) {
            // A refused value (a blank title) gives way to the one the topic keeps.
            const QString kept = fromUtf8(issueColumnValue(topic, column).value_or(""));
            if (item->text(column) != kept) {
                {
                    const QSignalBlocker blocker(tree_);
                    item->setText(column, kept);
                }
                messages_.reportError(
                    tr("Renaming the topic"), kept,
                    std::runtime_error(tr("a title can't be empty or only spaces").toStdString()));
            }
            return;
        }
        // A value chosen for a new issue is what the next new issue starts with.
        if (std::find(newIssues_.begin(), newIssues_.end(), edited.guid) != newIssues_.end())
            rememberChoice(column, edited);
        session_.push(new EditTopicCommand(session_, row, std::move(edited), issueColumnEditText(column)));
    });
}

void IssueList::rememberChoice(int column, const bcf::Topic& topic) {
    switch (column) {
    case IssueTypeColumn:
        newIssueChoices_.topicType = topic.topicType;
        break;
    case IssueStatusColumn:
        newIssueChoices_.topicStatus = topic.topicStatus;
        break;
    case IssuePriorityColumn:
        newIssueChoices_.priority = topic.priority;
        break;
    case IssueStageColumn:
        newIssueChoices_.stage = topic.stage;
        break;
    default:
        break;
    }
}

void IssueList::newIssue() {
    messages_.run(tr("Adding an issue"), QString(), [this] {
        // One row more, not a new list: the rows already there stay as they are. The new row is
        // selected and shown, so that the next command works on it.
        bcf::Markup markup = ::newIssue(session_.data(), toUtf8(authorName()), newIssueChoices_);
        newIssues_.push_back(markup.topic.guid);
        session_.push(new AddTopicCommand(session_, std::move(markup)));
    });
}

void IssueList::deleteIssue() {
    const int topicIndex = selection_.topic();
    if (topicIndex < 0)
        return;
    const bcf::Markup& markup = session_.data().markups.at(static_cast<std::size_t>(topicIndex));
    const QString title = fromUtf8(markup.topic.title);
    // %2 and %3 are the counts below, "2 comments" and "1 snapshot".
    const QString question =
        tr("Delete the issue %1 with its %2 and %3?")
            .arg(
                quotedText(markup.topic.title),
                bcf::withLocalCount(tr("%n comment(s)", nullptr, static_cast<int>(markup.comments.size())),
                                    static_cast<qint64>(markup.comments.size())),
                bcf::withLocalCount(tr("%n snapshot(s)", nullptr, static_cast<int>(markup.viewPoints.size())),
                                    static_cast<qint64>(markup.viewPoints.size())));
    if (!messages_.confirmDelete(question))
        return;
    messages_.run(tr("Deleting the issue"), title,
                  [&] { session_.push(new DeleteTopicCommand(session_, topicIndex)); });
}

void IssueList::updateCommands() {
    newButton_->setEnabled(session_.hasDocument());
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
    const bcf::BcfData& data = session_.data();
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
        const bool show = !active || (row < data.markups.size() && matcher.matches(data.markups[row], text));
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
    const std::size_t topics = session_.data().markups.size();
    searchTexts_.resize(topics);
    staleTexts_.resize(topics, 1);
    for (std::size_t i = 0; i < topics; ++i) {
        if (staleTexts_[i]) {
            searchTexts_[i] = foldedSearchText(session_.data().markups[i]);
            staleTexts_[i] = 0;
        }
    }
}

void IssueList::markStale(int markupIndex) {
    if (markupIndex >= 0 && static_cast<std::size_t>(markupIndex) < staleTexts_.size())
        staleTexts_[static_cast<std::size_t>(markupIndex)] = 1;
}

void IssueList::showCount(int shown) {
    const int total = tree_->topLevelItemCount();
    if (filterBar_->filter().active())
        count_->setText(tr("Issues (%1 of %2)").arg(bcf::localCount(shown), bcf::localCount(total)));
    else
        count_->setText(tr("Issues (%1)").arg(bcf::localCount(total)));
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
