#include "report/report_rows_p.h"

#include "codec/payloads.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>

namespace bcf::report_detail {

std::optional<ReportDate> parseBcfDate(const std::string& text) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*(\d{4})-(\d{2})-(\d{2})(?:[Tt ](\d{2}):(\d{2})(?::(\d{2})(?:\.(\d+))?)?)?\s*(Z|z|[+-]\d{2}:?\d{2})?\s*$)"));
    const QRegularExpressionMatch match = pattern.match(qtext(text));
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const bool hasTime = match.hasCaptured(4);
    // Fractions beyond milliseconds (.NET writes seven digits) are cut, not rounded.
    const int millis = match.hasCaptured(7) ? match.captured(7).left(3).leftJustified(3, u'0').toInt() : 0;
    const QTime time = hasTime ? QTime(match.captured(4).toInt(), match.captured(5).toInt(),
                                       match.hasCaptured(6) ? match.captured(6).toInt() : 0, millis)
                               : QTime(0, 0);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    QDateTime moment;
    const QString zone = match.captured(8);
    if (zone.isEmpty()) {
        // No zone: the file's wall-clock time, taken as local time.
        moment = QDateTime(date, time);
    } else if (zone.compare(QStringLiteral("Z"), Qt::CaseInsensitive) == 0) {
        moment = QDateTime(date, time, QTimeZone::utc());
    } else {
        const QString digits = QString(zone).remove(u':');
        const int seconds = (digits.mid(1, 2).toInt() * 60 + digits.mid(3, 2).toInt()) * 60;
        moment = QDateTime(date, time, QTimeZone(zone.startsWith(u'-') ? -seconds : seconds));
    }
    if (!moment.isValid())
        return std::nullopt;
    // A date without a time stays that calendar day wherever the reader is.
    return ReportDate{hasTime ? moment.toLocalTime() : moment, hasTime};
}

QString dateText(const std::string& text) {
    const std::optional<ReportDate> date = parseBcfDate(text);
    if (!date)
        return qtext(text);
    return date->local.toString(date->hasTime ? QStringLiteral("yyyy-MM-dd HH:mm")
                                              : QStringLiteral("yyyy-MM-dd"));
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

const QStringList& reportColumns() {
    static const QStringList columns = {
        QStringLiteral("GUID"),        QStringLiteral("Title"),    QStringLiteral("Type"),
        QStringLiteral("Status"),      QStringLiteral("Priority"), QStringLiteral("Stage"),
        QStringLiteral("Assigned to"), QStringLiteral("Labels"),   QStringLiteral("Author"),
        QStringLiteral("Created"),     QStringLiteral("Modified"), QStringLiteral("Due date"),
        QStringLiteral("Description"), QStringLiteral("Comments"), QStringLiteral("Last comment"),
    };
    return columns;
}

const Comment* lastComment(const Markup& markup) {
    const Comment* latest = nullptr;
    QDateTime latestDate;
    for (const Comment& comment : markup.comments) {
        const std::optional<ReportDate> date = parseBcfDate(comment.date);
        const QDateTime moment = date ? date->local : QDateTime();
        if (!latest || !latestDate.isValid() || (moment.isValid() && moment >= latestDate)) {
            latest = &comment;
            latestDate = moment;
        }
    }
    return latest;
}

std::vector<ReportCell> reportRow(const Markup& markup) {
    const Topic& topic = markup.topic;
    auto text = [](const std::string& value) { return ReportCell{qtext(value), std::nullopt, std::nullopt}; };
    auto date = [](const std::optional<std::string>& value) {
        return ReportCell{dateText(value), value ? parseBcfDate(*value) : std::nullopt, std::nullopt};
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
        const QString key = value.empty() ? QStringLiteral("(none)") : qtext(value);
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
