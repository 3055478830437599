// The search field and the field filters above the issue list.
#pragma once

#include "ui/issue_filter.h"

#include <QWidget>

class QComboBox;
class QLineEdit;

// "leIssueSearch" filters by any text as the user types; "cbIssueType", "cbIssueStatus",
// "cbIssueAssignedTo", "cbIssuePriority" and "cbIssueStage" by one value each, their first entry
// meaning any value. Emits changed() whenever the filter it describes changes.
class IssueFilterBar : public QWidget {
    Q_OBJECT

public:
    explicit IssueFilterBar(QWidget* parent = nullptr);

    IssueFilter filter() const;
    // Offers the values of the extension lists and of the topics of `model`, and clears the filter.
    void setChoices(const bcf::BcfData& model);
    // Offers the values of `topic` too.
    void addChoices(const bcf::Topic& topic);
    // Back to no filter at all; emits changed() once if the filter was active.
    void clear();

signals:
    void changed();

private:
    struct Field {
        QComboBox* box;
        std::string bcf::Topic::*member;
        const std::vector<std::string> bcf::BcfData::*extension;
    };
    void addChoice(QComboBox* box, const std::string& value);

    QLineEdit* search_;
    std::vector<Field> fields_;
    bool quiet_ = false; // set while the bar changes itself
};
