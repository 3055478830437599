// Documents: documents.xml with the documents/ folder (3.0), or root entries (2.1).
#pragma once

#include "codec/model.h"
#include "codec/save_notes.h"

#include <string>
#include <vector>

namespace pugi {
class xml_document;
}

namespace bcf {

class ZipArchive;

// The documents listed by a parsed documents.xml.
std::vector<DocumentInfo> readDocuments(const pugi::xml_document& document);

// The text of documents.xml (GUIDs lower-cased). With `notes`, a document without a file name
// gets a neutral one and a note; without, its Filename is left empty.
std::string writeDocuments(const std::vector<DocumentInfo>& documents, SaveNotes* notes = nullptr);

// The root entries of a 2.1 archive that are documents: every root file (no "/" or "\\" in its
// name, so that the folders of tools that write backslashes stay folders) but bcf.version,
// project.bcfp, extensions.xsd and the extensions entry `extensionSchema` names.
std::vector<std::string> listRootDocumentEntries(const ZipArchive& archive,
                                                 const std::string& extensionSchema);

// Fills `data.documents` from `archive` in the way of `data.version`; a 3.0 archive without
// documents.xml has no documents.
void loadDocuments(const ZipArchive& archive, BcfData& data);

// The entry name of a document's bytes in an archive of `version`.
std::string documentEntryName(const DocumentInfo& document, BcfVersion version);

} // namespace bcf
