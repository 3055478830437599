// The extensions file: the seven lists of allowed values (3.0 Extensions, 2.1 XML Schema redefine).
#pragma once

#include "codec/model.h"
#include "codec/save_notes.h"

#include <string>

namespace pugi {
class xml_document;
}

namespace bcf {

// Appends the values of a parsed extensions file, in the form of `data.version`, to the lists.
void readExtensions(const pugi::xml_document& document, BcfData& data);

// The text of the extensions file in the form of `version`. The 2.1 schema redefines the
// types of markup.xsd; a list that restricts values also lists every value the markups of
// `data` use (noted in `notes`), so that they validate against it.
std::string writeExtensions(const BcfData& data, BcfVersion version, SaveNotes* notes = nullptr);

} // namespace bcf
