// What every report format shares: the columns and cells of a topic row, dates in local time,
// counts for the title page, snapshot bytes and progress steps.
#pragma once

#include "codec/model.h"
#include "datetime/local_date_time.h"
#include "report/report.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bcf::report_detail {

// A stored date-time as the reports show it: "2024-03-07 10:05" in local time, "2024-03-07" for a
// date alone, the text as stored when it is no date; empty when there is none.
QString dateText(const std::string& text);
QString dateText(const std::optional<std::string>& text);

// A model text (UTF-8) as a Qt string.
QString qtext(const std::string& text);
// The topic's labels, in file order.
QStringList topicLabels(const Topic& topic);

// The most characters (UTF-16 units) a report shows of one text: what a spreadsheet cell holds.
// Beyond a few pages of print no reader takes in more, and a text of hundreds of megabytes (which
// a small archive can hold when its text repeats) would cost gigabytes to lay out.
constexpr qsizetype kMaxFieldCharacters = 32767;
// A model text (UTF-8) as a report shows it: at most kMaxFieldCharacters characters, a longer one
// cut and followed by "… (N more characters)". `moreCharacters` were left out before the text came.
QString fieldText(std::string_view text, std::size_t moreCharacters = 0);
// The topic's labels, joined by ", ", as fieldText shows them.
QString labelsText(const Topic& topic);

// One cell of a spreadsheet row: its text, and the date or number it stands for, if any.
struct ReportCell {
    QString text;
    std::optional<DateTime> date;
    std::optional<double> number;
};
// The column headers of the spreadsheet formats.
QStringList reportColumns();
// The cells of one topic, one per column.
std::vector<ReportCell> reportRow(const Markup& markup);
// The comment of the topic with the latest date (the later one on equal or unreadable dates).
const Comment* lastComment(const Markup& markup);

// How many of the topics `rows` have each value of `field` (status or type), in order of first
// appearance; an empty value is counted as "(none)".
std::vector<std::pair<QString, int>> countBy(const BcfData& data, const std::vector<int>& rows,
                                             std::string Topic::*field);

// The snapshot image bytes of a viewpoint: the model's when it holds them, otherwise read from
// the archive `source` without keeping them. Throws BcfError when the entry can't be read.
std::string snapshotBytes(const ZipArchive& source, const Markup& markup, const ViewPoint& viewPoint);

// Reports `done` of `total` topics; throws ReportCancelled when the callback says stop.
void reportStep(const ReportProgress& progress, std::size_t done, std::size_t total);

} // namespace bcf::report_detail
