// `bcf report` runs in a program of its own, bcf-report, which alone links Qt: the other commands
// then start without loading Qt's libraries.
#pragma once

namespace bcf::cli {

// Replaces the process with bcf-report, passing `argv` (starting with the program name and
// "report") on. Returns only when that fails, with the exit code after saying why on stderr.
int runReportProgram(char** argv);

} // namespace bcf::cli
