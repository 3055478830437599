// How the bcf tool reports a failure that concerns one archive file.
#pragma once

#include <exception>
#include <string>

namespace bcf::cli {

// Writes one line on stderr: the codec's message, prefixed by `archive` unless the message names
// it already. Returns 1.
int archiveFailure(const std::string& archive, const std::exception& error);

} // namespace bcf::cli
