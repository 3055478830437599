// bcf validate: checks a BCF archive against the official schemas and the archive rules.
#pragma once

#include <string>

namespace bcf::cli {

// Validates `archive` and prints its findings, one per line or as JSON. Returns 0 when it is
// valid, 1 with findings, 2 when it can't be read or validated.
int runValidateCommand(const std::string& archive, bool json);

} // namespace bcf::cli
