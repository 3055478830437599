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

// Texts of the notes for payloads that could not be read: the entry is left out, the reference
// to it stays.
constexpr const char* kSnapshotDamaged = "snapshots that could not be read left out (references kept)";
constexpr const char* kViewpointDamaged = "viewpoint files that could not be read left out (references kept)";
constexpr const char* kBitmapDamaged = "bitmap images that could not be read left out (references kept)";
constexpr const char* kDocumentDamaged = "documents that could not be read left out (references kept)";

// Runs `fetch`; a payload that can't be read (bad CRC, truncated, malformed) costs only itself:
// the failure becomes a note and false.
template <typename Fetch> bool fetchOrNote(Fetch fetch, SaveNotes& notes, const char* note) {
    try {
        fetch();
        return true;
    } catch (const BcfError&) {
        notes.add(note);
        return false;
    }
}

void writeDocumentEntries(ZipArchive& out, BcfData& data, BcfVersion version, SaveNotes& notes) {
    std::vector<const DocumentInfo*> readable;
    for (DocumentInfo& document : data.documents)
        if (fetchOrNote([&] { fetchDocument(document, data.version); }, notes, kDocumentDamaged))
            readable.push_back(&document);
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
    for (const DocumentInfo* readableDocument : readable) {
        const DocumentInfo& document = *readableDocument;
        std::string name = documentEntryName(document, version);
        if (name.empty())
            throw BcfError("write error", document.guid, "document without a file name");
        if (version == BcfVersion::V2_1)
            name = unusedRootName(name, taken);
        out.writeEntryRef(name, document.data);
    }
}

void writeTopicEntries(ZipArchive& out, BcfData& data, BcfVersion version, SaveNotes& notes) {
    for (Markup& markup : data.markups) {
        const std::string folder = markup.topic.guid + "/";
        out.writeEntry(folder + "markup.bcf", writeMarkup(markup, version));
        // Viewpoints may share a snapshot or bitmap file: each name is written once.
        std::set<std::string> written = {"markup.bcf"};
        const auto writePayload = [&](const std::string& name, const std::string& bytes) {
            if (!name.empty() && !bytes.empty() && written.insert(name).second)
                out.writeEntryRef(folder + name, bytes);
        };
        for (ViewPoint& viewPoint : markup.viewPoints) {
            // A reference whose files are missing or damaged keeps its reference; no entry is made.
            if (fetchOrNote([&] { fetchVisualization(markup, viewPoint); }, notes, kViewpointDamaged) &&
                !viewPoint.viewpoint.empty() && !viewPoint.visualizationMissing) {
                VisualizationInfo& info = viewPoint.visualizationInfo;
                if (info.guid.empty())
                    info.guid = viewPoint.guid;
                if (written.insert(viewPoint.viewpoint).second)
                    out.writeEntry(folder + viewPoint.viewpoint,
                                   writeVisualizationInfo(info, version, notes));
                if (info.bitmaps)
                    for (Bitmap& bitmap : *info.bitmaps)
                        if (fetchOrNote([&] { fetchBitmap(markup, bitmap); }, notes, kBitmapDamaged))
                            writePayload(bitmap.reference, bitmap.data);
            }
            if (fetchOrNote([&] { fetchSnapshot(markup, viewPoint); }, notes, kSnapshotDamaged))
                writePayload(viewPoint.snapshot, viewPoint.snapshotData);
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
