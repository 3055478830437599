#include "codec/archive.h"

#include "codec/bcf_error.h"
#include "codec/documents.h"
#include "codec/entry_names.h"
#include "codec/extensions.h"
#include "codec/guid.h"
#include "codec/guid_repair.h"
#include "codec/markup.h"
#include "codec/payloads.h"
#include "codec/project.h"
#include "codec/unread_content_p.h"
#include "codec/version.h"
#include "codec/visinfo.h"
#include "codec/xml_util_p.h"
#include "codec/zip/zip_archive.h"

#include <algorithm>
#include <map>
#include <set>
#include <sys/stat.h>
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

// A 2.1 archive keeps its documents at the root under their file names, which 3.0 documents
// (stored by GUID) need not have unique, and which may be those of the archive's own files.
// A name that is taken, or that a reader would take for a markup file, gets " (2)", " (3)", ...
// before its extension.
std::string unusedRootName(const std::string& name, std::set<std::string>& taken) {
    const std::string unused = unusedName(name, [&taken](const std::string& candidate) {
        return taken.contains(candidate) || isMarkupEntryName(candidate);
    });
    taken.insert(unused);
    return unused;
}

// Texts of the notes for payloads that could not be read (bad CRC, truncated, malformed): the
// entry is left out, the reference to it stays.
constexpr const char* kSnapshotDamaged = "snapshots that could not be read left out (references kept)";
constexpr const char* kViewpointDamaged = "viewpoint files that could not be read left out (references kept)";
constexpr const char* kBitmapDamaged = "bitmap images that could not be read left out (references kept)";
constexpr const char* kDocumentDamaged = "documents that could not be read left out (references kept)";
constexpr const char* kSnippetDamaged = "BIM snippet files that could not be read left out (references kept)";
constexpr const char* kOtherFileDamaged = "other files that could not be read left out";

// Texts of the notes for what the loaded files held that the model does not (see UnreadContent),
// each followed by the names.
constexpr const char* kUnreadNotes[] = {
    "elements and attributes this tool does not read left out: ",
    "repeated elements and attributes left out (the first of each is read): ",
    "values not of their schema type left out (numbers read as 0 or as the number they start with): ",
};

// "Comment/Status, Component@Visible, others".
std::string joinedNames(const std::vector<UnreadContent>& unread, UnreadContent::Kind kind,
                        std::size_t& count) {
    std::string names;
    bool others = false;
    for (const UnreadContent& content : unread) {
        if (content.kind != kind)
            continue;
        count += content.count;
        if (content.name.empty())
            others = true;
        else
            names += (names.empty() ? "" : ", ") + content.name;
    }
    if (others)
        names += names.empty() ? "others" : ", others";
    return names;
}

bool isViewpointFileName(const std::string& name) {
    return name.size() > 5 && name.compare(name.size() - 5, 5, ".bcfv") == 0;
}

// Runs `fetch`; a payload that can't be read costs only itself: the failure becomes a note and
// false. An archive saved over the file it was loaded from would lose that payload's bytes for
// good, so there the save fails instead (`onlyCopy`). A budget that runs out is no damage: the
// save fails.
template <typename Fetch> bool fetchOrNote(Fetch fetch, SaveNotes& notes, const char* note, bool onlyCopy) {
    try {
        fetch();
        return true;
    } catch (const BudgetExceeded&) {
        throw;
    } catch (const BcfError& error) {
        if (onlyCopy)
            throw BcfError("damaged entry would be lost", error.subject(),
                           "the archive is saved over the file it was read from; save it to another file");
        notes.add(note);
        return false;
    }
}

// Builds one save archive; remembers every entry name written, so that a file that two things
// name (a snippet that is also a document, a kept file a viewpoint also names) is written once.
class ArchiveWriter {
public:
    ArchiveWriter(BcfDocument& document, BcfVersion version, SaveNotes& notes, bool overSource)
        : data_(document.data), source_(*document.archive), version_(version), notes_(notes),
          overSource_(overSource) {}

