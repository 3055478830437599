// bcf-report: the `bcf report` command, run by bcf in its place (bcf alone links no Qt).
#include "report_command.h"
#include "usage.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] != "report")
        return bcf::cli::usageError("bcf-report is run by bcf as `bcf report ...`");
    std::string problem;
    const int code = bcf::cli::runReportCommand(args, problem);
    return problem.empty() ? code : bcf::cli::usageError(problem);
}
