#include "ui/issue_editing.h"

#include <QCoreApplication>

namespace {

// The topic field shown in `column`; TopicRef is Topic or const Topic.
template <typename TopicRef> auto issueField(TopicRef& topic, int column) -> decltype(&topic.title) {
    switch (column) {
    case IssueTitleColumn:
        return &topic.title;
    case IssueTypeColumn:
        return &topic.topicType;
    case IssueStatusColumn:
        return &topic.topicStatus;
    case IssueAssignedToColumn:
        return &topic.assignedTo;
    case IssueStageColumn:
        return &topic.stage;
    case IssuePriorityColumn:
        return &topic.priority;
    default:
        return nullptr;
    }
}

} // namespace

QString issueColumnEditText(int column) {
    switch (column) {
    case IssueTitleColumn:
        return QCoreApplication::translate("EditCommands", "Edit Title");
    case IssueTypeColumn:
        return QCoreApplication::translate("EditCommands", "Edit Type");
    case IssueStatusColumn:
        return QCoreApplication::translate("EditCommands", "Edit Status");
    case IssueAssignedToColumn:
        return QCoreApplication::translate("EditCommands", "Edit Assignee");
    case IssueStageColumn:
        return QCoreApplication::translate("EditCommands", "Edit Stage");
    case IssuePriorityColumn:
        return QCoreApplication::translate("EditCommands", "Edit Priority");
    default:
        return QCoreApplication::translate("EditCommands", "Edit Issue");
    }
}

bool isEditableIssueColumn(int column) {
    const bcf::Topic probe;
    return issueField(probe, column) != nullptr;
}

std::optional<std::string> issueColumnValue(const bcf::Topic& topic, int column) {
    const std::string* field = issueField(topic, column);
    if (!field)
        return std::nullopt;
    return *field;
}

bool applyIssueEdit(bcf::Topic& topic, int column, const std::string& value, const std::string& timestamp,
                    const std::string& author) {
    std::string* field = issueField(topic, column);
    if (!field || *field == value)
        return false;
    if (column == IssueTitleColumn && value.find_first_not_of(" \t\r\n") == std::string::npos)
        return false;
    *field = value;
    topic.modifiedDate = timestamp;
    topic.modifiedAuthor = author;
    return true;
}

bool applyDescriptionEdit(bcf::Topic& topic, const std::string& value, const std::string& timestamp,
                          const std::string& author) {
    if (topic.description == value)
        return false;
    topic.description = value;
    topic.modifiedDate = timestamp;
    topic.modifiedAuthor = author;
    return true;
}
