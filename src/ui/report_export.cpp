// "Export report…": the topics the issue list shows, in its order, as a PDF, XLSX or CSV report.
#include "ui/report_export.h"

#include "ui/bcf_session.h"
#include "ui/target_file_dialog.h"
#include "ui/window_messages.h"

#include "report/report.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>

namespace {

struct ReportFileType {
    const char* filter;
    const char* suffix;
};
const ReportFileType kReportFileTypes[] = {
    {QT_TRANSLATE_NOOP("ReportExport", "PDF report (*.pdf)"), ".pdf"},
    {QT_TRANSLATE_NOOP("ReportExport", "Excel workbook (*.xlsx)"), ".xlsx"},
    {QT_TRANSLATE_NOOP("ReportExport", "CSV file (*.csv)"), ".csv"},
};

// The chosen path, with the suffix of the chosen file type added when the name has none of a
// report format.
QString withReportSuffix(const QString& path, const QString& selectedFilter) {
    if (bcf::reportFormatForPath(path.toStdString()))
        return path;
    for (const ReportFileType& type : kReportFileTypes) {
        if (selectedFilter == QCoreApplication::translate("ReportExport", type.filter))
            return path + QString::fromUtf8(type.suffix);
    }
    return path + QStringLiteral(".pdf");
}

} // namespace

void exportReport(const BcfSession& session, const std::vector<int>& rows, WindowMessages& messages) {
    QStringList filters;
    for (const ReportFileType& type : kReportFileTypes)
        filters.append(QCoreApplication::translate("ReportExport", type.filter));
    // The suffix of the chosen type is added before an existing file is asked about.
    const std::optional<TargetFile> target = chooseTargetFile(
        messages.window(), QCoreApplication::translate("ReportExport", "Export report\u2026"), QString(),
        filters, withReportSuffix);
    if (!target)
        return;
    const QString path = target->path;
    messages.run(QCoreApplication::translate("ReportExport", "Exporting the report"),
                 QDir::toNativeSeparators(path), [&] {
                     bcf::ReportOptions options;
                     options.archiveFile = session.filePath();
                     options.paperSize = QLocale().measurementSystem() == QLocale::ImperialUSSystem
                                             ? bcf::PaperSize::Letter
                                             : bcf::PaperSize::A4;

                     // Window-modal: while the report is written, the list and the model can't change.
                     QProgressDialog progress(
                         QCoreApplication::translate("ReportExport", "Writing the report\u2026"),
                         QCoreApplication::translate("ReportExport", "Cancel"), 0,
                         static_cast<int>(rows.size()), messages.window());
                     progress.setObjectName(QStringLiteral("reportProgress"));
                     progress.setWindowModality(Qt::WindowModal);
                     progress.setMinimumDuration(300);
                     progress.setValue(0);
                     try {
                         bcf::writeReport(path.toStdString(), session.document(), rows, options,
                                          [&](std::size_t done, std::size_t) {
                                              progress.setValue(static_cast<int>(done));
                                              return !progress.wasCanceled();
                                          });
                     } catch (const bcf::ReportCancelled&) {
                         // A cancelled report leaves the file as it was; there is nothing to tell.
                     }
                 });
}
