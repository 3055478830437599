// Issue reports of a BCF model: a PDF with the snapshots, an XLSX spreadsheet or a CSV file.
// A layer above the Qt-free codec; the PDF is drawn with Qt Gui, so a QGuiApplication must exist.
#pragma once

#include "codec/document.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace bcf {

enum class ReportFormat { Pdf, Xlsx, Csv };
enum class PaperSize { A4, Letter };

// The format that the suffix of `path` names (.pdf, .xlsx, .csv in any case), if any.
std::optional<ReportFormat> reportFormatForPath(const std::string& path);

// Which topics a report takes. Each list that is not empty keeps only the topics with one of
// its values (compared without regard to case); a topic must pass every list. A topic passes
// the label list when any of its labels is listed.
struct TopicFilter {
    std::vector<std::string> statuses;
    std::vector<std::string> types;
    std::vector<std::string> labels;
};

// The indices into `data.markups` of the topics that pass `filter`, in model order.
std::vector<int> filterTopics(const BcfData& data, const TopicFilter& filter);

struct ReportOptions {
    PaperSize paperSize = PaperSize::A4;
    // The archive file named on the PDF title page (UTF-8).
    std::string archiveFile;
};

// Called after each topic with the number of topics done and their total; false cancels.
using ReportProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Thrown when the progress callback cancelled a report.
class ReportCancelled : public std::runtime_error {
public:
    ReportCancelled() : std::runtime_error("cancelled") {}
};

// Writes the report of the topics `rows` (indices into data.markups, in report order) to `path`
// (UTF-8), in the format its suffix names. Snapshots that the model does not hold are read from
// the document's archive without being kept. The file is replaced only when the whole report was
// written: a failure or a cancel leaves it as it was. Throws std::runtime_error with the reason,
// or ReportCancelled.
void writeReport(const std::string& path, const BcfDocument& document, const std::vector<int>& rows,
                 const ReportOptions& options, const ReportProgress& progress = {});

} // namespace bcf
