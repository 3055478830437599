// The bcf tool's usage text and its answer to wrong arguments, shared by bcf and the report
// program it runs.
#pragma once

#include <string>

namespace bcf::cli {

extern const char* const kUsage;

// Writes "bcf: MESSAGE" and the usage on stderr. Returns 2.
int usageError(const std::string& message);

} // namespace bcf::cli
