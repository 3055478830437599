// In-memory model of one BCF archive: plain value records that own their content.
#pragma once

#include "codec/shared_bytes.h"

#include <cstddef>
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

// What reading a file could not carry into the model, kept so that a save can name what it leaves
// out: an element or attribute the reader has no place for ("Comment/Status",
// "Component@Visible"), a second one of what may occur once ("Markup/Topic"), or a value that is
// not of its type ("Topic/Index" holding 1.5). Counted per name.
struct UnreadContent {
    enum class Kind : std::int32_t { Unknown, Repeated, Invalid };
    Kind kind = Kind::Unknown;
    std::string name; // "Parent/Element" or "Element@attribute"; empty for names beyond the first few
    std::size_t count = 0;
    bool operator==(const UnreadContent&) const = default;
};

// A 32-bit payload flag: 0 while the payload lies only in the document's archive, 1 once held here.
using PayloadFlag = std::int32_t;

// One model component named by a viewpoint: selected, an exception to the default visibility,
// or coloured.
struct Component {
    std::string ifcGuid;
    std::string originatingSystem;
    std::string authoringToolId;
    bool operator==(const Component&) const = default;
};

// The orthogonal camera of a viewpoint file.
struct OrthogonalCamera {
    Vector3 cameraViewPoint;
    Vector3 cameraDirection;
    Vector3 cameraUpVector;
    double viewToWorldScale = 0;
    double aspectRatio = 0; // 3.0 only; 0 when the file has none
    bool operator==(const OrthogonalCamera&) const = default;
};

// How a viewer should show spaces, space boundaries and openings; each flag absent unless the
// file sets it. 2.1 keeps it in `Components`, 3.0 in `Visibility`.
struct ViewSetupHints {
    std::optional<bool> spacesVisible;
    std::optional<bool> spaceBoundariesVisible;
    std::optional<bool> openingsVisible;
    bool operator==(const ViewSetupHints&) const = default;
};

// Which components are shown: all but the exceptions, or only the exceptions.
struct Visibility {
    std::optional<bool> defaultVisibility;
    // Absent without an `Exceptions` element; an empty list for an empty one.
    std::optional<std::vector<Component>> exceptions;
    bool operator==(const Visibility&) const = default;
};

// One colour ("RRGGBB" or "RRGGBBAA", hexadecimal) with the components shown in it.
struct Color {
    std::string color;
    std::vector<Component> components;
    bool operator==(const Color&) const = default;
};

// The `Components` element of a viewpoint file, apart from the selection, which
// `VisualizationInfo::selection` holds. An element the file has stays present even when empty.
struct Components {
    bool present = false;          // the file has a `Components` element
    bool selectionPresent = false; // it has a `Selection` element (which may be empty)
    std::optional<ViewSetupHints> viewSetupHints;
    std::optional<Visibility> visibility;
    std::optional<std::vector<Color>> coloring;
    bool operator==(const Components&) const = default;
};

// A line drawn in the model.
struct Line {
    Vector3 startPoint;
    Vector3 endPoint;
    bool operator==(const Line&) const = default;
};

// A plane that cuts the model away on the side its direction points to.
struct ClippingPlane {
    Vector3 location;
    Vector3 direction;
    bool operator==(const ClippingPlane&) const = default;
};

// An image placed in the model; its file lies in the topic folder under `reference` and is a
// lazy payload like a snapshot.
struct Bitmap {
    std::string format; // "png"/"jpg" (3.0 `Format`) or "PNG"/"JPG" (2.1 `Bitmap`), as read
    std::string reference;
    Vector3 location;
    Vector3 normal;
    Vector3 up;
    double height = 0;
    PayloadFlag dataLoaded = 0;
    std::string data;
    bool operator==(const Bitmap&) const = default;
};

// The parsed content of one viewpoint file (.bcfv). The perspective camera is held in the
// camera fields directly; `hasPerspectiveCamera` tells whether there is one.
struct VisualizationInfo {
    std::vector<Component> selection;
    Vector3 cameraViewPoint;
    Vector3 cameraDirection;
    Vector3 cameraUpVector;
    double aspectRatio = 0;
    double fieldOfView = 0;
    std::string guid;
    std::optional<OrthogonalCamera> orthogonalCamera;
    Components components;
    // Each absent without its element; an empty list for an empty element.
    std::optional<std::vector<Line>> lines;
    std::optional<std::vector<ClippingPlane>> clippingPlanes;
    std::optional<std::vector<Bitmap>> bitmaps;
    // What the file held that no field above takes.
    std::vector<UnreadContent> unread;
    bool operator==(const VisualizationInfo&) const = default;

