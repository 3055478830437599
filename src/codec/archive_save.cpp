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

#include <algorithm>
#include <set>
#include <unordered_set>

namespace bcf {

namespace {

// Each topic becomes a folder named after its GUID, so the GUIDs must be there and unique
// (in 3.0 also when lower-cased).
void checkTopicGuids(const BcfData& data, BcfVersion version) {
    std::unordered_set<std::string> seen;
    for (const Markup& markup : data.markups) {
        const std::string guid = normalizedGuid(markup.topic.guid, version);
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

// Texts of the notes for payloads that could not be read (bad CRC, truncated, malformed): the
// entry is left out, the reference to it stays.
constexpr const char* kSnapshotDamaged = "snapshots that could not be read left out (references kept)";
constexpr const char* kViewpointDamaged = "viewpoint files that could not be read left out (references kept)";
constexpr const char* kBitmapDamaged = "bitmap images that could not be read left out (references kept)";
constexpr const char* kDocumentDamaged = "documents that could not be read left out (references kept)";
constexpr const char* kSnippetDamaged = "BIM snippet files that could not be read left out (references kept)";
constexpr const char* kOtherFileDamaged = "other files that could not be read left out";

// Runs `fetch`; a payload that can't be read costs only itself: the failure becomes a note and
// false.
template <typename Fetch> bool fetchOrNote(Fetch fetch, SaveNotes& notes, const char* note) {
    try {
        fetch();
        return true;
    } catch (const BcfError&) {
        notes.add(note);
        return false;
    }
}

// Builds one save archive; remembers every entry name written, so that a file that two things
// name (a snippet that is also a document, a kept file a viewpoint also names) is written once.
class ArchiveWriter {
public:
    ArchiveWriter(BcfData& data, BcfVersion version, SaveNotes& notes)
        : data_(data), version_(version), notes_(notes) {}

    void write(ZipArchive& out) {
        out_ = &out;
        add("bcf.version", writeVersion(version_, data_.detailedVersion));
        if (version_ == BcfVersion::V3_0 && !data_.detailedVersion.empty())
            notes_.add("detailed version texts dropped (BCF 3.0 has none)");
        if (hasProjectFile(data_, version_))
            add("project.bcfp", writeProject(data_, version_, &notes_));
        add(extensionsEntryName(data_, version_), writeExtensions(data_, version_, &notes_));
        if (version_ == BcfVersion::V3_0 && data_.version == BcfVersion::V2_1 &&
            !data_.extensionSchema.empty() && data_.extensionSchema != "extensions.xsd" &&
            data_.extensionSchema != "extensions.xml")
            notes_.add("extension schema names replaced by extensions.xml (BCF 3.0 knows no other)");
        writeDocumentEntries();
        writeTopicEntries();
        for (OtherFile& file : data_.otherFiles)
            if (fetchOrNote([&] { fetchOtherFile(file, {}); }, notes_, kOtherFileDamaged))
                addOther(file.name, file.data);
    }

private:
    void add(const std::string& name, std::string bytes) {
        if (written_.insert(name).second)
            out_->writeEntry(name, std::move(bytes));
    }
    void addRef(const std::string& name, const std::string& bytes) {
        if (written_.insert(name).second)
            out_->writeEntryRef(name, bytes);
    }

    // A kept file whose name no archive should hold ("../x", "C:x", a backslash) is left out
    // rather than failing the whole save.
    void addOther(const std::string& name, const std::string& bytes) {
        try {
            addRef(name, bytes);
        } catch (const BcfError&) {
            notes_.add("files with unsafe names dropped");
        }
    }

    void writeDocumentEntries() {
        const bool v3 = version_ == BcfVersion::V3_0;
        std::unordered_set<const DocumentInfo*> damaged;
        for (DocumentInfo& document : data_.documents)
            if (!fetchOrNote([&] { fetchDocument(document, data_.version); }, notes_, kDocumentDamaged))
                damaged.insert(&document);
        if (v3) {
            // 3.0 stores a document under its GUID; one that has none (every 2.1 document) gets
            // a fresh one, kept in the model so that the next save names it the same.
            for (DocumentInfo& document : data_.documents)
                if (document.guid.empty())
                    document.guid = generateGuid();
            add("documents.xml", writeDocuments(data_.documents, &notes_));
        } else if (std::any_of(data_.documents.begin(), data_.documents.end(),
                               [](const DocumentInfo& document) {
                                   return !document.description.empty() || !document.guid.empty();
                               })) {
            // References to the documents are mapped to their file names.
            notes_.add("document GUIDs and descriptions dropped (BCF 2.1 has no documents.xml)");
        }
        std::set<std::string> taken = {"bcf.version", "project.bcfp", "extensions.xsd",
                                       extensionsEntryName(data_, version_)};
        for (const DocumentInfo& document : data_.documents) {
            std::string name = v3 ? "documents/" + normalizedGuid(document.guid, version_)
                                  : documentEntryName(document, version_);
            if (name.empty())
                throw BcfError("write error", document.guid, "document without a file name");
            if (!v3)
                name = unusedRootName(name, taken);
            context_.documents.push_back({document.guid, documentEntryName(document, data_.version), name});
            if (!damaged.contains(&document))
                addRef(name, document.data);
        }
        context_.notes = &notes_;
    }

    // Relations to topics deleted since loading point at nothing the archive holds: they go.
    void dropRelationsToDeletedTopics(Topic& topic) {
        if (data_.deletedTopics.empty())
            return;
        const auto deleted = [this](const RelatedTopic& related) {
            const std::string guid = normalizedGuid(related.guid, BcfVersion::V3_0);
            return std::any_of(
                data_.deletedTopics.begin(), data_.deletedTopics.end(),
                [&](const std::string& gone) { return normalizedGuid(gone, BcfVersion::V3_0) == guid; });
        };
        if (const std::size_t dropped = std::erase_if(topic.relatedTopics, deleted))
            notes_.add("relations to deleted topics removed", dropped);
    }

    void writeTopicEntries() {
        for (Markup& markup : data_.markups) {
            dropRelationsToDeletedTopics(markup.topic);
            const std::string folder = normalizedGuid(markup.topic.guid, version_) + "/";
            add(folder + "markup.bcf", writeMarkup(markup, version_, context_));
            for (ViewPoint& viewPoint : markup.viewPoints) {
                // A reference whose files are missing or damaged keeps its reference; no entry
                // is made. Viewpoints may share a snapshot or bitmap file: it is written once.
                if (fetchOrNote([&] { fetchVisualization(markup, viewPoint); }, notes_, kViewpointDamaged) &&
                    !viewPoint.viewpoint.empty() && !viewPoint.visualizationMissing) {
                    VisualizationInfo& info = viewPoint.visualizationInfo;
                    if (info.guid.empty())
                        info.guid = viewPoint.guid;
                    add(folder + viewPoint.viewpoint, writeVisualizationInfo(info, version_, notes_));
                    for (Bitmap& bitmap : info.bitmaps ? *info.bitmaps : noBitmaps_)
                        if (fetchOrNote([&] { fetchBitmap(markup, bitmap); }, notes_, kBitmapDamaged) &&
                            !bitmap.reference.empty() && !bitmap.data.empty())
                            addRef(folder + bitmap.reference, bitmap.data);
                }
                if (fetchOrNote([&] { fetchSnapshot(markup, viewPoint); }, notes_, kSnapshotDamaged) &&
                    !viewPoint.snapshot.empty() && !viewPoint.snapshotData.empty())
                    addRef(folder + viewPoint.snapshot, viewPoint.snapshotData);
            }
            fetchOrNote([&] { fetchBimSnippet(markup); }, notes_, kSnippetDamaged);
            if (const auto& snippet = markup.topic.bimSnippet; snippet && !snippet->data.empty())
                if (const auto name = resolveEntryPath(folder, snippet->reference))
                    addRef(*name, snippet->data);
            const std::string sourceFolder = payloadFolder(markup);
            for (OtherFile& file : markup.otherFiles)
                if (fetchOrNote([&] { fetchOtherFile(file, sourceFolder); }, notes_, kOtherFileDamaged))
                    addOther(folder + file.name, file.data);
        }
    }

    BcfData& data_;
    BcfVersion version_;
    SaveNotes& notes_;
    ZipArchive* out_ = nullptr;
    MarkupWriteContext context_;
    std::unordered_set<std::string> written_;
    std::vector<Bitmap> noBitmaps_;
};

} // namespace

SaveNotes saveArchive(const std::string& path, BcfData& data, BcfVersion version) {
    SaveNotes notes;
    requireWritableVersion(version);
    checkTopicGuids(data, version);

    ZipArchive out;
    ArchiveWriter(data, version, notes).write(out);
    out.save(path);
    return notes;
}

} // namespace bcf