    void write(ZipArchive& out) {
        out_ = &out;
        collectUnread(data_.unread);
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
            if (fetchOrNote([&] { fetchOtherFile(source_, file, {}); }, notes_, kOtherFileDamaged,
                            overSource_))
                addKept(file.name, file.data);
        noteUnread();
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
    void addCopy(const std::string& name, const std::string& sourceName, const EntryCopy& copy) {
        if (written_.insert(name).second)
            out_->writeEntryFrom(name, source_, sourceName, copy);
    }

    // A kept file whose name no ZIP archive may hold ("../x", "C:x", a backslash) is left out
    // rather than failing the whole save; anything else that fails fails the save.
    bool isSafeOtherName(const std::string& name, bool hasBytes) {
        if (entryNameProblem(name, hasBytes).empty())
            return true;
        notes_.add("kept files left out: their names are unsafe in a ZIP archive (absolute, "
                   "\"..\", backslash, drive letter)");
        return false;
    }

    // A kept file goes as it is, but a viewpoint file that no markup names is no file of the
    // other version: converted there, it is written anew in that version's form.
    void addKept(const std::string& name, const std::string& bytes) {
        if (written_.contains(name))
            return; // a viewpoint of a topic took it (claimKeptViewpoint)
        if (version_ == data_.version || !isViewpointFileName(name)) {
            if (isSafeOtherName(name, !bytes.empty()))
                addRef(name, bytes);
            return;
        }
        VisualizationInfo info;
        try {
            pugi::xml_document document;
            xml::parse(document, bytes, name);
            info = readVisualizationInfo(document);
        } catch (const BudgetExceeded&) {
            throw;
        } catch (const BcfError&) {
            notes_.add("viewpoint files that no markup names and that could not be read left out");
            return;
        }
        if (!isGuid(info.guid)) {
            notes_.add("viewpoint files that no markup names given a GUID (BCF requires one)");
            info.guid = generateGuid();
        }
        std::string converted = writeVisualizationInfo(info, version_, notes_);
        notes_.add(std::string("viewpoint files that no markup names converted to BCF ") +
                   versionText(static_cast<int>(version_)));
        collectUnread(info.unread);
        if (isSafeOtherName(name, true))
            add(name, std::move(converted));
    }

    void collectUnread(const std::vector<UnreadContent>& unread) {
        for (const UnreadContent& content : unread)
            xml::addUnread(unread_, content);
    }

    // One note per kind of what the loaded files held and this save leaves out, naming it.
    void noteUnread() {
        for (const auto kind :
             {UnreadContent::Kind::Unknown, UnreadContent::Kind::Repeated, UnreadContent::Kind::Invalid}) {
            std::size_t count = 0;
            const std::string names = joinedNames(unread_, kind, count);
            if (count > 0)
                notes_.add(kUnreadNotes[static_cast<int>(kind)] + names, count);
        }
    }

    void writeDocumentEntries() {
        const bool v3 = version_ == BcfVersion::V3_0;
        std::unordered_set<const DocumentInfo*> damaged;
        for (DocumentInfo& document : data_.documents)
            if (!fetchOrNote([&] { fetchDocument(source_, document, data_.version); }, notes_,
                             kDocumentDamaged, overSource_))
                damaged.insert(&document);
        if (v3) {
            // 3.0 stores a document under its GUID; one that has none (every 2.1 document), or
            // whose GUID is no GUID or another document's, gets a fresh one, kept in the model
            // so that the next save names it the same.
            std::set<std::string> guids;
            for (DocumentInfo& document : data_.documents) {
                if (isGuid(document.guid) && guids.insert(normalizedGuid(document.guid, version_)).second)
                    continue;
                if (!document.guid.empty())
                    notes_.add("document GUIDs replaced (not a GUID, or another document's)");
                document.guid = generateGuid();
                guids.insert(document.guid);
            }
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
            if (!v3) {
                if (!isPlainFileName(name) && !isMarkupEntryName(name)) {
                    notes_.add("document file names that cannot be entry names replaced");
                    name = "document";
                }
                name = unusedRootName(name, taken);
            }
            context_.documents.push_back({document.guid, documentEntryName(document, data_.version), name});
            // A document without bytes has nothing to write; in 2.1 that leaves no trace of it.
            if (damaged.contains(&document))
                continue;
            // In 3.0 documents.xml still lists it (name, description, GUID), without a file.
            if (document.data.isNull())
                notes_.add(v3 ? "documents without content listed without their file"
                              : "documents without content left out");
            else
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
            collectUnread(markup.unread);
            // Payloads are fetched under their old names before any is renamed. A damaged one
            // costs only itself: its reference is kept and no entry is made for it.
            std::vector<bool> viewpointRead(markup.viewPoints.size());
            std::vector<bool> snapshotRead(markup.viewPoints.size());
            // Snapshots the model does not hold are copied from the archive entry by entry while
            // the new one is written, rather than all held at once; checked here all the same.
            std::vector<std::optional<EntryCopy>> copies(markup.viewPoints.size());
            std::vector<std::string> copiedFrom(markup.viewPoints.size());
            for (std::size_t i = 0; i < markup.viewPoints.size(); ++i) {
                ViewPoint& viewPoint = markup.viewPoints[i];
                viewpointRead[i] = fetchOrNote([&] { fetchVisualization(source_, markup, viewPoint); },
                                               notes_, kViewpointDamaged, overSource_);
                if (viewpointRead[i] && viewPoint.visualizationInfo.bitmaps)
                    for (Bitmap& bitmap : *viewPoint.visualizationInfo.bitmaps)
                        fetchOrNote([&] { fetchBitmap(source_, markup, bitmap); }, notes_, kBitmapDamaged,
                                    overSource_);
                if (!copiesSnapshot(markup, viewPoint)) {
                    snapshotRead[i] = fetchOrNote([&] { fetchSnapshot(source_, markup, viewPoint); }, notes_,
                                                  kSnapshotDamaged, overSource_);
                    continue;
                }
                copiedFrom[i] = payloadEntryName(markup, viewPoint.snapshot);
                snapshotRead[i] =
                    fetchOrNote([&] { copies[i] = source_.inspect(copiedFrom[i]).value_or(EntryCopy{}); },
                                notes_, kSnapshotDamaged, overSource_);
            }
            // The folder is named after the topic's GUID unless that cannot name a folder;
            // loading finds a topic by its markup file, whatever the folder is called.
            std::string folder = normalizedGuid(markup.topic.guid, version_);
            if (!isPlainFileName(folder) || folder == "documents") {
                notes_.add("topic folders named anew (GUID unusable as a folder name)");
                folder = generateGuid();
            }
            folder += "/";
            for (std::size_t i = 0; i < markup.viewPoints.size(); ++i)
                if (viewpointRead[i])
                    viewpointRead[i] = claimKeptViewpoint(folder, markup.viewPoints[i]);
            const std::vector<bool> writeImage = namePayloads(markup, snapshotRead, copies);
            // One renamed in the model would no longer lead to its entry: the model takes its bytes.
            for (std::size_t i = 0; i < markup.viewPoints.size(); ++i)
                if (ViewPoint& viewPoint = markup.viewPoints[i];
                    copies[i] && payloadEntryName(markup, viewPoint.snapshot) != copiedFrom[i]) {
                    viewPoint.snapshotData = source_.readShared(copiedFrom[i]);
                    viewPoint.snapshotLoaded = 1;
                    copies[i].reset();
                }
            add(folder + "markup.bcf", writeMarkup(markup, version_, context_));
            for (std::size_t i = 0; i < markup.viewPoints.size(); ++i) {
                ViewPoint& viewPoint = markup.viewPoints[i];
                if (viewpointRead[i] && !viewPoint.viewpoint.empty() && !viewPoint.visualizationMissing) {
                    VisualizationInfo& info = viewPoint.visualizationInfo;
                    // The file carries its reference's GUID when its own is missing or no GUID.
                    if (!isGuid(info.guid)) {
                        if (!info.guid.empty())
                            notes_.add("viewpoint file GUIDs set to their reference's");
                        info.guid = viewPoint.guid;
                    }
                    add(folder + viewPoint.viewpoint, writeVisualizationInfo(info, version_, notes_));
                    collectUnread(info.unread);
                    // Viewpoints may share a bitmap file: it is written once. A bitmap name that
                    // is no plain file name could land outside the topic's folder.
                    for (const Bitmap& bitmap : info.bitmaps ? *info.bitmaps : noBitmaps_) {
                        if (bitmap.reference.empty() || bitmap.data.empty())
                            continue;
                        if (isPlainFileName(bitmap.reference) && bitmap.reference != "markup.bcf")
                            addRef(folder + bitmap.reference, bitmap.data);
                        else
                            notes_.add("bitmap images whose names cannot be entry names left out");
                    }
                }
                if (writeImage[i] && copies[i])
                    addCopy(folder + viewPoint.snapshot, copiedFrom[i], *copies[i]);
                else if (writeImage[i])
                    addRef(folder + viewPoint.snapshot, viewPoint.snapshotData);
            }
            fetchOrNote([&] { fetchBimSnippet(source_, markup); }, notes_, kSnippetDamaged, overSource_);
            if (const auto& snippet = markup.topic.bimSnippet; snippet && !snippet->data.empty())
                if (const auto name = resolveEntryPath(folder, snippet->reference))
                    addSnippet(*name, snippet->data);
            const std::string sourceFolder = payloadFolder(markup);
            for (OtherFile& file : markup.otherFiles)
                if (fetchOrNote([&] { fetchOtherFile(source_, file, sourceFolder); }, notes_,
                                kOtherFileDamaged, overSource_))
                    addKept(folder + file.name, file.data);
        }
    }

    // A snippet's file goes where its reference leads, but not under a name a reader takes for a
    // topic's markup or for one of the archive's own files: read back, it would be another topic
    // or replace what the archive says of itself. The file such a reference names is saved as
    // what it is (a topic, the project file); the reference stays as it was.
    void addSnippet(const std::string& name, const std::string& bytes) {
        static const std::set<std::string> archiveFiles = {"bcf.version", "project.bcfp", "extensions.xsd",
                                                           "extensions.xml", "documents.xml"};
        if (written_.contains(name))
            return;
        if (isMarkupEntryName(name) || archiveFiles.contains(name) || name == data_.extensionSchema)
            notes_.add("BIM snippet files named like a BCF file of the archive left out (references kept)");
        else
            addRef(name, bytes);
    }

    // A viewpoint file missing from the topic's source folder may be a kept file, one that no
    // markup named, which lands in the topic's folder (named after its GUID, not after its source
    // folder) under the name the viewpoint refers to. Read back, the reference finds that file: the
    // viewpoint takes it now, so that a second save writes what this one did. Unreadable, it is
    // left out, as it would be read back. False when it is.
    bool claimKeptViewpoint(const std::string& folder, ViewPoint& viewPoint) {
        if (viewPoint.viewpoint.empty() || !viewPoint.visualizationMissing)
            return true;
        const std::string name = folder + viewPoint.viewpoint;
        const auto kept = std::find_if(data_.otherFiles.begin(), data_.otherFiles.end(),
                                       [&](const OtherFile& file) { return file.name == name; });
        if (kept == data_.otherFiles.end())
            return true;
        VisualizationInfo info;
        const bool read = fetchOrNote(
            [&] {
                fetchOtherFile(source_, *kept, {});
                pugi::xml_document document;
                xml::parse(document, kept->data, name);
                info = readVisualizationInfo(document);
            },
            notes_, kViewpointDamaged, overSource_);
        if (!read) {
            written_.insert(name);
            return false;
        }
        if (info.guid.empty())
            info.guid = viewPoint.guid;
        viewPoint.visualizationInfo = std::move(info);
        viewPoint.visualizationMissing = false;
        return true;
    }

    // A payload name that cannot be a file of the topic folder, or that another file of the
    // folder has already, becomes the viewpoint's GUID (or a fresh one) with `extension`.
    void usableNameFor(std::string& name, const ViewPoint& viewPoint, const char* extension,
                       std::set<std::string>& taken, const char* note) {
        if (isPlainFileName(name) && taken.insert(name).second)
            return;
        notes_.add(note);
        name =
            (isGuid(viewPoint.guid) ? normalizedGuid(viewPoint.guid, version_) : generateGuid()) + extension;
        while (!taken.insert(name).second)
            name = generateGuid() + extension;
    }

    // A snapshot the model does not hold, that no other viewpoint of the topic names, is copied
    // from the archive as the new one is written (viewpoints that share one image compare bytes).
    static bool copiesSnapshot(const Markup& markup, const ViewPoint& viewPoint) {
        return !viewPoint.snapshotLoaded && !viewPoint.snapshot.empty() &&
               std::count_if(markup.viewPoints.begin(), markup.viewPoints.end(), [&](const ViewPoint& other) {
                   return other.snapshot == viewPoint.snapshot;
               }) == 1;
    }

    // Checks the names of the topic's viewpoint files and snapshots, renaming in the model what
    // a reader would take for another file; tells which snapshots to write (viewpoints that
    // name one image keep sharing its one entry). Payloads without bytes are reported.
    std::vector<bool> namePayloads(Markup& markup, const std::vector<bool>& snapshotRead,
                                   const std::vector<std::optional<EntryCopy>>& copies) {
        std::set<std::string> taken = {"markup.bcf"};
        std::map<std::string, const SharedBytes*> images;
        std::vector<bool> writeImage(markup.viewPoints.size());
        for (std::size_t i = 0; i < markup.viewPoints.size(); ++i) {
            ViewPoint& viewPoint = markup.viewPoints[i];
            if (!viewPoint.viewpoint.empty() && viewPoint.visualizationMissing)
                notes_.add("viewpoint files missing from the archive left out");
            else if (!viewPoint.viewpoint.empty())
                usableNameFor(viewPoint.viewpoint, viewPoint, ".bcfv", taken,
                              "viewpoint file names that cannot be entry names replaced");
            const auto image = images.find(viewPoint.snapshot);
            if (!snapshotRead[i]) {
                // Damaged: noted when it was read; its reference stays as it is.
            } else if (copies[i] ? copies[i]->size == 0 : viewPoint.snapshotData.empty()) {
                if (!viewPoint.snapshot.empty())
                    notes_.add("snapshots without content left out");
            } else if (image == images.end() || !(*image->second == viewPoint.snapshotData)) {
                usableNameFor(viewPoint.snapshot, viewPoint, ".png", taken,
                              "snapshot file names that cannot be entry names replaced");
                images[viewPoint.snapshot] = &viewPoint.snapshotData;
                writeImage[i] = true;
            }
        }
        return writeImage;
    }

    BcfData& data_;
    const ZipArchive& source_;
    BcfVersion version_;
    SaveNotes& notes_;
    bool overSource_;
    ZipArchive* out_ = nullptr;
    MarkupWriteContext context_;
    std::unordered_set<std::string> written_;
    std::vector<Bitmap> noBitmaps_;
    std::vector<UnreadContent> unread_; // of every file written, for the notes
};

// True when `a` and `b` name one existing file (through links, or spelt differently).
bool isSameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return !a.empty() && !b.empty() && ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

SaveNotes saveArchive(const std::string& path, BcfDocument& document, BcfVersion version) {
    SaveNotes notes;
    requireWritableVersion(version);
    repairGuids(document.data, version, notes);
    checkTopicGuids(document.data, version);

    ZipArchive out;
    try {
        // The trees written count against the archive's budget like the ones read.
        const xml::ParseBudgetScope budget(document.archive->budget());
        ArchiveWriter(document, version, notes, isSameFile(path, document.archive->path())).write(out);
    } catch (const BudgetExceeded& error) {
        // The payloads a save must hold do not fit: nothing is written rather than an archive
        // without them.
        throw BcfError("archive too large to save (limit " +
                           std::to_string(document.archive->budget().limit() >> 20) + " MiB)",
                       error.subject(), "its files do not fit in memory together");
    }
    out.save(path);
    return notes;
}

} // namespace bcf
