// bcf report: writes an issue report (PDF, XLSX or CSV) of a BCF archive.
#pragma once

#include <string>
#include <vector>

namespace bcf::cli {

// Runs `bcf report ARCHIVE OUT [--status S]... [--type T]... [--label L]... [--letter] [--lang L]`,
// with `args` starting at "report"; the report is in English unless --lang names another language. Returns
// the exit code; for wrong arguments it returns 2 with the problem in `usageProblem` for the caller to print
// with the usage.
int runReportCommand(const std::vector<std::string>& args, std::string& usageProblem);

} // namespace bcf::cli
