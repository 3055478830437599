// The issue list's editing connections: cells, typed or chosen in a combo box, write into the topics.
#include "ui/author_setting.h"
#include "ui/issue_editing.h"
#include "ui/issue_list.h"
#include "ui/mainwindow_p.h"
#include "ui/records.h"

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

} // namespace

void MainWindowPrivate::connectIssueEditors() {
    QTreeWidget* tree = ui->twIssues;

    // The list lives as long as the window, so its connections are made once.
    if (!tree->findChild<QObject*>(connectionMarkerName(), Qt::FindDirectChildrenOnly)) {
        auto* marker = new QObject(tree);
        marker->setObjectName(connectionMarkerName());
        auto* readOnly = new ReadOnlyDelegate(marker);
        for (int column : {IssueDateCreatedColumn, IssueCreatedByColumn, IssueDateModifiedColumn,
                           IssueModifiedByColumn, IssueDueDateColumn})
            tree->setItemDelegateForColumn(column, readOnly);

        QObject::connect(
            tree, &QTreeWidget::itemChanged, marker, [this, tree](QTreeWidgetItem* item, int column) {
                const int row = markupRow(item);
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
                              bcf::formatDateTime(*topic.modifiedDate));
                item->setText(IssueModifiedByColumn, QString::fromStdString(topic.modifiedAuthor));
            });
    }
}
