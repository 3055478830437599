#include "codec/guid_repair.h"

#include "codec/entry_names.h"
#include "codec/guid.h"

#include <unordered_map>

namespace bcf {

namespace {

using Replaced = std::unordered_map<std::string, std::string>;

// Makes `guid` a GUID: a missing one is generated, one that is no GUID replaced (and remembered
// in `replaced`, so that references follow it).
void repair(std::string& guid, Replaced& replaced, SaveNotes& notes, const char* what) {
    if (isGuid(guid))
        return;
    const std::string fresh = generateGuid();
    if (guid.empty() || guid.find_first_not_of(" \t\r\n") == std::string::npos) {
        notes.add(std::string("missing ") + what + " GUIDs generated");
    } else {
        notes.add(std::string(what) + " GUIDs that are no GUID replaced (references follow)");
        replaced.emplace(guid, fresh);
    }
    guid = fresh;
}

// A reference to a GUID: follows a replaced one; one that is no GUID, and no replaced one, is
// cleared (false).
bool follow(std::string& reference, const Replaced& replaced) {
    if (const auto it = replaced.find(reference); it != replaced.end()) {
        reference = it->second;
        return true;
    }
    return isGuid(reference);
}

} // namespace

void repairGuids(BcfData& data, BcfVersion version, SaveNotes& notes) {
    Replaced topics;
    for (Markup& markup : data.markups)
        repair(markup.topic.guid, topics, notes, "topic");
    for (Markup& markup : data.markups) {
        Topic& topic = markup.topic;
        if (const std::size_t dropped = std::erase_if(
                topic.relatedTopics, [&](RelatedTopic& related) { return !follow(related.guid, topics); }))
            notes.add("related topics that are no GUID dropped", dropped);
        Replaced unused;
        // 2.1 makes a document reference's GUID optional.
        for (DocumentReference& reference : topic.documentReferences)
            if (!reference.guid.empty() || version == BcfVersion::V3_0)
                repair(reference.guid, unused, notes, "document reference");
        Replaced viewpoints;
        for (ViewPoint& viewPoint : markup.viewPoints)
            repair(viewPoint.guid, viewpoints, notes, "viewpoint");
        for (Comment& comment : markup.comments) {
            repair(comment.guid, unused, notes, "comment");
            if (!comment.viewpoint.empty() && !follow(comment.viewpoint, viewpoints)) {
                notes.add("comment references to viewpoints that are no GUID dropped");
                comment.viewpoint.clear();
            }
        }
    }
}

} // namespace bcf
