#include "codec/archive.h"

#include "codec/bcf_error.h"
#include "codec/documents.h"
#include "codec/extensions.h"
#include "codec/guid.h"
#include "codec/markup.h"
#include "codec/payloads.h"
#include "codec/project.h"
#include "codec/version.h"
#include "codec/visinfo.h"
#include "codec/xml_util_p.h"
#include "codec/zip/zip_archive.h"

#include <set>
#include <unordered_set>

namespace bcf {

namespace {

// Each topic becomes a folder named after its GUID, so the GUIDs must be there and unique.
void checkTopicGuids(const BcfData& data) {
    std::unordered_set<std::string> seen;
    for (const Markup& markup : data.markups) {
        const std::string& guid = markup.topic.guid;
        if (guid.empty())
            throw BcfError("topic without a GUID", markup.topic.title);
        if (!seen.insert(guid).second)
            throw BcfError("duplicate topic GUID", guid, "two topics cannot share one folder");
    }
}

bool isMarkupName(const std::string& name) {
    const std::string suffix = "markup.bcf";
    return name.size() >= suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A 2.1 archive keeps its documents at the root under their file names, which 3.0 documents
// (stored by GUID) need not have unique, and which may be those of the archive's own files.
// A name that is taken, or that a reader would take for a markup file, gets " (2)", " (3)", ...
// before its extension.
std::string unusedRootName(const std::string& name, std::set<std::string>& taken) {
    std::string candidate = name;
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? std::string() : name.substr(stem.size());
    for (int number = 2; taken.contains(candidate) || isMarkupName(candidate); ++number)
        candidate = stem + " (" + std::to_string(number) + ")" + extension;
    taken.insert(candidate);
    return candidate;
}

void writeDocumentEntries(ZipArchive& out, BcfData& data, BcfVersion version) {
    for (DocumentInfo& document : data.documents)
        fetchDocument(document, data.version);
    if (version == BcfVersion::V3_0) {
        // 3.0 stores a document under its GUID; one that has none (every 2.1 document) gets a
        // fresh one, kept in the model so that the next save names it the same.
        for (DocumentInfo& document : data.documents)
            if (document.guid.empty())
                document.guid = generateGuid();
        out.writeEntry("documents.xml", writeDocuments(data.documents));
    }
    std::set<std::string> taken = {"bcf.version", "project.bcfp", "extensions.xsd",
                                   extensionsEntryName(data, version)};
    for (const DocumentInfo& document : data.documents) {
        std::string name = documentEntryName(document, version);
        if (name.empty())
            throw BcfError("write error", document.guid, "document without a file name");
        if (version == BcfVersion::V2_1)
            name = unusedRootName(name, taken);
        out.writeEntryRef(name, document.data);
    }
}

void writeTopicEntries(ZipArchive& out, BcfData& data, BcfVersion version) {
    for (Markup& markup : data.markups) {
        const std::string folder = markup.topic.guid + "/";
        out.writeEntry(folder + "markup.bcf", writeMarkup(markup, version));
        for (ViewPoint& viewPoint : markup.viewPoints) {
            // A reference whose files are missing keeps its reference; no empty entry is made.
            fetchVisualization(markup, viewPoint);
            if (!viewPoint.viewpoint.empty() && !viewPoint.visualizationMissing)
                out.writeEntry(folder + viewPoint.viewpoint,
                               writeVisualizationInfo(viewPoint.visualizationInfo, version));
            fetchSnapshot(markup, viewPoint);
            if (!viewPoint.snapshot.empty() && !viewPoint.snapshotData.empty())
                out.writeEntryRef(folder + viewPoint.snapshot, viewPoint.snapshotData);
        }
    }
}

} // namespace

SaveNotes saveArchive(const std::string& path, BcfData& data, BcfVersion version) {
    SaveNotes notes;
    requireWritableVersion(version);
    checkTopicGuids(data);

    ZipArchive out;
    out.writeEntry("bcf.version", writeVersion(version));
    // A 3.0 project file requires a project id; without one the optional file is left out.
    if (version != BcfVersion::V3_0 || !xml::isBlank(data.projectId))
        out.writeEntry("project.bcfp", writeProject(data, version));
    out.writeEntry(extensionsEntryName(data, version), writeExtensions(data, version));
    writeDocumentEntries(out, data, version);
    writeTopicEntries(out, data, version);
    out.save(path);
    return notes;
}

} // namespace bcf
