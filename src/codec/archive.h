// Loading a whole BCF archive into a BcfData, and saving a BcfData as a new archive.
#pragma once

#include "codec/document.h"
#include "codec/save_notes.h"

#include <string>
#include <vector>

namespace bcf {

// Loads the BCF 2.1 or 3.0 archive at `path` (UTF-8). Reads every XML file; snapshot images,
// viewpoint files and document bytes stay in the archive, which the returned document owns and
// which holds the file's bytes or reads them from the open file (`reading`). Throws BcfError.
BcfDocument loadArchive(const std::string& path, ZipReading reading = ZipReading::WholeFile);

// Writes the document's model as a complete new archive of `version` (2.1 or 3.0) at `path`,
// fetching into the model every payload it does not hold yet from the document's archive (a
// snapshot only one viewpoint names is copied entry by entry as the archive is written instead). A payload
// that can't be read (bad CRC, truncated, malformed) is left out with a note; its reference stays. The file
// is replaced only when the whole archive was built; a failure leaves it as it was. Returns what the save had
// to change or could not carry. Throws BcfError ("permission denied" for a target this user may not write).
SaveNotes saveArchive(const std::string& path, BcfDocument& document, BcfVersion version);

} // namespace bcf
