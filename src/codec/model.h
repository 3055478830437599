// In-memory model of one BCF archive: plain value records that own their content.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bcf {

// Version index of a BCF archive: 0 = BCF 2.0, 1 = BCF 2.1, 2 = BCF 3.0.
enum class BcfVersion : std::int32_t { V2_0 = 0, V2_1 = 1, V3_0 = 2 };

// A point or direction of a viewpoint camera.
struct Vector3 {
    double x = 0;
    double y = 0;
    double z = 0;
    bool operator==(const Vector3&) const = default;
};

// One selected model component of a viewpoint.
struct Component {
    std::string ifcGuid;
    std::string originatingSystem;
    std::string authoringToolId;
    bool operator==(const Component&) const = default;
};

// The orthogonal camera of a viewpoint file, kept so that such viewpoints survive a save.
struct OrthogonalCamera {
    Vector3 cameraViewPoint;
    Vector3 cameraDirection;
    Vector3 cameraUpVector;
    double viewToWorldScale = 0;
    double aspectRatio = 0;
    bool operator==(const OrthogonalCamera&) const = default;
};

// The parsed content of one viewpoint file (.bcfv).
struct VisualizationInfo {
    std::vector<Component> selection;
    Vector3 cameraViewPoint;
    Vector3 cameraDirection;
    Vector3 cameraUpVector;
    double aspectRatio = 0;
    double fieldOfView = 0;
    std::string guid;
    std::optional<OrthogonalCamera> orthogonalCamera;
    bool operator==(const VisualizationInfo&) const = default;

    // True when the perspective camera holds anything (a file without one reads as all zeros).
    bool hasPerspectiveCamera() const;
};

// A 32-bit payload flag: 0 while the payload lies only in the current archive, 1 once held here.
using PayloadFlag = std::int32_t;

// One viewpoint reference of a topic, with its lazily fetched payloads.
struct ViewPoint {
    std::string guid;
    std::string viewpoint;
    std::string snapshot;
    PayloadFlag snapshotLoaded = 0;
    std::string snapshotData;
    PayloadFlag visualizationLoaded = 0;
    VisualizationInfo visualizationInfo;
    // Set when the fetch found no viewpoint file: nothing is written for it on save.
    bool visualizationMissing = false;
    bool operator==(const ViewPoint&) const = default;
};

// One comment of a topic.
struct Comment {
    std::string guid;
    std::string date;
    std::string author;
    std::string comment;
    std::string modifiedDate;
    std::string modifiedAuthor;
    bool operator==(const Comment&) const = default;
};

// The topic (issue) of one markup.bcf file.
struct Topic {
    std::string guid;
    std::string topicType;
    std::string topicStatus;
    std::string title;
    std::string priority;
    std::string creationDate;
    std::string creationAuthor;
    std::optional<std::string> modifiedDate;
    std::string modifiedAuthor;
    std::optional<std::string> dueDate;
    std::string assignedTo;
    std::string stage;
    std::string description;
    bool operator==(const Topic&) const = default;
};

// One topic folder: its markup.bcf with the payloads beside it.
struct Markup {
    Topic topic;
    std::vector<Comment> comments;
    std::vector<ViewPoint> viewPoints;
    // Folder of the loaded archive in which markup.bcf was found, with its trailing separator
    // ("guid/"; empty for a root-level markup.bcf); payloads are read from there. Unset for
    // topics that were never loaded.
    std::optional<std::string> sourceFolder;
    bool operator==(const Markup&) const = default;
};

// One document of the archive.
struct DocumentInfo {
    std::string guid;
    std::string filename;
    PayloadFlag dataLoaded = 0;
    std::string data;
    bool operator==(const DocumentInfo&) const = default;
};

// The whole content of one BCF archive.
struct BcfData {
    BcfVersion version = BcfVersion::V2_0;
    std::string projectId;
    std::string name;
    std::string extensionSchema = "extensions.xml";
    std::vector<std::string> topicTypes;
    std::vector<std::string> topicStatuses;
    std::vector<std::string> topicLabels;
    std::vector<std::string> snippetTypes;
    std::vector<std::string> priorities;
    std::vector<std::string> users;
    std::vector<std::string> stages;
    std::vector<Markup> markups;
    std::vector<DocumentInfo> documents;
    // GUIDs of topics deleted since loading: saving drops the relations other topics hold to them.
    std::vector<std::string> deletedTopics;
    bool operator==(const BcfData&) const = default;
};

} // namespace bcf
