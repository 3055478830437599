#include "codec/merge.h"

#include "codec/bcf_error.h"
#include "codec/date_time.h"
#include "codec/documents.h"
#include "codec/entry_names.h"
#include "codec/guid.h"
#include "codec/payloads.h"
#include "codec/zip/zip_archive.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace bcf {

namespace {

std::string lower(const std::string& text) {
    return normalizedGuid(text, BcfVersion::V3_0);
}

// Which side's values a record both archives have takes.
enum class Later { Base, Other, Neither };

// By modified date: none, or a text that is no date-time, counts as never modified.
Later laterSide(const std::string& base, const std::string& other) {
    const auto a = parseDateTime(base);
    const auto b = parseDateTime(other);
    if (a == b)
        return Later::Neither;
    if (!a || (b && *a < *b))
        return Later::Other;
    return Later::Base;
}

// How field values read in a conflict, and when a side has none.
std::string display(const std::string& value) {
    return value;
}
std::string display(const std::optional<std::string>& value) {
    return value.value_or("");
}
std::string display(const std::optional<int>& value) {
    return value ? std::to_string(*value) : std::string();
}
std::string display(const std::vector<std::string>& values) {
    std::string text;
    for (const std::string& value : values)
        text += (text.empty() ? "" : ", ") + value;
    return text;
}
std::string display(const std::optional<BimSnippet>& snippet) {
    return snippet ? snippet->reference : std::string();
}
std::string display(const std::optional<Header>& header) {
    std::vector<std::string> names;
    for (const File& file : header ? header->files : std::vector<File>())
        names.push_back(file.filename.empty() ? file.reference : file.filename);
    return display(names);
}

// Two snippets are the same when they name the same file the same way; their bytes are payload.
bool same(const std::optional<BimSnippet>& a, const std::optional<BimSnippet>& b) {
    const auto key = [](const BimSnippet& s) {
        return std::tie(s.snippetType, s.isExternal, s.reference, s.referenceSchema);
    };
    return a.has_value() == b.has_value() && (!a || key(*a) == key(*b));
}
template <typename T> bool same(const T& a, const T& b) {
    return a == b;
}

// Merges the fields of one record both archives have, from the side modified later.
class FieldMerge {
public:
    FieldMerge(Later later, std::string topicGuid, std::string commentGuid,
               std::vector<MergeConflict>& conflicts)
        : later_(later), topicGuid_(std::move(topicGuid)), commentGuid_(std::move(commentGuid)),
          conflicts_(conflicts) {}

    // Returns true when `mine` took the other's value.
    template <typename T> bool operator()(const char* field, T& mine, const T& theirs) {
        if (same(mine, theirs))
            return false;
        const bool mineEmpty = display(mine).empty();
        const bool theirsEmpty = display(theirs).empty();
        if (later_ == Later::Other || (later_ == Later::Neither && mineEmpty && !theirsEmpty)) {
            mine = theirs;
            taken.push_back(field);
            return true;
        }
        if (later_ == Later::Neither && !theirsEmpty)
            conflicts_.push_back({topicGuid_, commentGuid_, {}, field, display(mine), display(theirs)});
        return false;
    }

    // A GUID that names another record: the same in any case.
    bool guid(const char* field, std::string& mine, const std::string& theirs) {
        return lower(mine) != lower(theirs) && (*this)(field, mine, theirs);
    }

    // A date-time: the same instant in any notation.
    template <typename T> bool date(const char* field, T& mine, const T& theirs) {
        const auto a = parseDateTime(display(mine));
        return (!a || a != parseDateTime(display(theirs))) && (*this)(field, mine, theirs);
    }

    std::vector<std::string> taken;

private:
    Later later_;
    std::string topicGuid_;
    std::string commentGuid_;
    std::vector<MergeConflict>& conflicts_;
};

// Reads payloads of one archive into records; one that can't be read is left out, noted, and
// marked held so that nothing reads it from another archive later.
class PayloadReader {
public:
    PayloadReader(const ZipArchive& source, SaveNotes& notes) : source_(source), notes_(notes) {}

