#include "codec/archive.h"

#include "codec/bcf_error.h"
#include "codec/documents.h"
#include "codec/extensions.h"
#include "codec/markup.h"
#include "codec/project.h"
#include "codec/version.h"
#include "codec/xml_util_p.h"
#include "codec/zip/zip_archive.h"

namespace bcf {

namespace {

const std::string kMarkupSuffix = "markup.bcf";

std::vector<std::string> markupEntries(const ZipArchive& archive) {
    std::vector<std::string> names;
    for (const ZipEntryInfo& entry : archive.entries()) {
        const std::string& name = entry.filename;
        if (name.size() >= kMarkupSuffix.size() &&
            name.compare(name.size() - kMarkupSuffix.size(), kMarkupSuffix.size(), kMarkupSuffix) == 0)
            names.push_back(name);
    }
    return names;
}

// Parses an entry that may be absent; returns false when it is.
bool parseOptional(const ZipArchive& archive, const std::string& name, pugi::xml_document& document) {
    const auto bytes = archive.read(name);
    if (!bytes)
        return false;
    xml::parse(document, *bytes, name);
    return true;
}

} // namespace

std::vector<std::string> findMarkupEntries() {
    return markupEntries(currentArchive());
}

BcfData loadArchive(const std::string& path) {
    ZipArchive archive;
    archive.load(path);
    // Every entry read and every tree parsed counts against the archive's one budget.
    const xml::ParseBudgetScope budget(archive.budget());
    BcfData data;

    pugi::xml_document versionDocument;
    if (!parseOptional(archive, "bcf.version", versionDocument))
        throw BcfError("not a BCF archive", "bcf.version", "entry missing");
    readVersion(versionDocument, data);

    // project.bcfp and the extensions file are optional in the standard.
    pugi::xml_document projectDocument;
    if (parseOptional(archive, "project.bcfp", projectDocument))
        readProject(projectDocument, data);
    pugi::xml_document extensionsDocument;
    if (!data.extensionSchema.empty() && parseOptional(archive, data.extensionSchema, extensionsDocument))
        readExtensions(extensionsDocument, data);

    for (const std::string& name : markupEntries(archive)) {
        pugi::xml_document document;
        xml::parse(document, *archive.read(name), name);
        Markup markup = readMarkup(document, data.version);
        // Payloads lie beside markup.bcf, whatever the folder is called. Some Windows tools
        // separate folders with a backslash; the payloads then carry the same separator.
        const std::size_t slash = name.find_last_of("/\\");
        markup.sourceFolder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
        data.markups.push_back(std::move(markup));
    }

    loadDocuments(archive, data);
    currentArchive() = std::move(archive);
    return data;
}

} // namespace bcf
