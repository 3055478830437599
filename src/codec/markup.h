// markup.bcf: one topic with its comments and viewpoint references, in the 2.1 or 3.0 layout.
#pragma once

#include "codec/model.h"
#include "codec/save_notes.h"

#include <string>
#include <vector>

namespace pugi {
class xml_document;
}

namespace bcf {

// What writing a markup needs from the rest of a save: where the archive's documents lie, so
// that document references can be mapped between the 2.1 and the 3.0 form, and where to note
// what the target version could not hold.
struct MarkupWriteContext {
    struct Document {
        std::string guid;         // as saved (3.0 documents.xml)
        std::string loadedEntry;  // entry of the loaded archive that held it
        std::string writtenEntry; // entry it is saved under
    };
    std::vector<Document> documents;
    SaveNotes* notes = nullptr;
};

// Reads a parsed markup.bcf in the layout of `version` (2.1 or 3.0).
Markup readMarkup(const pugi::xml_document& document, BcfVersion version);

// The text of markup.bcf for `markup` in the layout of `version` (2.1 or 3.0).
std::string writeMarkup(const Markup& markup, BcfVersion version, const MarkupWriteContext& context = {});

} // namespace bcf
