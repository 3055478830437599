#include "codec/archive.h"

#include "codec/bcf_error.h"
#include "codec/documents.h"
#include "codec/entry_names.h"
#include "codec/extensions.h"
#include "codec/guid.h"
#include "codec/markup.h"
#include "codec/payloads.h"
#include "codec/project.h"
#include "codec/version.h"
#include "codec/visinfo.h"
#include "codec/xml_util_p.h"
#include "codec/zip/zip_archive.h"

#include <map>
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

// A 2.1 archive keeps its documents at the root under their file names, which 3.0 documents
// (stored by GUID) need not have unique, and which may be those of the archive's own files.
// A name that is taken, or that a reader would take for a markup file, gets " (2)", " (3)", ...
// before its extension.
std::string unusedRootName(const std::string& name, std::set<std::string>& taken) {
    std::string candidate = name;
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? std::string() : name.substr(stem.size());
    for (int number = 2; taken.contains(candidate) || isMarkupEntryName(candidate); ++number)
        candidate = stem + " (" + std::to_string(number) + ")" + extension;
    taken.insert(candidate);
    return candidate;
}

void writeDocumentEntries(ZipArchive& out, BcfData& data, BcfVersion version, SaveNotes& notes) {
    for (DocumentInfo& document : data.documents)
        fetchDocument(document, data.version);
    if (version == BcfVersion::V3_0) {
        // 3.0 stores a document under its GUID; one that has none (every 2.1 document), or
        // whose GUID is no GUID or another document's, gets a fresh one, kept in the model so
        // that the next save names it the same.
        std::set<std::string> guids;
        for (DocumentInfo& document : data.documents) {
            if (isGuid(document.guid) && guids.insert(document.guid).second)
                continue;
            if (!document.guid.empty())
                notes.add("document GUIDs replaced (not a GUID, or another document's)");
            document.guid = generateGuid();
            guids.insert(document.guid);
        }
        out.writeEntry("documents.xml", writeDocuments(data.documents));
    }
    std::set<std::string> taken = {"bcf.version", "project.bcfp", "extensions.xsd",
                                   extensionsEntryName(data, version)};
    for (const DocumentInfo& document : data.documents) {
        // A document without bytes has nothing to write; 2.1 then has no place for it at all.
        if (document.data.isNull()) {
            notes.add("documents without content left out");
            continue;
        }
        std::string name = documentEntryName(document, version);
        if (version == BcfVersion::V2_1) {
            if (!isPlainFileName(name) && !isMarkupEntryName(name)) {
                notes.add("document file names that cannot be entry names replaced");
                name = "document";
            }
            name = unusedRootName(name, taken);
        }
        out.writeEntryRef(name, document.data);
    }
}

// A payload name that cannot be a file of the topic folder, or that another file of the folder
// has already, becomes the viewpoint's GUID (or a fresh one) with `extension`.
void usableNameFor(std::string& name, const ViewPoint& viewPoint, const char* extension,
                   std::set<std::string>& taken, SaveNotes& notes, const char* note) {
    if (isPlainFileName(name) && taken.insert(name).second)
        return;
    notes.add(note);
    name = (isGuid(viewPoint.guid) ? viewPoint.guid : generateGuid()) + extension;
    while (!taken.insert(name).second)
        name = generateGuid() + extension;
}

void writeTopicEntries(ZipArchive& out, BcfData& data, BcfVersion version, SaveNotes& notes) {
    for (Markup& markup : data.markups) {
        // Payloads are fetched under their old names before any is renamed.
        for (ViewPoint& viewPoint : markup.viewPoints) {
            fetchVisualization(markup, viewPoint);
            fetchSnapshot(markup, viewPoint);
        }
        std::set<std::string> taken = {"markup.bcf"};
        std::map<std::string, const SharedBytes*> images; // snapshot entries by name
        std::vector<bool> writeImage(markup.viewPoints.size());
        for (std::size_t i = 0; i < markup.viewPoints.size(); ++i) {
            ViewPoint& viewPoint = markup.viewPoints[i];
            if (viewPoint.viewpoint.empty()) {
                // no viewpoint file
            } else if (viewPoint.visualizationMissing) {
                notes.add("viewpoint files missing from the archive left out");
            } else {
                usableNameFor(viewPoint.viewpoint, viewPoint, ".bcfv", taken, notes,
                              "viewpoint file names that cannot be entry names replaced");
            }
            const auto image = images.find(viewPoint.snapshot);
            if (viewPoint.snapshotData.empty()) {
                if (!viewPoint.snapshot.empty())
                    notes.add("snapshots without content left out");
            } else if (image == images.end() || !(*image->second == viewPoint.snapshotData)) {
                // Viewpoints that name one image keep sharing its one entry.
                usableNameFor(viewPoint.snapshot, viewPoint, ".png", taken, notes,
                              "snapshot file names that cannot be entry names replaced");
                images[viewPoint.snapshot] = &viewPoint.snapshotData;
                writeImage[i] = true;
            }
        }
        // The folder is named after the topic's GUID unless that cannot name a folder; loading
        // finds a topic by its markup file, whatever the folder is called.
        std::string folder = markup.topic.guid;
        if (!isPlainFileName(folder) || folder == "documents") {
            notes.add("topic folders named anew (GUID unusable as a folder name)");
            folder = generateGuid();
        }
        folder += "/";
        out.writeEntry(folder + "markup.bcf", writeMarkup(markup, version));
        for (std::size_t i = 0; i < markup.viewPoints.size(); ++i) {
            const ViewPoint& viewPoint = markup.viewPoints[i];
            if (!viewPoint.viewpoint.empty() && !viewPoint.visualizationMissing)
                out.writeEntry(folder + viewPoint.viewpoint,
                               writeVisualizationInfo(viewPoint.visualizationInfo, version));
            if (writeImage[i])
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
    writeDocumentEntries(out, data, version, notes);
    writeTopicEntries(out, data, version, notes);
    out.save(path);
    return notes;
}

} // namespace bcf
