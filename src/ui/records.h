// The records that the main window's create commands append to the model.
#pragma once

#include "codec/model.h"

#include <string>

class QString;

// The title of a new issue.
inline constexpr char kNewIssueTitle[] = "New Issue";

// The current local time with its UTC offset, in whole seconds: 2024-03-07T09:05:41.000+01:00.
std::string currentTimestampText();

// The PNG image of every new snapshot: 256 by 256 pixels of one pale grey-cyan (181, 208, 208).
const std::string& defaultSnapshotImage();

// The type, status, priority and stage the user last chose for a new issue (empty: none yet).
struct NewIssueChoices {
    std::string topicType, topicStatus, priority, stage;
};

// A new topic: title "New Issue", created now by `author` (UTF-8), assigned to nobody; type,
// status, priority and stage are those of `chosen` where the model's extension list offers them,
// else the first value of that list (empty when the list is empty).
bcf::Markup newIssue(const bcf::BcfData& data, const std::string& author, const NewIssueChoices& chosen = {});

// A new comment with empty text, written now by `author` (UTF-8).
bcf::Comment newComment(const std::string& author);

// A new viewpoint reference g with its payloads in memory: g.bcfv holds a fixed perspective camera,
// g.png the default snapshot image.
bcf::ViewPoint newSnapshot();

// A new document holding `bytes`, stored under `fileName`.
bcf::DocumentInfo newDocument(const std::string& fileName, std::string bytes);

// The name under which the local file `localPath` is stored as a document of `data`: its file name
// without the folders, made unique among the documents and the archive's own root entries (a 2.1
// archive keeps documents at its root under these names).
std::string documentFileName(const QString& localPath, const bcf::BcfData& data);
