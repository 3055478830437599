// bcf merge: merges archives into a base archive by GUID and writes the result.
#pragma once

#include <string>
#include <vector>

namespace bcf::cli {

// Runs `bcf merge BASE OTHER... -o OUT [--to 2.1|3.0] [--json]`, with `args` starting at "merge".
// Returns the exit code; for wrong arguments it returns 2 with the problem in `usageProblem` for
// the caller to print with the usage.
int runMergeCommand(const std::vector<std::string>& args, std::string& usageProblem);

} // namespace bcf::cli
