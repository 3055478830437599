// project.bcfp: project id, name and (2.1) the extension schema entry.
#pragma once

#include "codec/model.h"
#include "codec/save_notes.h"

#include <string>

namespace pugi {
class xml_document;
}

namespace bcf {

// Sets projectId and name, and for 2.1 extensionSchema, from a parsed project.bcfp.
void readProject(const pugi::xml_document& document, BcfData& data);

// The text of project.bcfp in the form of `version` (2.1 ProjectExtension, 3.0 ProjectInfo).
// A 3.0 project with a name but no id gets a fresh id, noted in `notes`.
std::string writeProject(const BcfData& data, BcfVersion version, SaveNotes* notes = nullptr);

// False when a save in `version` writes no project.bcfp: 3.0 with neither id nor name.
bool hasProjectFile(const BcfData& data, BcfVersion version);

// The entry name under which a save in `version` stores the extensions file.
std::string extensionsEntryName(const BcfData& data, BcfVersion version);

} // namespace bcf
