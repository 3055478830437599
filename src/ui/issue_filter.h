// What the search field and the filters above the issue list ask of a topic.
#pragma once

#include "codec/model.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

struct IssueFilter {
    // Found, ignoring case, in any text the topic carries (see foldedSearchText). Empty: every topic.
    QString search;
    // The value the field must have exactly (empty text: the topic has none); nothing: any value.
    std::optional<std::string> topicType;
    std::optional<std::string> topicStatus;
    std::optional<std::string> assignedTo;
    std::optional<std::string> priority;
    std::optional<std::string> stage;

    bool operator==(const IssueFilter&) const = default;

    // Whether anything is asked: a search text or one of the field filters.
    bool active() const;
    // Whether every topic this filter lets through also passes `wider`.
    bool narrows(const IssueFilter& wider) const;
};

// The texts of a topic the search looks into, case-folded and joined by line feeds (UTF-8): title,
// description, the values of the combo-box columns, authors, labels and comment texts. Kept per
// topic by the list, so that a keystroke scans one short string per topic.
std::string foldedSearchText(const bcf::Markup& markup);

// Tests topics against one filter.
class IssueMatcher {
public:
    explicit IssueMatcher(const IssueFilter& filter);

    // `foldedText` is foldedSearchText(markup).
    bool matches(const bcf::Markup& markup, std::string_view foldedText) const;

private:
    IssueFilter filter_;
    std::string needle_; // the search text, case-folded, UTF-8
};
