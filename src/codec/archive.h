// Loading a whole BCF archive into a BcfData, and saving a BcfData as a new archive.
#pragma once

#include "codec/model.h"
#include "codec/save_notes.h"

#include <string>
#include <vector>

namespace bcf {

// Loads the BCF 2.1 or 3.0 archive at `path` (UTF-8). Reads every XML file; snapshot images,
// viewpoint files and document bytes stay in the archive, which becomes the current archive
// only when the whole load succeeded. Throws BcfError; a failed load changes nothing.
BcfData loadArchive(const std::string& path);

// The names of the markup entries of the current archive, in central directory order.
std::vector<std::string> findMarkupEntries();

// Writes `data` as a complete new archive of `version` (2.1 or 3.0) at `path`, fetching into the
// model every payload it does not hold yet. A payload that can't be read (bad CRC, truncated,
// malformed) is left out with a note; its reference stays. The file is replaced only when the
// whole archive was built; a failure leaves it as it was. Returns what the save had to change or
// could not carry. Throws BcfError ("permission denied" for a target this user may not write).
SaveNotes saveArchive(const std::string& path, BcfData& data, BcfVersion version);

} // namespace bcf
