// Whole-file reads and atomic file replacement for the archive layer.
#pragma once

#include <cstdint>
#include <string>

namespace bcf {

// Reads the whole file at `path`, refusing more than `maxBytes`. Throws BcfError("bad zip").
std::string readWholeFile(const std::string& path, std::uint64_t maxBytes);

// Replaces the file at `path` with `bytes`: writes a temporary file in the same folder, flushes
// it to disk and renames it over the target, so a failure leaves the old file as it was. The
// replaced file keeps its owner, group and permissions; a target this user may not write is
// refused with BcfError("permission denied").
// Throws BcfError("write error").
void writeFileAtomically(const std::string& path, const std::string& bytes);

} // namespace bcf
