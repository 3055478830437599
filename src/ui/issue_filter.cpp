#include "ui/issue_filter.h"

namespace {

bool fieldMatches(const std::optional<std::string>& wanted, const std::string& value) {
    return !wanted || *wanted == value;
}

// Appends `text` case-folded. Plain ASCII, the common case, is folded byte by byte; other text
// through Qt's case folding, which covers every script.
void appendFolded(std::string& out, const std::string& text) {
    bool ascii = true;
    for (const char c : text)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        for (const char c : text)
            out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    } else {
        out +=
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toCaseFolded().toStdString();
    }
    out.push_back('\n');
}

} // namespace

bool IssueFilter::active() const {
    return !search.isEmpty() || topicType || topicStatus || assignedTo || priority || stage;
}

bool IssueFilter::narrows(const IssueFilter& wider) const {
    const auto within = [](const std::optional<std::string>& mine, const std::optional<std::string>& theirs) {
        return !theirs || mine == theirs;
    };
    return search.contains(wider.search, Qt::CaseInsensitive) && within(topicType, wider.topicType) &&
           within(topicStatus, wider.topicStatus) && within(assignedTo, wider.assignedTo) &&
           within(priority, wider.priority) && within(stage, wider.stage);
}

std::string foldedSearchText(const bcf::Markup& markup) {
    const bcf::Topic& topic = markup.topic;
    std::string out;
    for (const std::string* text :
         {&topic.title, &topic.description, &topic.topicType, &topic.topicStatus, &topic.assignedTo,
          &topic.priority, &topic.stage, &topic.creationAuthor, &topic.modifiedAuthor})
        appendFolded(out, *text);
    for (const std::string& label : topic.labels)
        appendFolded(out, label);
    for (const bcf::Comment& comment : markup.comments) {
        appendFolded(out, comment.comment);
        appendFolded(out, comment.author);
        appendFolded(out, comment.modifiedAuthor);
    }
    out.shrink_to_fit();
    return out;
}

IssueMatcher::IssueMatcher(const IssueFilter& filter)
    : filter_(filter), needle_(filter.search.toCaseFolded().toStdString()) {}

bool IssueMatcher::matches(const bcf::Markup& markup, std::string_view foldedText) const {
    const bcf::Topic& topic = markup.topic;
    return fieldMatches(filter_.topicType, topic.topicType) &&
           fieldMatches(filter_.topicStatus, topic.topicStatus) &&
           fieldMatches(filter_.assignedTo, topic.assignedTo) &&
           fieldMatches(filter_.priority, topic.priority) && fieldMatches(filter_.stage, topic.stage) &&
           foldedText.find(needle_) != std::string_view::npos;
}