    void viewPoint(Markup& markup, ViewPoint& viewPoint) {
        guarded([&] { fetchVisualization(source_, markup, viewPoint); },
                [&] {
                    viewPoint.visualizationInfo = {};
                    viewPoint.visualizationLoaded = 1;
                    viewPoint.visualizationMissing = true;
                },
                "viewpoint files of merged archives that could not be read left out");
        if (auto& bitmaps = viewPoint.visualizationInfo.bitmaps)
            for (Bitmap& bitmap : *bitmaps)
                guarded([&] { fetchBitmap(source_, markup, bitmap); },
                        [&] { std::tie(bitmap.dataLoaded, bitmap.data) = std::pair(1, std::string()); },
                        "bitmap images of merged archives that could not be read left out");
        snapshot(markup, viewPoint);
    }

    void snapshot(const Markup& markup, ViewPoint& viewPoint) {
        guarded(
            [&] { fetchSnapshot(source_, markup, viewPoint); },
            [&] { std::tie(viewPoint.snapshotLoaded, viewPoint.snapshotData) = std::pair(1, SharedBytes()); },
            "snapshots of merged archives that could not be read left out");
    }

    void snippet(Markup& markup) {
        guarded([&] { fetchBimSnippet(source_, markup); },
                [&] {
                    std::tie(markup.topic.bimSnippet->dataLoaded, markup.topic.bimSnippet->data) =
                        std::pair(1, SharedBytes());
                },
                "BIM snippet files of merged archives that could not be read left out");
    }

    void otherFile(OtherFile& file, const std::string& folder) {
        guarded([&] { fetchOtherFile(source_, file, folder); },
                [&] { std::tie(file.dataLoaded, file.data) = std::pair(1, SharedBytes()); },
                "other files of merged archives that could not be read left out");
    }

    void document(DocumentInfo& document, BcfVersion version) {
        guarded([&] { fetchDocument(source_, document, version); },
                [&] { std::tie(document.dataLoaded, document.data) = std::pair(1, SharedBytes()); },
                "documents of merged archives that could not be read left out");
    }

    // Every payload of a topic, which then no longer depends on the folder it was read from.
    void markup(Markup& markup) {
        for (ViewPoint& point : markup.viewPoints)
            viewPoint(markup, point);
        snippet(markup);
        const std::string folder = payloadFolder(markup);
        for (OtherFile& file : markup.otherFiles)
            otherFile(file, folder);
        markup.sourceFolder.reset();
    }

private:
    void guarded(const std::function<void()>& fetch, const std::function<void()>& leaveOut,
                 const char* note) {
        try {
            fetch();
        } catch (const BudgetExceeded&) {
            throw; // no damage: the merge fails rather than leave out what does not fit
        } catch (const BcfError&) {
            leaveOut();
            notes_.add(note);
        }
    }

    const ZipArchive& source_;
    SaveNotes& notes_;
};

// What a record holds apart from its GUID, to match records of which one has no GUID: one a tool
// left out, and the one a conversion gave it then.
std::string commentContent(const Comment& comment) {
    return comment.date + "\n" + comment.author + "\n" + comment.comment;
}
std::string viewPointContent(const ViewPoint& viewPoint) {
    return viewPoint.viewpoint + "\n" + viewPoint.snapshot;
}
std::string referenceContent(const DocumentReference& reference) {
    if (!reference.url.empty() || (reference.isExternal && reference.documentGuid.empty()))
        return "url " + (reference.url.empty() ? reference.referencedDocument : reference.url);
    return reference.documentGuid.empty() ? "path " + reference.referencedDocument
                                          : "document " + lower(reference.documentGuid);
}

// Orders a list that gained entries the same whichever archive was the base: the entries both
// sides have keep the base's order, and the entries only one side has between two of them are
// ordered by `before`, so that an answer appended to a copy stays at the end of the thread.
class Interleave {
public:
    explicit Interleave(std::size_t baseSize) : shared_(baseSize, false) {}

