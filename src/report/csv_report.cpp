// The CSV report: RFC 4180 (comma, CRLF, quotes doubled), UTF-8 with a byte-order mark so that
// spreadsheet programs read umlauts right.
#include "report/report_rows_p.h"
#include "report/report_writers_p.h"

#include <QIODevice>

namespace bcf::report_detail {

namespace {

// A spreadsheet program runs a cell that begins with one of these as a formula; a leading
// apostrophe keeps a title such as "=HYPERLINK(...)" from a foreign archive plain text.
bool looksLikeFormula(const QString& text) {
    return !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front());
}

QByteArray csvField(QString text) {
    if (looksLikeFormula(text))
        text.prepend(u'\'');
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

QByteArray csvLine(const QStringList& fields) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += csvField(fields[i]);
    }
    return line + "\r\n";
}

void put(QIODevice& out, const QByteArray& bytes) {
    if (out.write(bytes) != bytes.size())
        throw std::runtime_error(out.errorString().toStdString());
}

} // namespace

void writeCsvReport(QIODevice& out, const ReportInput& input) {
    put(out, QByteArray("\xEF\xBB\xBF") + csvLine(reportColumns()));
    std::size_t done = 0;
    for (const int row : input.rows) {
        QStringList fields;
        for (const ReportCell& cell : reportRow(input.data.markups.at(static_cast<std::size_t>(row))))
            fields.append(cell.text);
        put(out, csvLine(fields));
        reportStep(input.progress, ++done, input.rows.size());
    }
}

} // namespace bcf::report_detail
