// The whole model of a loaded archive as JSON, payloads included.
#pragma once

#include "codec/document.h"

#include <ostream>

namespace bcf::cli {

// Writes the document's model as JSON under its model field names, fetching every viewpoint file
// and snapshot image from its archive. A payload that can't be read is reported in its place.
void writeModelJson(std::ostream& out, BcfDocument& document);

} // namespace bcf::cli
