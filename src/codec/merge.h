// Merging one BCF archive into another: records matched by GUID, what only the other archive has
// added, fields of records both have taken from the side modified later.
#pragma once

#include "codec/document.h"
#include "codec/model.h"
#include "codec/save_notes.h"

#include <cstddef>
#include <string>
#include <vector>

namespace bcf {

// A field both archives hold with different values where neither side was modified later: the
// base archive's value was kept.
struct MergeConflict {
    std::string topicGuid;   // empty for a field of the project or of a document
    std::string commentGuid; // set for a field of a comment
    std::string document;    // set for a field of a document: its GUID, or its file name without one
    std::string field;       // the BCF element name: "Title", "TopicStatus", "Comment", "Name", ...
    std::string baseValue;
    std::string otherValue;
    bool operator==(const MergeConflict&) const = default;
};

// What a merge did to one topic of the result.
struct TopicMergeChange {
    std::string guid; // as the result holds it
    std::string title;
    bool added = false;              // only the other archive had the topic
    std::vector<std::string> fields; // of a topic both had: fields that took the other's value
    std::size_t commentsAdded = 0;
    std::size_t commentsUpdated = 0;
    std::size_t viewpointsAdded = 0;
    bool operator==(const TopicMergeChange&) const = default;
};

// What a merge did, for the user to read and (by topic GUID) to select.
struct MergeSummary {
    std::vector<TopicMergeChange> topics;   // topics added or updated, in the order of the result
    std::vector<std::string> projectFields; // project fields that took the other's value
    std::size_t commentsAdded = 0;
    std::size_t viewpointsAdded = 0;
    std::size_t documentsAdded = 0;
    std::size_t extensionValuesAdded = 0;
    std::vector<MergeConflict> conflicts;
    // Payloads of the other archive that could not be read, left out with their references kept.
    SaveNotes notes;

    std::size_t topicsAdded() const;
    std::size_t topicsUpdated() const;
    // False when the result holds exactly what the base held.
    bool changed() const;
};

// The merged model with what the merge did.
struct MergeResult {
    // The base model with the other merged in. Payloads of the base's records still lie in the
    // base's archive (pair it with that archive); those merged in from the other are held.
    BcfData data;
    MergeSummary summary;
};

// Merges `other` into `base`; neither is changed. Topics, comments, viewpoints, documents,
// document references, related topics (by GUID, in any case), labels and extension values (by
// text) that only `other` has are added, in the form of the base's version. A field of a topic both
// have takes the value of the side whose ModifiedDate is later (none counts as never modified);
// comments likewise by their own ModifiedDate. Where neither is later, a value only one side has
// is taken, and two different values keep the base's and make a conflict.
MergeResult mergeArchives(const BcfDocument& base, const BcfDocument& other);

} // namespace bcf
