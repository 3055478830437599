// bcf-report: the `bcf report` command, run by bcf in its place (bcf alone links no Qt).
#include "process_memory.h"
#include "report_command.h"
#include "usage.h"

#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    bcf::cli::prepareHeapForOneCommand();
    // While TZ is unset, glibc looks at /etc/localtime again at every local-time conversion, and
    // a report converts every date it shows; naming that file, the default, lets it keep what it
    // read. Qt takes ":/etc/localtime" for the system's zone as well.
    if (!std::getenv("TZ"))
        ::setenv("TZ", ":/etc/localtime", 0);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] != "report")
        return bcf::cli::usageError("bcf-report is run by bcf as `bcf report ...`");
    std::string problem;
    const int code = bcf::cli::runReportCommand(args, problem);
    return problem.empty() ? code : bcf::cli::usageError(problem);
}
