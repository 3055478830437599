// The issue list's editing connections: cells and combo boxes write into the topics.
#include "ui/author_setting.h"
#include "ui/issue_editing.h"
#include "ui/mainwindow_p.h"
#include "ui/records.h"

#include <QComboBox>
#include <QPersistentModelIndex>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <stdexcept>

namespace {

// Dates and authors are kept by the window, not typed: their cells open no editor, so the list
// never shows a value that the topic does not hold.
class ReadOnlyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override {
        return nullptr;
    }
};

// Child of the issue list that marks it as connected and owns what the connection needs.
const QString& connectionMarkerName() {
    static const QString name = QStringLiteral("issueEditing");
    return name;
}

// Makes `box` show `text`, adding it when the extension list lacks it (a value the archive holds
// but its extensions do not list), without counting that as a choice of the user. An empty value
// selects nothing.
void showInComboBox(QComboBox* box, const QString& text) {
    const QSignalBlocker blocker(box);
    if (text.isEmpty()) {
        box->setCurrentIndex(-1);
        return;
    }
    int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        box->addItem(text);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

} // namespace

void MainWindowPrivate::connectIssueEditors() {
    QTreeWidget* tree = ui->twIssues;

    // The list itself lives as long as the window, so its own connections are made once; the
    // combo boxes are new after every fill and are connected each time.
    if (!tree->findChild<QObject*>(connectionMarkerName(), Qt::FindDirectChildrenOnly)) {
        auto* marker = new QObject(tree);
        marker->setObjectName(connectionMarkerName());
        auto* readOnly = new ReadOnlyDelegate(marker);
        for (int column : {IssueDateCreatedColumn, IssueCreatedByColumn, IssueDateModifiedColumn,
                           IssueModifiedByColumn, IssueDueDateColumn})
            tree->setItemDelegateForColumn(column, readOnly);

        QObject::connect(
            tree, &QTreeWidget::itemChanged, marker, [this, tree](QTreeWidgetItem* item, int column) {
                const int row = tree->indexOfTopLevelItem(item);
                if (row < 0 || static_cast<std::size_t>(row) >= bcfData.markups.size() ||
                    !isEditableIssueColumn(column))
                    return;
                // Filling the list sets the topic's own values, which changes nothing here.
                bcf::Topic& topic = bcfData.markups[static_cast<std::size_t>(row)].topic;
                if (!applyIssueEdit(topic, column, item->text(column).toStdString(), currentTimestampText(),
                                    authorName().toStdString())) {
                    // A refused value (a blank title) gives way to the one the topic keeps.
                    const QString kept = QString::fromStdString(issueColumnValue(topic, column).value_or(""));
                    if (item->text(column) != kept) {
                        item->setText(column, kept);
                        reportError(QStringLiteral("Renaming the topic"), kept,
                                    std::runtime_error("a title can't be empty or only spaces"));
                    }
                    return;
                }
                markModified();
                item->setText(IssueDateModifiedColumn,
                              QString::fromStdString(formatDateTime(*topic.modifiedDate)));
                item->setText(IssueModifiedByColumn, QString::fromStdString(topic.modifiedAuthor));
                if (auto* box = qobject_cast<QComboBox*>(tree->itemWidget(item, column)))
                    showInComboBox(box, item->text(column));
            });
    }

    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = tree->topLevelItem(row);
        for (int column : kIssueComboColumns) {
            auto* box = qobject_cast<QComboBox*>(tree->itemWidget(item, column));
            if (!box)
                continue;
            showInComboBox(box, item->text(column));
            // The cell beneath the box carries the value: a choice is written into it, and the
            // list's itemChanged takes it into the topic. The index follows the row, so a box
            // that outlives its row for a moment finds nothing to change.
            const QPersistentModelIndex cell(tree->model()->index(row, column));
            const auto choose = [tree, box, cell] {
                if (!cell.isValid())
                    return;
                QTreeWidgetItem* target = tree->topLevelItem(cell.row());
                if (target && target->text(cell.column()) != box->currentText())
                    target->setText(cell.column(), box->currentText());
            };
            QObject::connect(box, &QComboBox::activated, box, choose);
            QObject::connect(box, &QComboBox::currentIndexChanged, box, choose);
        }
    }
}
