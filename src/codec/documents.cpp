#include "codec/documents.h"

#include "codec/guid.h"
#include "codec/unread_content_p.h"
#include "codec/xml_util_p.h"
#include "codec/zip/zip_archive.h"

namespace bcf {

namespace {
constexpr const char* kNeutralFilename = "document";
}

std::vector<DocumentInfo> readDocuments(const pugi::xml_document& document) {
    std::vector<DocumentInfo> documents;
    // A list that a file repeats is read as one.
    xml::forEachListed(document.child("DocumentInfo"), "Documents", "Document", [&](pugi::xml_node node) {
        DocumentInfo info;
        info.guid = xml::attribute(node, "Guid");
        info.filename = xml::childText(node, "Filename");
        info.description = xml::childText(node, "Description");
        documents.push_back(std::move(info));
    });
    return documents;
}

std::string writeDocuments(const std::vector<DocumentInfo>& documents, SaveNotes* notes) {
    pugi::xml_document xmlDocument;
    pugi::xml_node root = xmlDocument.append_child("DocumentInfo");
    xml::appendNamespaces(root);
    pugi::xml_node list = root.append_child("Documents");
    for (const DocumentInfo& document : documents) {
        pugi::xml_node node = list.append_child("Document");
        node.append_attribute("Guid").set_value(normalizedGuid(document.guid, BcfVersion::V3_0).c_str());
        std::string filename = document.filename;
        if (xml::isBlank(filename) && notes) {
            // The schema requires a file name; the entry itself is named by the GUID.
            filename = kNeutralFilename;
            notes->add(std::string("document file names set to \"") + kNeutralFilename +
                       "\" (BCF 3.0 requires one)");
        }
        xml::appendText(node, "Filename", filename);
        xml::appendTextIfSet(node, "Description", document.description);
    }
    return xml::serialize(xmlDocument);
}

std::vector<std::string> listRootDocumentEntries(const ZipArchive& archive,
                                                 const std::string& extensionSchema) {
    std::vector<std::string> names;
    for (const ZipEntryInfo& entry : archive.entries()) {
        const std::string& name = entry.filename;
        if (name.empty() || name.find_first_of("/\\") != std::string::npos)
            continue;
        if (name == "bcf.version" || name == "extensions.xsd" || name == "project.bcfp" ||
            name == extensionSchema)
            continue;
        names.push_back(name);
    }
    return names;
}

void loadDocuments(const ZipArchive& archive, BcfData& data) {
    if (data.version == BcfVersion::V2_1) {
        data.documents.clear();
        for (std::string& name : listRootDocumentEntries(archive, data.extensionSchema)) {
            DocumentInfo info;
            info.filename = std::move(name);
            data.documents.push_back(std::move(info));
        }
    } else if (data.version == BcfVersion::V3_0) {
        data.documents.clear();
        // The standard makes documents.xml optional: without it there are no documents.
        if (const auto bytes = archive.read("documents.xml")) {
            pugi::xml_document document;
            xml::parse(document, *bytes, "documents.xml");
            data.documents = readDocuments(document);
            xml::findUnread(document, xml::FileKind::Documents, data.version, data.unread);
        }
    }
}

std::string documentEntryName(const DocumentInfo& document, BcfVersion version) {
    if (version == BcfVersion::V3_0)
        return "documents/" + document.guid;
    // A 2.1 document lies at the root under its file name; a path in the name is not kept.
    const std::size_t slash = document.filename.find_last_of("/\\");
    return slash == std::string::npos ? document.filename : document.filename.substr(slash + 1);
}

} // namespace bcf
