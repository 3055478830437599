// Viewpoint files (.bcfv): components, cameras, lines, clipping planes and bitmaps.
#pragma once

#include "codec/model.h"
#include "codec/save_notes.h"

#include <string>

namespace pugi {
class xml_document;
}

namespace bcf {

class ZipArchive;

// Reads a parsed viewpoint file of either version. Missing content reads as empty text or 0.
VisualizationInfo readVisualizationInfo(const pugi::xml_document& document);

// The text of a viewpoint file in the form of `version`, in schema order. What that version
// cannot hold as it is (a field of view outside 45..60 in 2.1, a missing aspect ratio or camera
// in 3.0, ...) is changed or left out and noted in `notes`.
std::string writeVisualizationInfo(const VisualizationInfo& info, BcfVersion version, SaveNotes& notes);
// The same, for callers that need no notes.
std::string writeVisualizationInfo(const VisualizationInfo& info, BcfVersion version);

// Reads and parses the entry `entryName` of `source`. Throws BcfError when the entry is missing,
// can't be extracted or does not parse.
VisualizationInfo loadVisualizationInfo(const ZipArchive& source, const std::string& entryName);

} // namespace bcf