    // The next entry of the other archive's list is the list's entry `index`.
    void matched(std::size_t index) {
        if (index < shared_.size() && !shared_[index]) {
            shared_[index] = true;
            ++anchors_;
        }
    }
    // The next entry of the other archive's list was appended to the list.
    void added() { gaps_.push_back(anchors_); }
    std::size_t addedCount() const { return gaps_.size(); }

    template <typename T, typename Less> void apply(std::vector<T>& list, Less before) const {
        if (gaps_.empty())
            return;
        struct Place {
            std::size_t gap; // the shared entries before it
            bool shared;
            std::size_t index;
        };
        std::vector<Place> places;
        std::size_t seen = 0;
        for (std::size_t i = 0; i < shared_.size(); ++i) {
            places.push_back({seen, shared_[i], i});
            seen += shared_[i] ? 1 : 0;
        }
        for (std::size_t k = 0; k < gaps_.size(); ++k)
            places.push_back({gaps_[k], false, shared_.size() + k});
        std::stable_sort(places.begin(), places.end(), [&](const Place& a, const Place& b) {
            if (a.gap != b.gap)
                return a.gap < b.gap;
            if (a.shared != b.shared)
                return b.shared;
            return !a.shared && before(list[a.index], list[b.index]);
        });
        std::vector<T> ordered;
        ordered.reserve(list.size());
        for (const Place& place : places)
            ordered.push_back(std::move(list[place.index]));
        list = std::move(ordered);
    }

private:
    std::vector<bool> shared_;
    std::size_t anchors_ = 0;
    std::vector<std::size_t> gaps_;
};

// Finds in one list the record that a record of the other archive is: the one with its GUID, in
// any case, or where either has none, the one with its content.
template <typename T> class RecordIndex {
public:
    using Content = std::string (*)(const T&);
    RecordIndex(std::vector<T>& records, Content content) : records_(records), content_(content) {
        for (std::size_t i = 0; i < records.size(); ++i)
            index(i);
    }

    // The index of the record in the list; nothing when the list has none.
    std::optional<std::size_t> find(const T& record) const {
        if (const auto at = byGuid_.find(lower(record.guid)); !record.guid.empty() && at != byGuid_.end())
            return at->second;
        const auto at = byContent_.find(content_(record));
        if (at == byContent_.end() || (!record.guid.empty() && !records_[at->second].guid.empty()))
            return std::nullopt;
        return at->second;
    }

    void add(const T& record) {
        records_.push_back(record);
        index(records_.size() - 1);
    }

private:
    void index(std::size_t i) {
        if (!records_[i].guid.empty())
            byGuid_.emplace(lower(records_[i].guid), i);
        byContent_.emplace(content_(records_[i]), i);
    }

    std::vector<T>& records_;
    Content content_;
    std::map<std::string, std::size_t> byGuid_;
    std::map<std::string, std::size_t> byContent_;
};

// A record matched by its content takes the GUID the other side gave it; true when it did.
template <typename T> bool takeGuid(T& mine, const T& theirs) {
    if (!mine.guid.empty() || theirs.guid.empty())
        return false;
    mine.guid = theirs.guid;
    return true;
}

// The file name a payload of a viewpoint gets when its own name is taken in the topic folder.
std::string ownName(const std::string& guid, const std::string& name, const std::string& extension,
                    const std::set<std::string>& taken) {
    std::string candidate = (isGuid(guid) ? lower(guid) : generateGuid()) + extension;
    while (taken.contains(candidate) && candidate != name)
        candidate = generateGuid() + extension;
    return candidate;
}

class Merger {
public:
    Merger(const BcfDocument& base, const BcfDocument& other)
        : base_(base), other_(other), baseReader_(*base.archive, summary_.notes),
          otherReader_(*other.archive, summary_.notes) {}

