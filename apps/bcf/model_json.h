// The whole model of a loaded archive as JSON, payloads included.
#pragma once

#include "codec/model.h"

#include <ostream>

namespace bcf::cli {

// Writes `data` as JSON under its model field names, fetching every viewpoint file and
// snapshot image from the current archive. Throws BcfError when a payload can't be read.
void writeModelJson(std::ostream& out, BcfData& data);

} // namespace bcf::cli
