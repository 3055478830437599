// markup.bcf: one topic with its comments and viewpoint references, in the 2.1 or 3.0 layout.
#pragma once

#include "codec/model.h"

#include <string>

namespace pugi {
class xml_document;
}

namespace bcf {

// Reads a parsed markup.bcf in the layout of `version` (2.1 or 3.0).
Markup readMarkup(const pugi::xml_document& document, BcfVersion version);

// The text of markup.bcf for `markup` in the layout of `version` (2.1 or 3.0).
std::string writeMarkup(const Markup& markup, BcfVersion version);

} // namespace bcf