    MergeResult run() {
        out_ = base_.data;
        FieldMerge project(Later::Neither, {}, {}, summary_.conflicts);
        project("ProjectId", out_.projectId, other_.data.projectId);
        project("Name", out_.name, other_.data.name);
        summary_.projectFields = project.taken;
        mergeExtensions();
        mergeDocumentList();
        std::map<std::string, std::size_t> topics;
        for (std::size_t i = 0; i < out_.markups.size(); ++i)
            topics.emplace(lower(out_.markups[i].topic.guid), i);
        for (const Markup& markup : other_.data.markups) {
            Markup theirs = markup;
            normalizeReferences(theirs);
            const auto found = topics.find(lower(theirs.topic.guid));
            if (found == topics.end() || theirs.topic.guid.empty()) {
                topics.emplace(lower(theirs.topic.guid), out_.markups.size());
                addTopic(std::move(theirs));
            } else {
                mergeTopic(out_.markups[found->second], theirs);
            }
        }
        std::map<std::string, const OtherFile*> files;
        for (const OtherFile& file : out_.otherFiles)
            files.emplace(file.name, &file);
        for (const OtherFile& file : other_.data.otherFiles) {
            if (files.contains(file.name))
                continue;
            out_.otherFiles.push_back(file);
            otherReader_.otherFile(out_.otherFiles.back(), {});
        }
        return {std::move(out_), std::move(summary_)};
    }

private:
    void mergeExtensions() {
        for (auto list : {&BcfData::topicTypes, &BcfData::topicStatuses, &BcfData::topicLabels,
                          &BcfData::snippetTypes, &BcfData::priorities, &BcfData::users, &BcfData::stages})
            for (const std::string& value : other_.data.*list)
                if (std::find((out_.*list).begin(), (out_.*list).end(), value) == (out_.*list).end()) {
                    (out_.*list).push_back(value);
                    ++summary_.extensionValuesAdded;
                }
    }

    // Documents are matched by GUID when both have one, else (a 2.1 document has none) by file name.
    void mergeDocumentList() {
        const BcfVersion otherVersion = other_.data.version;
        for (const DocumentInfo& document : other_.data.documents) {
            auto match =
                std::find_if(out_.documents.begin(), out_.documents.end(), [&](const DocumentInfo& mine) {
                    return !mine.guid.empty() && !document.guid.empty()
                               ? lower(mine.guid) == lower(document.guid)
                               : mine.filename == document.filename;
                });
            if (match == out_.documents.end()) {
                out_.documents.push_back(document);
                otherReader_.document(out_.documents.back(), otherVersion);
                // A 3.0 model refers to its documents by GUID.
                if (out_.version == BcfVersion::V3_0 && out_.documents.back().guid.empty())
                    out_.documents.back().guid = generateGuid();
                match = out_.documents.end() - 1;
                ++summary_.documentsAdded;
            } else {
                const std::size_t conflicts = summary_.conflicts.size();
                FieldMerge fields(Later::Neither, {}, {}, summary_.conflicts);
                fields("Description", match->description, document.description);
                for (std::size_t i = conflicts; i < summary_.conflicts.size(); ++i)
                    summary_.conflicts[i].document = match->guid.empty() ? match->filename : match->guid;
            }
            documentFor_.emplace(documentKey(document, otherVersion),
                                 static_cast<std::size_t>(match - out_.documents.begin()));
        }
    }

    // How the other archive's references name a document: by GUID (3.0) or by root entry (2.1).
    static std::string documentKey(const DocumentInfo& document, BcfVersion version) {
        return version == BcfVersion::V3_0 ? lower(document.guid)
                                           : "/" + documentEntryName(document, version);
    }

