#include "report/report_rows_p.h"

#include "codec/payloads.h"

#include <algorithm>

namespace bcf::report_detail {

QString dateText(const std::string& text) {
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
    auto text = [](const std::string& value) { return ReportCell{qtext(value), std::nullopt, std::nullopt}; };
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
        ReportCell{topicLabels(topic).join(QStringLiteral(", ")), std::nullopt, std::nullopt},
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
        const QString key = value.empty() ? QCoreApplication::translate("Report", "(none)") : qtext(value);
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
