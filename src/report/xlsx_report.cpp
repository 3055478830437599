// The spreadsheet report: one XLSX sheet "Issues" with a bold, frozen header row, an autofilter,
// dates as real spreadsheet dates and columns as wide as their content.
#include "report/report_rows_p.h"
#include "report/report_writers_p.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <clocale>
#include <memory>

#if defined(__unix__) || defined(__APPLE__)
#include <locale.h>
#endif

namespace bcf::report_detail {

namespace {

// A workbook that is closed (and so written) only on purpose; otherwise it is freed unwritten.
struct WorkbookFree {
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};
using Workbook = std::unique_ptr<lxw_workbook, WorkbookFree>;

// A cell holds at most 32767 characters; longer texts are cut without splitting a surrogate pair.
QByteArray cellText(const QString& text) {
    constexpr qsizetype kMaxCellCharacters = 32767;
    if (text.size() <= kMaxCellCharacters)
        return text.toUtf8();
    qsizetype cut = kMaxCellCharacters;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut).toUtf8();
}

// The width (in characters) a column needs for its longest line, within sensible bounds.
double fittedWidth(const QString& text) {
    qsizetype widest = 0;
    for (const QStringView line : QStringView(text).split(u'\n'))
        widest = std::max(widest, line.size());
    return static_cast<double>(std::clamp<qsizetype>(widest + 2, 8, 60));
}

// libxlsxwriter prints numbers (widths, dates, values) with printf, which follows the C locale of
// the thread: a Qt application runs in the user's, where "38.71" is printed "38,71" and the
// workbook is broken. While it lives, this thread prints numbers in the C locale.
class CNumbers {
public:
#if defined(__unix__) || defined(__APPLE__)
    CNumbers() : c_(newlocale(LC_NUMERIC_MASK, "C", duplocale(uselocale(nullptr)))) {
        if (c_ == nullptr)
            throw std::runtime_error("cannot switch to the C locale for numbers");
        previous_ = uselocale(c_);
    }
    ~CNumbers() {
        uselocale(previous_);
        freelocale(c_);
    }

private:
    locale_t c_ = nullptr;
    locale_t previous_ = nullptr;
#endif
};

void check(lxw_error error) {
    if (error != LXW_NO_ERROR)
        throw std::runtime_error(lxw_strerror(error));
}

} // namespace

void writeXlsxReport(const QString& path, const ReportInput& input) {
    const CNumbers numbers;
    const QByteArray fileName = path.toLocal8Bit();
    Workbook workbook(workbook_new(fileName.constData()));
    if (!workbook)
        throw std::runtime_error("cannot create the workbook");
    const QByteArray sheetName = QCoreApplication::translate("Report", "Issues", "sheet name").toUtf8();
    lxw_worksheet* sheet = workbook_add_worksheet(workbook.get(), sheetName.constData());
    lxw_format* header = workbook_add_format(workbook.get());
    lxw_format* dateTime = workbook_add_format(workbook.get());
    lxw_format* dateOnly = workbook_add_format(workbook.get());
    if (!sheet || !header || !dateTime || !dateOnly)
        throw std::runtime_error("out of memory");
    format_set_bold(header);
    format_set_num_format(dateTime, "yyyy-mm-dd hh:mm");
    format_set_num_format(dateOnly, "yyyy-mm-dd");

    const QStringList columns = reportColumns();
    std::vector<double> widths;
    for (qsizetype column = 0; column < columns.size(); ++column) {
        check(worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(column),
                                     columns[column].toUtf8().constData(), header));
        widths.push_back(fittedWidth(columns[column]) + 2); // room for the filter button
    }
    lxw_row_t rowNumber = 0;
    for (const int row : input.rows) {
        ++rowNumber;
        const std::vector<ReportCell> cells = reportRow(input.data.markups.at(static_cast<std::size_t>(row)));
        for (std::size_t column = 0; column < cells.size(); ++column) {
            const ReportCell& cell = cells[column];
            const auto col = static_cast<lxw_col_t>(column);
            if (cell.number) {
                check(worksheet_write_number(sheet, rowNumber, col, *cell.number, nullptr));
            } else if (cell.date && localDateTime(*cell.date).date().year() >= 1900) {
                // A spreadsheet date counts days from 1900; earlier dates stay text.
                const QDateTime local = localDateTime(*cell.date);
                lxw_datetime value{
                    local.date().year(),   local.date().month(),
                    local.date().day(),    local.time().hour(),
                    local.time().minute(), local.time().second() + local.time().msec() / 1000.0};
                check(worksheet_write_datetime(sheet, rowNumber, col, &value,
                                               cell.date->hasTime ? dateTime : dateOnly));
            } else if (!cell.text.isEmpty()) {
                check(
                    worksheet_write_string(sheet, rowNumber, col, cellText(cell.text).constData(), nullptr));
            }
            widths[column] = std::max(widths[column], cell.date ? 18.0 : fittedWidth(cell.text));
        }
        reportStep(input.progress, rowNumber, input.rows.size());
    }
    for (std::size_t column = 0; column < widths.size(); ++column) {
        const auto col = static_cast<lxw_col_t>(column);
        check(worksheet_set_column(sheet, col, col, widths[column], nullptr));
    }
    worksheet_freeze_panes(sheet, 1, 0);
    check(worksheet_autofilter(sheet, 0, 0, rowNumber, static_cast<lxw_col_t>(columns.size() - 1)));
    const lxw_error closed = workbook_close(workbook.release()); // frees the workbook too
    check(closed);
}

} // namespace bcf::report_detail
