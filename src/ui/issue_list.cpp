#include "ui/mainwindow_p.h"

#include <QComboBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <algorithm>
#include <vector>

namespace {

QString dateCell(const std::optional<std::string>& date) {
    return date ? fromUtf8(formatDateTime(*date)) : QString();
}

// A combo box over one cell of the issue list: the extension values, showing the topic's own
// value, which is added when the extension list lacks it. An empty value selects nothing.
void putComboBox(QTreeWidget* twIssues, QTreeWidgetItem* item, int column,
                 const std::vector<std::string>& values, const std::string& current) {
    auto* box = new QComboBox();
    for (const std::string& value : values)
        box->addItem(fromUtf8(value));
    if (current.empty()) {
        box->setCurrentIndex(-1);
    } else {
        const auto found = std::find(values.begin(), values.end(), current);
        if (found == values.end()) {
            box->addItem(fromUtf8(current));
            box->setCurrentIndex(box->count() - 1);
        } else {
            box->setCurrentIndex(static_cast<int>(found - values.begin()));
        }
    }
    twIssues->setItemWidget(item, column, box);
}

} // namespace

void fillIssues(const bcf::BcfData& bcfData, QTreeWidget* twIssues) {
    for (const bcf::Markup& markup : bcfData.markups) {
        const bcf::Topic& topic = markup.topic;
        auto* item = new QTreeWidgetItem();
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setText(0, fromUtf8(topic.title));
        item->setText(1, fromUtf8(topic.topicType));
        item->setText(2, fromUtf8(topic.topicStatus));
        item->setText(3, fromUtf8(formatDateTime(topic.creationDate)));
        item->setText(4, fromUtf8(topic.creationAuthor));
        item->setText(5, dateCell(topic.modifiedDate));
        item->setText(6, fromUtf8(topic.modifiedAuthor));
        item->setText(7, fromUtf8(topic.assignedTo));
        item->setText(8, fromUtf8(topic.stage));
        item->setText(9, fromUtf8(topic.priority));
        item->setText(10, dateCell(topic.dueDate));
        twIssues->addTopLevelItem(item);

        putComboBox(twIssues, item, 1, bcfData.topicTypes, topic.topicType);
        putComboBox(twIssues, item, 2, bcfData.topicStatuses, topic.topicStatus);
        putComboBox(twIssues, item, 7, bcfData.users, topic.assignedTo);
        putComboBox(twIssues, item, 8, bcfData.stages, topic.stage);
        putComboBox(twIssues, item, 9, bcfData.priorities, topic.priority);
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
