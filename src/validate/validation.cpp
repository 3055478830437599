#include "validate/validation.h"

#include "codec/bcf_error.h"
#include "codec/entry_names.h"
#include "codec/extensions.h"
#include "codec/memory_budget.h"
#include "codec/project.h"
#include "codec/version.h"
#include "codec/zip/zip_archive.h"
#include "validate/archive_rules_p.h"

#include <pugixml.hpp>

#include <algorithm>
#include <map>
#include <optional>

namespace bcf {

namespace {

// libxml2's tree of an entry takes several times the entry's size; what the checks may take in
// all is bounded like the memory of an opened archive.
constexpr std::uint64_t kTreeBytesPerByte = 8;

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The role of an entry, by its name, as loading reads it; nothing for an entry that is no BCF
// file (a snapshot, a document, a tool's own file).
std::optional<SchemaKind> roleOf(const std::string& name, const BcfData& lists) {
    const bool v3 = lists.version == BcfVersion::V3_0;
    if (name == "bcf.version")
        return SchemaKind::Version;
    if (name == "project.bcfp")
        return SchemaKind::Project;
    if (name == lists.extensionSchema)
        return v3 ? SchemaKind::Extensions : SchemaKind::None;
    if (v3 && name == "documents.xml")
        return SchemaKind::Documents;
    if (isMarkupEntryName(name))
        return SchemaKind::Markup;
    if (endsWith(name, ".bcfv"))
        return SchemaKind::Visinfo;
    return std::nullopt;
}

// Reads an entry for the lists that the rules need; a missing or malformed one adds nothing
// (its own check reports it).
bool parseQuietly(const ZipArchive& archive, const std::string& name, pugi::xml_document& document) {
    try {
        const auto bytes = archive.read(name);
        return bytes && document.load_buffer(bytes->data(), bytes->size());
    } catch (const BcfError&) {
        return false;
    }
}

} // namespace

const char* ruleName(ValidationRule rule) {
    switch (rule) {
    case ValidationRule::WellFormed:
        return "well-formed";
    case ValidationRule::Schema:
        return "schema";
    case ValidationRule::UnreadableEntry:
        return "unreadable-entry";
    case ValidationRule::TopicFolder:
        return "topic-folder";
    case ValidationRule::UniqueGuid:
        return "unique-guid";
    case ValidationRule::MissingFile:
        return "missing-file";
    case ValidationRule::CommentViewpoint:
        return "comment-viewpoint";
    case ValidationRule::RelatedTopic:
        return "related-topic";
    case ValidationRule::ExtensionValue:
        return "extension-value";
    }
    return "unknown";
}

ValidationReport validateArchive(const ZipArchive& archive, const std::string& schemaDirectory) {
    ValidationReport report;
    std::vector<ValidationFinding>& findings = report.findings;
    const auto versionBytes = archive.read("bcf.version");
    if (!versionBytes)
        throw BcfError("not a BCF archive", "bcf.version", "entry missing");
    pugi::xml_document versionDocument;
    if (!versionDocument.load_buffer(versionBytes->data(), versionBytes->size())) {
        // Without a version there is no schema to choose: the file's own faults are all there is.
        SchemaSet().check("bcf.version", *versionBytes, SchemaKind::None, findings);
        if (findings.empty())
            findings.push_back({"bcf.version", 0, 0, ValidationRule::WellFormed, "not well-formed XML"});
        return report;
    }
    BcfData lists;
    readVersion(versionDocument, lists);
    report.version = lists.version;
    const SchemaSet schemas(schemaDirectory, lists.version);

    // The extension lists come first: the markups are checked against them.
    if (lists.version == BcfVersion::V2_1)
        lists.extensionSchema = "extensions.xsd";
    pugi::xml_document document;
    if (parseQuietly(archive, "project.bcfp", document))
        readProject(document, lists);
    if (!lists.extensionSchema.empty() && parseQuietly(archive, lists.extensionSchema, document))
        readExtensions(document, lists);

    ArchiveRules rules(archive, lists, lists.extensionSchema);
    MemoryBudget budget;
    std::map<std::string, std::size_t> order;
    for (const ZipEntryInfo& entry : archive.entries()) {
        const auto role = roleOf(entry.filename, lists);
        if (!order.emplace(entry.filename, order.size()).second) {
            // Readers find an entry by its name: a second one of the same name is never read.
            if (role)
                findings.push_back({entry.filename, 0, 0, ValidationRule::UnreadableEntry,
                                    "the archive holds more than one entry of this name"});
            continue;
        }
        if (!role)
            continue;
        std::optional<std::string> bytes;
        try {
            bytes = archive.read(entry.filename);
            if (bytes)
                budget.charge(bytes->size() * kTreeBytesPerByte, entry.filename);
        } catch (const BcfError& error) {
            findings.push_back({entry.filename, 0, 0, ValidationRule::UnreadableEntry, error.what()});
            continue;
        }
        if (bytes && schemas.check(entry.filename, *bytes, *role, findings))
            rules.check(entry.filename, *bytes, *role);
    }
    rules.finish(findings);
    std::stable_sort(findings.begin(), findings.end(), [&order](const auto& a, const auto& b) {
        return std::tuple(order[a.entry], a.line, a.column) < std::tuple(order[b.entry], b.line, b.column);
    });
    return report;
}

ValidationReport validateArchive(const std::string& path, const std::string& schemaDirectory) {
    ZipArchive archive;
    archive.load(path);
    return validateArchive(archive, schemaDirectory);
}

} // namespace bcf
