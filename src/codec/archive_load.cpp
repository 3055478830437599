#include "codec/archive.h"

#include "codec/bcf_error.h"
#include "codec/documents.h"
#include "codec/entry_names.h"
#include "codec/extensions.h"
#include "codec/markup.h"
#include "codec/payloads.h"
#include "codec/project.h"
#include "codec/version.h"
#include "codec/xml_util_p.h"
#include "codec/zip/zip_archive.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace bcf {

namespace {

const std::string kMarkupSuffix = "markup.bcf";

// Two entries of one name would leave it to chance which of them a reader takes: refused, unless
// they hold the same bytes and so are one file.
void checkDuplicateEntries(const ZipArchive& archive, const std::vector<ZipEntryInfo>& entries) {
    std::unordered_map<std::string_view, const ZipEntryInfo*> first;
    first.reserve(entries.size());
    for (const ZipEntryInfo& entry : entries) {
        const auto [seen, inserted] = first.emplace(entry.filename, &entry);
        if (inserted)
            continue;
        const ZipEntryInfo& other = *seen->second;
        if (other.uncompressedSize != entry.uncompressedSize || other.crc32 != entry.crc32 ||
            archive.readAt(other.index, other.filename) != archive.readAt(entry.index, entry.filename))
            throw BcfError("duplicate entry", entry.filename,
                           "two entries of this name hold different bytes");
    }
}

// The markup files, each name once, in directory order.
std::vector<std::string> markupEntries(const std::vector<ZipEntryInfo>& entries) {
    std::vector<std::string> names;
    std::unordered_set<std::string_view> seen;
    for (const ZipEntryInfo& entry : entries) {
        const std::string& name = entry.filename;
        if (name.size() >= kMarkupSuffix.size() &&
            name.compare(name.size() - kMarkupSuffix.size(), kMarkupSuffix.size(), kMarkupSuffix) == 0 &&
            seen.insert(name).second)
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

// The entries of the loaded archive that a BCF file of `data` names.
std::unordered_set<std::string> namedEntries(const BcfData& data) {
    std::unordered_set<std::string> named = {"bcf.version", "project.bcfp", data.extensionSchema};
    if (data.version == BcfVersion::V3_0)
        named.insert("documents.xml");
    for (const DocumentInfo& document : data.documents)
        named.insert(documentEntryName(document, data.version));
    for (const Markup& markup : data.markups) {
        const std::string folder = payloadFolder(markup);
        named.insert(folder + "markup.bcf");
        for (const ViewPoint& viewPoint : markup.viewPoints) {
            named.insert(folder + viewPoint.viewpoint);
            named.insert(folder + viewPoint.snapshot);
        }
        if (const auto& snippet = markup.topic.bimSnippet; snippet && !snippet->isExternal) {
            named.insert(folder + snippet->reference);
            if (const auto entry = resolveEntryPath(folder, snippet->reference))
                named.insert(*entry);
        }
    }
    return named;
}

// Every other file of the archive is kept: in the topic whose folder holds it, else at the root.
void collectOtherFiles(const std::vector<ZipEntryInfo>& entries, BcfData& data) {
    const std::unordered_set<std::string> named = namedEntries(data);
    std::unordered_map<std::string, std::size_t> topicByFolder;
    for (std::size_t i = 0; i < data.markups.size(); ++i)
        if (!data.markups[i].sourceFolder->empty())
            topicByFolder.emplace(*data.markups[i].sourceFolder, i);
    std::unordered_set<std::string_view> seen;
    for (const ZipEntryInfo& entry : entries) {
        const std::string& name = entry.filename;
        // Every entry whose name ends in markup.bcf was read as a topic (markupEntries).
        if (name.empty() || name.back() == '/' || name.back() == '\\' || named.contains(name) ||
            isMarkupEntryName(name) || !seen.insert(name).second)
            continue;
        bool inTopic = false;
        for (std::size_t end = name.find_first_of("/\\"); end != std::string::npos && !inTopic;
             end = name.find_first_of("/\\", end + 1)) {
            const auto topic = topicByFolder.find(name.substr(0, end + 1));
            if (topic == topicByFolder.end())
                continue;
            data.markups[topic->second].otherFiles.push_back(OtherFile{name.substr(end + 1), 0, {}});
            inTopic = true;
        }
        if (!inTopic)
            data.otherFiles.push_back(OtherFile{name, 0, {}});
    }
}

} // namespace

BcfDocument loadArchive(const std::string& path, ZipReading reading) {
    auto source = std::make_shared<ZipArchive>();
    ZipArchive& archive = *source;
    archive.load(path, reading);
    // Every entry read and every tree parsed counts against the archive's one budget.
    const xml::ParseBudgetScope budget(archive.budget());
    BcfData data;
    const std::vector<ZipEntryInfo> entries = archive.entries();
    checkDuplicateEntries(archive, entries);

    pugi::xml_document versionDocument;
    if (!parseOptional(archive, "bcf.version", versionDocument))
        throw BcfError("not a BCF archive", "bcf.version", "entry missing");
    readVersion(versionDocument, data);

    // project.bcfp and the extensions file are optional in the standard; a 2.1 archive without
    // a project file has its schema under the usual name.
    if (data.version == BcfVersion::V2_1)
        data.extensionSchema = "extensions.xsd";
    pugi::xml_document projectDocument;
    if (parseOptional(archive, "project.bcfp", projectDocument))
        readProject(projectDocument, data);
    pugi::xml_document extensionsDocument;
    if (!data.extensionSchema.empty() && parseOptional(archive, data.extensionSchema, extensionsDocument))
        readExtensions(extensionsDocument, data);

    for (const std::string& name : markupEntries(entries)) {
        EntryBuffer bytes = archive.readBuffer(name).value();
        pugi::xml_document document;
        xml::parseInPlace(document, bytes.data(), bytes.size(), name);
        Markup markup = readMarkup(document, data.version);
        // Payloads lie beside markup.bcf, whatever the folder is called. Some Windows tools
        // separate folders with a backslash; the payloads then carry the same separator.
        const std::size_t slash = name.find_last_of("/\\");
        markup.sourceFolder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
        data.markups.push_back(std::move(markup));
    }

    loadDocuments(archive, data);
    collectOtherFiles(entries, data);
    return BcfDocument{std::move(data), std::move(source)};
}

} // namespace bcf