    // Rewrites the other's document references in the form of the base's version, to the documents
    // of the result.
    void normalizeReferences(Markup& markup) const {
        for (DocumentReference& reference : markup.topic.documentReferences) {
            std::string key;
            if (!reference.documentGuid.empty())
                key = lower(reference.documentGuid);
            else if (!reference.isExternal && reference.url.empty())
                if (const auto entry = resolveEntryPath(payloadFolder(markup), reference.referencedDocument))
                    key = "/" + *entry;
            const auto found = documentFor_.find(key);
            if (key.empty() || found == documentFor_.end())
                continue;
            const DocumentInfo& document = out_.documents[found->second];
            if (!document.guid.empty()) {
                reference.documentGuid = document.guid;
                reference.referencedDocument.clear();
            } else {
                reference.documentGuid.clear();
                reference.isExternal = false;
                reference.referencedDocument = "../" + documentEntryName(document, BcfVersion::V2_1);
            }
        }
    }

    void addTopic(Markup markup) {
        otherReader_.markup(markup);
        TopicMergeChange change;
        change.guid = markup.topic.guid;
        change.title = markup.topic.title;
        change.added = true;
        change.commentsAdded = markup.comments.size();
        change.viewpointsAdded = markup.viewPoints.size();
        summary_.commentsAdded += change.commentsAdded;
        summary_.viewpointsAdded += change.viewpointsAdded;
        summary_.topics.push_back(std::move(change));
        out_.markups.push_back(std::move(markup));
    }

    void mergeTopic(Markup& mine, Markup& theirs) {
        Topic& topic = mine.topic;
        const Topic& other = theirs.topic;
        if (other.bimSnippet && !same(topic.bimSnippet, other.bimSnippet))
            otherReader_.snippet(theirs);
        FieldMerge fields(laterSide(display(topic.modifiedDate), display(other.modifiedDate)), topic.guid, {},
                          summary_.conflicts);
        fields("TopicType", topic.topicType, other.topicType);
        fields("TopicStatus", topic.topicStatus, other.topicStatus);
        fields("ReferenceLink", topic.referenceLinks, other.referenceLinks);
        fields("Title", topic.title, other.title);
        fields("Priority", topic.priority, other.priority);
        fields("Index", topic.index, other.index);
        fields.date("CreationDate", topic.creationDate, other.creationDate);
        fields("CreationAuthor", topic.creationAuthor, other.creationAuthor);
        fields.date("ModifiedDate", topic.modifiedDate, other.modifiedDate);
        fields("ModifiedAuthor", topic.modifiedAuthor, other.modifiedAuthor);
        fields.date("DueDate", topic.dueDate, other.dueDate);
        fields("AssignedTo", topic.assignedTo, other.assignedTo);
        fields("Stage", topic.stage, other.stage);
        fields("Description", topic.description, other.description);
        fields("ServerAssignedId", topic.serverAssignedId, other.serverAssignedId);
        fields("BimSnippet", topic.bimSnippet, other.bimSnippet);
        fields("Header", mine.header, theirs.header);

        TopicMergeChange change;
        mergeReferences(topic, other, fields);
        if (join(topic.labels, other.labels, [](const std::string& label) { return label; }))
            fields.taken.push_back("Labels");
        if (join(topic.relatedTopics, other.relatedTopics,
                 [](const RelatedTopic& r) { return lower(r.guid); }))
            fields.taken.push_back("RelatedTopic");
        mergeComments(mine, theirs, change);
        mergeViewPoints(mine, theirs, change);
        mergeOtherFiles(mine, theirs);
        if (fields.taken.empty() &&
            change.commentsAdded + change.commentsUpdated + change.viewpointsAdded == 0)
            return;
        change.guid = topic.guid;
        change.title = topic.title;
        change.fields = std::move(fields.taken);
        change.fields.erase(std::unique(change.fields.begin(), change.fields.end()), change.fields.end());
        summary_.commentsAdded += change.commentsAdded;
        summary_.viewpointsAdded += change.viewpointsAdded;
        summary_.topics.push_back(std::move(change));
    }

