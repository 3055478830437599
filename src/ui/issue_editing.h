// Edits made in the cells and combo boxes of the issue list, written back into the topics.
#pragma once

#include "codec/model.h"

#include <QString>

#include <optional>
#include <string>

// Columns of the issue list.
enum IssueColumn : int {
    IssueTitleColumn = 0,
    IssueTypeColumn = 1,
    IssueStatusColumn = 2,
    IssueDateCreatedColumn = 3,
    IssueCreatedByColumn = 4,
    IssueDateModifiedColumn = 5,
    IssueModifiedByColumn = 6,
    IssueAssignedToColumn = 7,
    IssueStageColumn = 8,
    IssuePriorityColumn = 9,
    IssueDueDateColumn = 10,
};

// The columns that carry a combo box of extension values, in the order the list creates them.
inline constexpr int kIssueComboColumns[] = {IssueTypeColumn, IssueStatusColumn, IssueAssignedToColumn,
                                             IssueStageColumn, IssuePriorityColumn};

// What an edit of `column` is called in the Edit menu ("Edit Title", "Edit Status", ...).
QString issueColumnEditText(int column);

// Whether the user may change the topic field shown in `column`.
bool isEditableIssueColumn(int column);

// The topic field shown in an editable `column`, or nothing for any other column.
std::optional<std::string> issueColumnValue(const bcf::Topic& topic, int column);

// Writes `value` into the field shown in `column`. When that changes the topic, it is marked as
// modified at `timestamp` by `author`, and true is returned; otherwise nothing changes. A title that
// is empty or only white space is refused: every topic needs one.
bool applyIssueEdit(bcf::Topic& topic, int column, const std::string& value, const std::string& timestamp,
                    const std::string& author);

// Writes a new description into the topic, marked as modified like applyIssueEdit; false when the
// description is the same.
bool applyDescriptionEdit(bcf::Topic& topic, const std::string& value, const std::string& timestamp,
                          const std::string& author);
