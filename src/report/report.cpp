#include "report/report.h"

#include "report/report_rows_p.h"
#include "report/report_writers_p.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <algorithm>

namespace bcf {

using namespace report_detail;

namespace {

bool anyMatches(const std::vector<std::string>& wanted, const QStringList& values) {
    return std::any_of(wanted.begin(), wanted.end(),
                       [&](const std::string& w) { return values.contains(qtext(w), Qt::CaseInsensitive); });
}

bool passes(const Topic& topic, const TopicFilter& filter) {
    return (filter.statuses.empty() || anyMatches(filter.statuses, {qtext(topic.topicStatus)})) &&
           (filter.types.empty() || anyMatches(filter.types, {qtext(topic.topicType)})) &&
           (filter.labels.empty() || anyMatches(filter.labels, topicLabels(topic)));
}

[[noreturn]] void writeFailed(const QString& reason) {
    throw std::runtime_error(reason.toStdString());
}

} // namespace

std::optional<ReportFormat> reportFormatForPath(const std::string& path) {
    const QString suffix = QFileInfo(qtext(path)).suffix().toLower();
    if (suffix == QStringLiteral("pdf"))
        return ReportFormat::Pdf;
    if (suffix == QStringLiteral("xlsx"))
        return ReportFormat::Xlsx;
    if (suffix == QStringLiteral("csv"))
        return ReportFormat::Csv;
    return std::nullopt;
}

std::vector<int> filterTopics(const BcfData& data, const TopicFilter& filter) {
    std::vector<int> rows;
    for (std::size_t i = 0; i < data.markups.size(); ++i) {
        if (passes(data.markups[i].topic, filter))
            rows.push_back(static_cast<int>(i));
    }
    return rows;
}

void writeReport(const std::string& path, const BcfDocument& document, const std::vector<int>& rows,
                 const ReportOptions& options, const ReportProgress& progress) {
    const BcfData& data = document.data;
    const std::optional<ReportFormat> format = reportFormatForPath(path);
    if (!format)
        writeFailed(QCoreApplication::translate("Report", "the file name must end in .pdf, .xlsx or .csv"));
    for (const int row : rows) {
        if (row < 0 || static_cast<std::size_t>(row) >= data.markups.size())
            writeFailed(QCoreApplication::translate("Report", "no topic %1 in the archive").arg(row));
    }
    const QFileInfo target(qtext(path));
    if (target.isDir())
        writeFailed(QCoreApplication::translate("Report", "is a folder"));

    // The report goes to a file beside the target, which replaces the target only once it is
    // complete; a failure or a cancel leaves the target as it was.
    QSaveFile out(target.absoluteFilePath());
    if (!out.open(QIODevice::WriteOnly))
        writeFailed(out.errorString());
    const ReportInput input{data, *document.archive, rows, options, progress};
    switch (*format) {
    case ReportFormat::Pdf:
        writePdfReport(out, input);
        break;
    case ReportFormat::Csv:
        writeCsvReport(out, input);
        break;
    case ReportFormat::Xlsx: {
        // libxlsxwriter writes a file by name: a temporary one of this user's, copied over whole.
        QTemporaryFile workbook(QDir::tempPath() + QStringLiteral("/bcf-report-XXXXXX.xlsx"));
        if (!workbook.open())
            writeFailed(workbook.errorString());
        workbook.close();
        writeXlsxReport(workbook.fileName(), input);
        QFile written(workbook.fileName());
        if (!written.open(QIODevice::ReadOnly))
            writeFailed(written.errorString());
        const QByteArray bytes = written.readAll();
        if (written.error() != QFileDevice::NoError || out.write(bytes) != bytes.size())
            writeFailed(out.errorString());
        break;
    }
    }
    if (!out.commit())
        writeFailed(out.errorString());
}

} // namespace bcf
