#include "report/report_rows_p.h"

#include "codec/payloads.h"

#include <algorithm>
#include <climits>

namespace bcf::report_detail {

QString dateText(const std::string& text) {
    // No date is that long: a text that is none is shown as the others are.
    if (text.size() > 256)
        return fieldText(text);
    return formatDateTime(text, DateTimeStyle::Report);
}

QString dateText(const std::optional<std::string>& text) {
    return text ? dateText(*text) : QString();
}

QString qtext(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList topicLabels(const Topic& topic) {
    QStringList labels;
    for (const std::string& label : topic.labels)
        labels.append(qtext(label));
    return labels;
}

namespace {

// The number of characters in UTF-8 `text`: the bytes that start one.
std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; }));
}

} // namespace

QString fieldText(std::string_view text, std::size_t moreCharacters) {
    // A UTF-8 text has no more UTF-16 units than bytes.
    if (text.size() <= static_cast<std::size_t>(kMaxFieldCharacters) && moreCharacters == 0)
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // Cut between two characters, with room for the note in the spreadsheet's cell.
    constexpr qsizetype kKept = kMaxFieldCharacters - 64;
    std::size_t end = 0;
    qsizetype units = 0;
    while (end < text.size()) {
        const auto lead = static_cast<unsigned char>(text[end]);
        const std::size_t length = lead < 0xc0 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
        const qsizetype width = length == 4 ? 2 : 1;
        if (units + width > kKept)
            break;
        units += width;
        end = std::min(end + length, text.size());
    }
    const std::size_t more = characterCount(text.substr(end)) + moreCharacters;
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(end));
    if (more == 0)
        return shown;
    const int count = static_cast<int>(std::min<std::size_t>(more, INT_MAX));
    return shown + QCoreApplication::translate("Report", "\u2026 (%n more character(s))", nullptr, count);
}

QString labelsText(const Topic& topic) {
    // Joined only as far as fieldText can show (no character takes more than four bytes); the
    // rest is counted.
    constexpr std::size_t kShownBytes = 4 * static_cast<std::size_t>(kMaxFieldCharacters);
    std::string joined;
    std::size_t more = 0;
    bool first = true;
    for (const std::string& label : topic.labels) {
        for (const std::string_view part : {std::string_view(first ? "" : ", "), std::string_view(label)}) {
            std::size_t take = std::min(part.size(), kShownBytes - std::min(kShownBytes, joined.size()));
            while (take > 0 && take < part.size() && (static_cast<unsigned char>(part[take]) & 0xc0) == 0x80)
                --take;
            joined.append(part.substr(0, take));
            more += characterCount(part.substr(take));
        }
        first = false;
    }
    return fieldText(joined, more);
}

QStringList reportColumns() {
    // Translated for each report: the language may change between two reports.
    static const char* const columns[] = {
        QT_TRANSLATE_NOOP("Report", "GUID"),         QT_TRANSLATE_NOOP("Report", "Title"),
        QT_TRANSLATE_NOOP("Report", "Type"),         QT_TRANSLATE_NOOP("Report", "Status"),
        QT_TRANSLATE_NOOP("Report", "Priority"),     QT_TRANSLATE_NOOP("Report", "Stage"),
        QT_TRANSLATE_NOOP("Report", "Assigned to"),  QT_TRANSLATE_NOOP("Report", "Labels"),
        QT_TRANSLATE_NOOP("Report", "Author"),       QT_TRANSLATE_NOOP("Report", "Created"),
        QT_TRANSLATE_NOOP("Report", "Modified"),     QT_TRANSLATE_NOOP("Report", "Due date"),
        QT_TRANSLATE_NOOP("Report", "Description"),  QT_TRANSLATE_NOOP("Report", "Comments"),
        QT_TRANSLATE_NOOP("Report", "Last comment"),
    };
    QStringList names;
    for (const char* column : columns)
        names.append(QCoreApplication::translate("Report", column));
    return names;
}

const Comment* lastComment(const Markup& markup) {
    const Comment* latest = nullptr;
    std::optional<qint64> latestKey;
    for (const Comment& comment : markup.comments) {
        const std::optional<DateTime> date = readDateTime(comment.date);
        const std::optional<qint64> key = date ? std::optional(sortKey(*date)) : std::nullopt;
        if (!latest || !latestKey || (key && *key >= *latestKey)) {
            latest = &comment;
            latestKey = key;
        }
    }
    return latest;
}

std::vector<ReportCell> reportRow(const Markup& markup) {
    const Topic& topic = markup.topic;
    auto text = [](const std::string& value) {
        return ReportCell{fieldText(value), std::nullopt, std::nullopt};
    };
    auto date = [](const std::optional<std::string>& value) {
        return ReportCell{dateText(value), value ? readDateTime(*value) : std::nullopt, std::nullopt};
    };
    const Comment* last = lastComment(markup);
    return {
        text(topic.guid),
        text(topic.title),
        text(topic.topicType),
        text(topic.topicStatus),
        text(topic.priority),
        text(topic.stage),
        text(topic.assignedTo),
        ReportCell{labelsText(topic), std::nullopt, std::nullopt},
        text(topic.creationAuthor),
        date(topic.creationDate),
        date(topic.modifiedDate),
        date(topic.dueDate),
        text(topic.description),
        ReportCell{QString::number(markup.comments.size()), std::nullopt,
                   static_cast<double>(markup.comments.size())},
        text(last ? last->comment : std::string()),
    };
}

std::vector<std::pair<QString, int>> countBy(const BcfData& data, const std::vector<int>& rows,
                                             std::string Topic::*field) {
    std::vector<std::pair<QString, int>> counts;
    for (const int row : rows) {
        const std::string& value = data.markups.at(static_cast<std::size_t>(row)).topic.*field;
        const QString key =
            value.empty() ? QCoreApplication::translate("Report", "(none)") : fieldText(value);
        const auto found =
            std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == key; });
        if (found == counts.end())
            counts.emplace_back(key, 1);
        else
            ++found->second;
    }
    return counts;
}

std::string snapshotBytes(const ZipArchive& source, const Markup& markup, const ViewPoint& viewPoint) {
    if (viewPoint.snapshotLoaded)
        return viewPoint.snapshotData;
    // A copy that holds no image yet: fetching into it leaves the model as it was.
    ViewPoint copy;
    copy.snapshot = viewPoint.snapshot;
    fetchSnapshot(source, markup, copy);
    return std::move(copy.snapshotData);
}

void reportStep(const ReportProgress& progress, std::size_t done, std::size_t total) {
    if (progress && !progress(done, total))
        throw ReportCancelled();
}

} // namespace bcf::report_detail