    // True when the perspective camera holds anything (a file without one reads as all zeros).
    bool hasPerspectiveCamera() const;
};

// A file of the archive that no BCF file names (a tool's own data, a model beside the topics),
// kept as bytes and written back under its name; fetched lazily like the other payloads.
struct OtherFile {
    // The entry name: relative to the topic folder for a topic's file, else the full name.
    std::string name;
    PayloadFlag dataLoaded = 0;
    SharedBytes data;
    bool operator==(const OtherFile&) const = default;
};

// One viewpoint reference of a topic, with its lazily fetched payloads.
struct ViewPoint {
    std::string guid;
    std::string viewpoint;
    std::string snapshot;
    PayloadFlag snapshotLoaded = 0;
    SharedBytes snapshotData;
    PayloadFlag visualizationLoaded = 0;
    VisualizationInfo visualizationInfo;
    // Set when the fetch found no viewpoint file: nothing is written for it on save.
    bool visualizationMissing = false;
    // Sort order of the viewpoint (Index); absent when the file gives none.
    std::optional<int> index;
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
    // GUID of the viewpoint the comment refers to (Viewpoint Guid); empty when none.
    std::string viewpoint;
    bool operator==(const Comment&) const = default;
};

// A BIM snippet of a topic: a file inside the topic folder (internal, a lazy payload like a
// snapshot) or a URL (external).
struct BimSnippet {
    std::string snippetType;
    bool isExternal = false;
    std::string reference;
    std::string referenceSchema;
    PayloadFlag dataLoaded = 0;
    SharedBytes data;
    bool operator==(const BimSnippet&) const = default;
};

// A document a topic refers to. A 2.1 file gives `isExternal` and `referencedDocument` (a URL,
// or a path relative to the topic folder); a 3.0 file gives `documentGuid` (a document of
// documents.xml) or `url`. Saving in the other version maps one form to the other.
struct DocumentReference {
    std::string guid;
    bool isExternal = false;
    std::string referencedDocument;
    std::string documentGuid;
    std::string url;
    std::string description;
    bool operator==(const DocumentReference&) const = default;
};

// Another topic this one relates to.
struct RelatedTopic {
    std::string guid;
    bool operator==(const RelatedTopic&) const = default;
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
    std::string serverAssignedId;
    std::vector<std::string> referenceLinks;
    std::optional<int> index;
    std::vector<std::string> labels;
    std::optional<BimSnippet> bimSnippet;
    std::vector<DocumentReference> documentReferences;
    std::vector<RelatedTopic> relatedTopics;
    bool operator==(const Topic&) const = default;
};

// One model file (usually IFC) of a markup Header.
struct File {
    std::string ifcProject;
    std::string ifcSpatialStructureElement;
    bool isExternal = true;
    std::string filename;
    std::string date;
    std::string reference;
    bool operator==(const File&) const = default;
};

// The Header of a markup: the model files the topic refers to.
struct Header {
    std::vector<File> files;
    bool operator==(const Header&) const = default;
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
    std::optional<Header> header;
    // Other files of the topic folder, names relative to it.
    std::vector<OtherFile> otherFiles;
    // What markup.bcf held that the fields above do not take.
    std::vector<UnreadContent> unread;
    bool operator==(const Markup&) const = default;
};

// One document of the archive.
struct DocumentInfo {
    std::string guid;
    std::string filename;
    PayloadFlag dataLoaded = 0;
    SharedBytes data;
    std::string description;
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
    // DetailedVersion of bcf.version (2.1 only).
    std::string detailedVersion;
    // Files outside the topic folders that no BCF file names, full entry names.
    std::vector<OtherFile> otherFiles;
    // GUIDs of topics deleted since loading: saving drops the relations other topics hold to them.
    std::vector<std::string> deletedTopics;
    // What bcf.version, project.bcfp, the 3.0 extensions.xml and documents.xml held that the
    // fields above do not take.
    std::vector<UnreadContent> unread;
    bool operator==(const BcfData&) const = default;
};

} // namespace bcf
