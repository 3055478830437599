// Viewpoint files (.bcfv): selected components and camera.
#pragma once

#include "codec/model.h"

#include <string>

namespace pugi {
class xml_document;
}

namespace bcf {

// Reads a parsed viewpoint file. Missing content reads as empty text or 0.
VisualizationInfo readVisualizationInfo(const pugi::xml_document& document);

// The text of a viewpoint file in the form of `version` (2.1 has no AspectRatio and takes a
// field of view from 45 to 60 degrees; 3.0 leaves out empty optional values).
std::string writeVisualizationInfo(const VisualizationInfo& info, BcfVersion version);

// Reads and parses the entry `entryName` of the current archive. Throws BcfError when the entry
// is missing, can't be extracted or does not parse.
VisualizationInfo loadVisualizationInfo(const std::string& entryName);

} // namespace bcf
