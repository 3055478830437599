// "Export report…": the topics the issue list shows, in its order, as a PDF, XLSX or CSV report.
#include "ui/issue_list.h"
#include "ui/mainwindow.h"
#include "ui/mainwindow_p.h"
#include "ui/slot_guard_p.h"

#include "report/report.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QTreeWidget>

#include <vector>

namespace {

struct ReportFileType {
    const char* filter;
    const char* suffix;
};
const ReportFileType kReportFileTypes[] = {
    {"PDF report (*.pdf)", ".pdf"},
    {"Excel workbook (*.xlsx)", ".xlsx"},
    {"CSV file (*.csv)", ".csv"},
};

// The chosen path, with the suffix of the chosen file type added when the name has none of a
// report format.
QString withReportSuffix(const QString& path, const QString& selectedFilter) {
    if (bcf::reportFormatForPath(path.toStdString()))
        return path;
    for (const ReportFileType& type : kReportFileTypes) {
        if (selectedFilter == QString::fromUtf8(type.filter))
            return path + QString::fromUtf8(type.suffix);
    }
    return path + QStringLiteral(".pdf");
}

} // namespace

void MainWindow::onTbExportReportClicked(bool) {
    QStringList filters;
    for (const ReportFileType& type : kReportFileTypes)
        filters.append(QString::fromUtf8(type.filter));
    QString selectedFilter;
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Export report…"), QString(),
                                                        filters.join(QStringLiteral(";;")), &selectedFilter);
    if (chosen.isEmpty())
        return;
    const QString path = withReportSuffix(chosen, selectedFilter);
    runGuarded(*d, QStringLiteral("Exporting the report"), QDir::toNativeSeparators(path), [&] {
        const std::vector<int> rows = shownMarkupRows(d->ui->twIssues);
        bcf::ReportOptions options;
        options.archiveFile = d->bcfFilePath;
        options.paperSize = QLocale().measurementSystem() == QLocale::ImperialUSSystem
                                ? bcf::PaperSize::Letter
                                : bcf::PaperSize::A4;

        // Window-modal: while the report is written, the list and the model can't change.
        QProgressDialog progress(QStringLiteral("Writing the report…"), QStringLiteral("Cancel"), 0,
                                 static_cast<int>(rows.size()), this);
        progress.setObjectName(QStringLiteral("reportProgress"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        progress.setValue(0);
        try {
            bcf::writeReport(path.toStdString(), d->document, rows, options,
                             [&](std::size_t done, std::size_t) {
                                 progress.setValue(static_cast<int>(done));
                                 return !progress.wasCanceled();
                             });
        } catch (const bcf::ReportCancelled&) {
            // A cancelled report leaves the file as it was; there is nothing to tell.
        }
    });
}
