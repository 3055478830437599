// bcf.version: the archive's BCF version, its reader and writer.
#pragma once

#include "codec/model.h"

#include <string>

namespace pugi {
class xml_document;
}

namespace bcf {

// "2.0", "2.1" or "3.0" for version index 0, 1 or 2; throws std::out_of_range otherwise.
const char* versionText(int versionIndex);
inline const char* versionText(BcfVersion version) {
    return versionText(static_cast<int>(version));
}

// Sets `data.version` (and `detailedVersion`) from a parsed bcf.version. Throws BcfError for BCF 2.0 and for
// a version it does not recognise, since no other file of such an archive can be read.
void readVersion(const pugi::xml_document& document, BcfData& data);

// The text of bcf.version for a BCF 2.1 or 3.0 save; 2.1 carries a non-empty `detailedVersion`.
std::string writeVersion(BcfVersion version, const std::string& detailedVersion = {});

// Throws BcfError unless `version` is 2.1 or 3.0, the versions that have a writing.
void requireWritableVersion(BcfVersion version);

} // namespace bcf
