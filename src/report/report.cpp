#include "report/report.h"

#include "report/report_rows_p.h"
#include "report/report_writers_p.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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

// The permissions a newly created file gets under the process's umask; the temporary file is
// created private (0600) and must not keep that.
std::filesystem::perms newFilePermissions() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<std::filesystem::perms>(0666 & ~mask);
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
        writeFailed(QStringLiteral("the file name must end in .pdf, .xlsx or .csv"));
    for (const int row : rows) {
        if (row < 0 || static_cast<std::size_t>(row) >= data.markups.size())
            writeFailed(QStringLiteral("no topic %1 in the archive").arg(row));
    }
    const QFileInfo target(qtext(path));
    if (target.isDir())
        writeFailed(QStringLiteral("is a folder"));

    // The report goes to a hidden file beside the target, which replaces the target only once it
    // is complete; the temporary file removes itself on any failure.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!temp.open())
        writeFailed(temp.errorString());
    const ReportInput input{data, *document.archive, rows, options, progress};
    switch (*format) {
    case ReportFormat::Pdf:
        writePdfReport(temp, input);
        break;
    case ReportFormat::Csv:
        writeCsvReport(temp, input);
        break;
    case ReportFormat::Xlsx:
        temp.close(); // libxlsxwriter writes the file by name
        writeXlsxReport(temp.fileName(), input);
        break;
    }
    if (temp.isOpen() && !temp.flush())
        writeFailed(temp.errorString());
    if (temp.isOpen() && ::fsync(temp.handle()) != 0)
        writeFailed(QStringLiteral("write error"));
    const std::string tempName = QFile::encodeName(temp.fileName()).toStdString();
    std::error_code error;
    std::filesystem::permissions(tempName, newFilePermissions(), error);
    if (error)
        writeFailed(QString::fromStdString(error.message()));
    if (std::rename(tempName.c_str(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        writeFailed(QString::fromLocal8Bit(std::strerror(errno)));
    temp.setAutoRemove(false);
}

} // namespace bcf