    // Adds the entries of `theirs` whose key `mine` lacks, in the order of Interleave by key;
    // true when any was added.
    template <typename T, typename Key>
    static bool join(std::vector<T>& mine, const std::vector<T>& theirs, Key key) {
        std::map<std::string, std::size_t> at;
        for (std::size_t i = 0; i < mine.size(); ++i)
            at.emplace(key(mine[i]), i);
        Interleave order(mine.size());
        for (const T& entry : theirs) {
            if (const auto found = at.find(key(entry)); found != at.end()) {
                order.matched(found->second);
            } else {
                at.emplace(key(entry), mine.size());
                mine.push_back(entry);
                order.added();
            }
        }
        order.apply(mine, [&key](const T& a, const T& b) { return key(a) < key(b); });
        return order.addedCount() > 0;
    }

    void mergeReferences(Topic& topic, const Topic& other, FieldMerge& fields) {
        RecordIndex<DocumentReference> references(topic.documentReferences, referenceContent);
        Interleave order(topic.documentReferences.size());
        bool changed = false;
        for (const DocumentReference& reference : other.documentReferences) {
            const auto found = references.find(reference);
            if (!found) {
                references.add(reference);
                order.added();
                continue;
            }
            order.matched(*found);
            DocumentReference& existing = topic.documentReferences[*found];
            if (!fields("DocumentReference", existing.description, reference.description))
                changed = takeGuid(existing, reference) || changed;
        }
        order.apply(topic.documentReferences, [](const DocumentReference& a, const DocumentReference& b) {
            return std::tuple(referenceContent(a), lower(a.guid)) <
                   std::tuple(referenceContent(b), lower(b.guid));
        });
        if (changed || order.addedCount())
            fields.taken.push_back("DocumentReference");
    }

    void mergeComments(Markup& mine, const Markup& theirs, TopicMergeChange& change) {
        RecordIndex<Comment> comments(mine.comments, commentContent);
        Interleave order(mine.comments.size());
        for (const Comment& comment : theirs.comments) {
            const auto found = comments.find(comment);
            if (!found) {
                comments.add(comment);
                order.added();
                continue;
            }
            order.matched(*found);
            Comment& existing = mine.comments[*found];
            FieldMerge fields(laterSide(existing.modifiedDate, comment.modifiedDate), mine.topic.guid,
                              existing.guid, summary_.conflicts);
            fields.date("Date", existing.date, comment.date);
            fields("Author", existing.author, comment.author);
            fields("Comment", existing.comment, comment.comment);
            fields.guid("Viewpoint", existing.viewpoint, comment.viewpoint);
            fields.date("ModifiedDate", existing.modifiedDate, comment.modifiedDate);
            fields("ModifiedAuthor", existing.modifiedAuthor, comment.modifiedAuthor);
            if (takeGuid(existing, comment) || !fields.taken.empty())
                ++change.commentsUpdated;
        }
        // Comments only one side has are ordered by date.
        order.apply(mine.comments, [](const Comment& a, const Comment& b) {
            return std::tuple(parseDateTime(a.date), lower(a.guid)) <
                   std::tuple(parseDateTime(b.date), lower(b.guid));
        });
        change.commentsAdded = order.addedCount();
    }

    // The names the files of a topic folder have in the result.
    static std::set<std::string> takenNames(const Markup& markup) {
        std::set<std::string> taken = {"markup.bcf"};
        for (const ViewPoint& viewPoint : markup.viewPoints) {
            taken.insert({viewPoint.viewpoint, viewPoint.snapshot});
            if (const auto& bitmaps = viewPoint.visualizationInfo.bitmaps)
                for (const Bitmap& bitmap : *bitmaps)
                    taken.insert(bitmap.reference);
        }
        for (const OtherFile& file : markup.otherFiles)
            taken.insert(file.name);
        if (markup.topic.bimSnippet && !markup.topic.bimSnippet->isExternal)
            taken.insert(markup.topic.bimSnippet->reference);
        taken.erase(std::string());
        return taken;
    }

