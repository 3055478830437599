// The writer of each report format, given the topics to report and a file to write to.
#pragma once

#include "report/report.h"

#include <QString>

class QIODevice;

namespace bcf::report_detail {

// Everything a writer needs: the model, the topics in report order and the options.
struct ReportInput {
    const BcfData& data;
    // The archive snapshots the model does not hold are read from.
    const ZipArchive& source;
    const std::vector<int>& rows;
    const ReportOptions& options;
    const ReportProgress& progress;
};

// A PDF with a title page and one section per topic, laid out by Qt and written
// page by page into `out`.
void writePdfReport(QIODevice& out, const ReportInput& input);
// An XLSX workbook with one row per topic, written by libxlsxwriter to the file `path`.
void writeXlsxReport(const QString& path, const ReportInput& input);
// RFC 4180 CSV in UTF-8 with a byte-order mark, one row per topic, into `out`.
void writeCsvReport(QIODevice& out, const ReportInput& input);

} // namespace bcf::report_detail
