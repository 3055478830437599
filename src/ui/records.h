// The records that the main window's create commands append to the model.
#pragma once

#include "codec/model.h"

#include <string>

class QImage;
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

// A new viewpoint reference g for the viewpoint file `info` and the PNG image `png` (none when
// empty), both in memory as g.bcfv and g.png. g is the GUID of `info` unless that is empty, not a
// GUID or already the GUID of a viewpoint of `data`: then a new one, which `info` takes too.
bcf::ViewPoint newSnapshot(const bcf::BcfData& data, bcf::VisualizationInfo info, std::string png);

// Longest side, in pixels, of an image that becomes a snapshot; larger ones are scaled down to it.
inline constexpr int kMaxSnapshotSide = 1920;

// A new viewpoint reference of `data` without camera or components whose snapshot is `image`,
// scaled down to kMaxSnapshotSide if larger, as PNG. Throws when the image is null or can't be
// encoded.
bcf::ViewPoint newImageSnapshot(const bcf::BcfData& data, const QImage& image);

// A new document holding `bytes`, stored under `fileName`.
bcf::DocumentInfo newDocument(const std::string& fileName, std::string bytes);

// The name under which the local file `localPath` is stored as a document of `data`: its file name
// without the folders, made unique among the documents and the archive's own root entries (a 2.1
// archive keeps documents at its root under these names).
std::string documentFileName(const QString& localPath, const bcf::BcfData& data);