    void mergeViewPoints(Markup& mine, Markup& theirs, TopicMergeChange& change) {
        RecordIndex<ViewPoint> viewPoints(mine.viewPoints, viewPointContent);
        Interleave order(mine.viewPoints.size());
        std::set<std::string> taken = takenNames(mine);
        for (ViewPoint& viewPoint : theirs.viewPoints) {
            if (const auto found = viewPoints.find(viewPoint)) {
                order.matched(*found);
                takeGuid(mine.viewPoints[*found], viewPoint);
                continue;
            }
            otherReader_.viewPoint(theirs, viewPoint);
            // Files of the two sides that share a name both take their viewpoint's GUID, so that
            // the result does not depend on which side was the base.
            for (auto [name, extension] : {std::pair(&ViewPoint::viewpoint, std::string(".bcfv")),
                                           std::pair(&ViewPoint::snapshot, std::string())}) {
                std::string& added = viewPoint.*name;
                if (added.empty() || !taken.contains(added))
                    continue;
                const std::string suffix = extension.empty() ? extensionOf(added) : extension;
                for (ViewPoint& existing : mine.viewPoints)
                    if (existing.*name == added) {
                        baseReader_.viewPoint(mine, existing);
                        existing.*name = ownName(existing.guid, existing.*name, suffix, taken);
                        taken.insert(existing.*name);
                    }
                added = ownName(viewPoint.guid, added, suffix, taken);
                taken.insert(added);
            }
            if (auto& bitmaps = viewPoint.visualizationInfo.bitmaps)
                for (Bitmap& bitmap : *bitmaps)
                    if (!bitmap.reference.empty() && !taken.insert(bitmap.reference).second) {
                        bitmap.reference = lower(viewPoint.guid) + "-" + bitmap.reference;
                        taken.insert(bitmap.reference);
                    }
            taken.insert({viewPoint.viewpoint, viewPoint.snapshot});
            viewPoints.add(viewPoint);
            order.added();
        }
        order.apply(mine.viewPoints, [](const ViewPoint& a, const ViewPoint& b) {
            return std::tuple(a.index.value_or(INT_MAX), lower(a.guid)) <
                   std::tuple(b.index.value_or(INT_MAX), lower(b.guid));
        });
        change.viewpointsAdded = order.addedCount();
    }

    static std::string extensionOf(const std::string& name) {
        const std::size_t dot = name.rfind('.');
        return dot == std::string::npos ? std::string() : name.substr(dot);
    }

    // Files of the other's topic folder that no BCF file names, under names the folder lacks.
    void mergeOtherFiles(Markup& mine, Markup& theirs) {
        const std::set<std::string> taken = takenNames(mine);
        const std::string folder = payloadFolder(theirs);
        for (OtherFile& file : theirs.otherFiles) {
            if (taken.contains(file.name))
                continue;
            otherReader_.otherFile(file, folder);
            mine.otherFiles.push_back(file);
        }
    }

    const BcfDocument& base_;
    const BcfDocument& other_;
    BcfData out_;
    MergeSummary summary_;
    PayloadReader baseReader_;
    PayloadReader otherReader_;
    std::map<std::string, std::size_t> documentFor_; // other's document key -> index in out_.documents
};

} // namespace

std::size_t MergeSummary::topicsAdded() const {
    return static_cast<std::size_t>(
        std::count_if(topics.begin(), topics.end(), [](const auto& t) { return t.added; }));
}

std::size_t MergeSummary::topicsUpdated() const {
    return topics.size() - topicsAdded();
}

bool MergeSummary::changed() const {
    return !topics.empty() || !projectFields.empty() || documentsAdded || extensionValuesAdded;
}

MergeResult mergeArchives(const BcfDocument& base, const BcfDocument& other) {
    return Merger(base, other).run();
}

} // namespace bcf
