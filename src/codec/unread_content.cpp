#include "codec/unread_content_p.h"

#include "codec/xml_util_p.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

namespace bcf::xml {

namespace {

// At most this many distinct names are kept per list; the rest count under an empty name.
constexpr std::size_t kMaxNames = 24;

// An element as its reader takes it: its attributes and child elements. A child read `Once` is
// read from its first occurrence; one read as `Many` from every occurrence, which also merges a
// list a file repeats (two `Comments` lists are one list of comments).
struct Shape {
    enum class Occurs { Once, Many };
    const char* name;
    Occurs occurs;
    std::vector<const char*> attributes;
    std::vector<Shape> children;
    bool number = false;                    // the text is an xs:double
    std::vector<const char*> booleans = {}; // attributes that are xs:boolean
};

Shape once(const char* name, std::vector<const char*> attributes = {}, std::vector<Shape> children = {}) {
    return {name, Shape::Occurs::Once, std::move(attributes), std::move(children)};
}

Shape many(const char* name, std::vector<const char*> attributes = {}, std::vector<Shape> children = {}) {
    return {name, Shape::Occurs::Many, std::move(attributes), std::move(children)};
}

Shape number(const char* name) {
    Shape shape = once(name);
    shape.number = true;
    return shape;
}

Shape point(const char* name) {
    return once(name, {}, {number("X"), number("Y"), number("Z")});
}

Shape versionShape() {
    // 3.0 has no DetailedVersion, but the reader takes it in both versions.
    return once("Version", {"VersionId"}, {once("DetailedVersion")});
}

Shape projectShape(bool v3) {
    Shape project = once("Project", {"ProjectId"}, {once("Name")});
    if (v3)
        return once("ProjectInfo", {}, {project});
    return once("ProjectExtension", {}, {project, once("ExtensionSchema")});
}

Shape extensionsShape() {
    return once("Extensions", {},
                {many("TopicTypes", {}, {many("TopicType")}),
                 many("TopicStatuses", {}, {many("TopicStatus")}), many("Priorities", {}, {many("Priority")}),
                 many("TopicLabels", {}, {many("TopicLabel")}), many("Users", {}, {many("User")}),
                 many("SnippetTypes", {}, {many("SnippetType")}), many("Stages", {}, {many("Stage")})});
}

Shape documentsShape() {
    return once(
        "DocumentInfo", {},
        {many("Documents", {}, {many("Document", {"Guid"}, {once("Filename"), once("Description")})})});
}

Shape markupShape(bool v3) {
    const char* external = v3 ? "IsExternal" : "isExternal";
    Shape file = many("File", {"IfcProject", "IfcSpatialStructureElement", external},
                      {once("Filename"), once("Date"), once("Reference")});
    Shape header = v3 ? many("Header", {}, {many("Files", {}, {file})}) : many("Header", {}, {file});
    Shape comment = many("Comment", {"Guid"},
                         {once("Date"), once("Author"), once("Comment"), once("Viewpoint", {"Guid"}),
                          once("ModifiedDate"), once("ModifiedAuthor")});
    Shape viewPoint =
        many(v3 ? "ViewPoint" : "Viewpoints", {"Guid"}, {once("Viewpoint"), once("Snapshot"), once("Index")});
    Shape reference =
        v3 ? many("DocumentReference", {"Guid"}, {once("DocumentGuid"), once("Url"), once("Description")})
           : many("DocumentReference", {"Guid", "isExternal"},
                  {once("ReferencedDocument"), once("Description")});
    Shape related = many("RelatedTopic", {"Guid"});
    std::vector<Shape> topic = {
        once("Title"),
        once("Priority"),
        once("Index"),
        once("CreationDate"),
        once("CreationAuthor"),
        once("ModifiedDate"),
        once("ModifiedAuthor"),
        once("DueDate"),
        once("AssignedTo"),
        once("Stage"),
        once("Description"),
        once("BimSnippet", {"SnippetType", external}, {once("Reference"), once("ReferenceSchema")})};
    // The 3.0 lists stand in containers, the 2.1 ones repeat in place.
    if (v3) {
        topic.push_back(many("ReferenceLinks", {}, {many("ReferenceLink")}));
        topic.push_back(many("Labels", {}, {many("Label")}));
        topic.push_back(many("DocumentReferences", {}, {reference}));
        topic.push_back(many("RelatedTopics", {}, {related}));
        topic.push_back(many("Comments", {}, {comment}));
        topic.push_back(many("Viewpoints", {}, {viewPoint}));
        return once("Markup", {},
                    {header, once("Topic", {"Guid", "ServerAssignedId", "TopicType", "TopicStatus"}, topic)});
    }
    topic.push_back(many("ReferenceLink"));
    topic.push_back(many("Labels"));
    topic.push_back(reference);
    topic.push_back(related);
    // A 2.1 topic's ServerAssignedId is read, and a save says that 2.1 has no place for it.
    return once("Markup", {},
                {header, once("Topic", {"Guid", "ServerAssignedId", "TopicType", "TopicStatus"}, topic),
                 comment, viewPoint});
}

// The viewpoint reader takes the forms of both versions.
Shape visualizationShape() {
    Shape component = many("Component", {"IfcGuid"}, {once("OriginatingSystem"), once("AuthoringToolId")});
    Shape hints = once("ViewSetupHints", {"SpacesVisible", "SpaceBoundariesVisible", "OpeningsVisible"});
    hints.booleans = hints.attributes;
    Shape visibility =
        once("Visibility", {"DefaultVisibility"}, {hints, many("Exceptions", {}, {component})});
    visibility.booleans = visibility.attributes;
    Shape components = once(
        "Components", {},
        {hints, many("Selection", {}, {component}), visibility,
         many("Coloring", {}, {many("Color", {"Color"}, {component, many("Components", {}, {component})})})});
    Shape bitmap = many("Bitmap", {},
                        {once("Format"), once("Bitmap"), once("Reference"), point("Location"),
                         point("Normal"), point("Up"), number("Height")});
    const auto camera = [](const char* name, const char* scale) {
        return once(name, {},
                    {point("CameraViewPoint"), point("CameraDirection"), point("CameraUpVector"),
                     number(scale), number("AspectRatio")});
    };
    return once(
        "VisualizationInfo", {"Guid"},
        {components, camera("OrthogonalCamera", "ViewToWorldScale"),
         camera("PerspectiveCamera", "FieldOfView"),
         many("Lines", {}, {many("Line", {}, {point("StartPoint"), point("EndPoint")})}),
         many("ClippingPlanes", {}, {many("ClippingPlane", {}, {point("Location"), point("Direction")})}),
         many("Bitmaps", {}, {bitmap}), bitmap});
}

const Shape& shapeOf(FileKind kind, BcfVersion version) {
    const bool v3 = version == BcfVersion::V3_0;
    static const Shape versionFile = versionShape();
    static const Shape project21 = projectShape(false);
    static const Shape project30 = projectShape(true);
    static const Shape extensions = extensionsShape();
    static const Shape documents = documentsShape();
    static const Shape markup21 = markupShape(false);
    static const Shape markup30 = markupShape(true);
    static const Shape visualization = visualizationShape();
    switch (kind) {
    case FileKind::Version:
        return versionFile;
    case FileKind::Project:
        return v3 ? project30 : project21;
    case FileKind::Extensions:
        return extensions;
    case FileKind::Documents:
        return documents;
    case FileKind::Markup:
        return v3 ? markup30 : markup21;
    case FileKind::Visualization:
        break;
    }
    return visualization;
}

bool isBlank(const char* text) {
    return text[std::strspn(text, " \t\r\n")] == '\0';
}

// What the viewpoint reader takes as a number: white space, an optional plus sign, then all of a
// number (too large or too small ones included). A blank text reads as 0 and is no value.
bool isNumberText(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && std::isspace(static_cast<unsigned char>(*begin)))
        ++begin;
    while (end != begin && std::isspace(static_cast<unsigned char>(end[-1])))
        --end;
    if (begin == end)
        return true;
    if (*begin == '+')
        ++begin;
    double value = 0;
    const auto result = std::from_chars(begin, end, value);
    return (result.ec == std::errc() || result.ec == std::errc::result_out_of_range) && result.ptr == end;
}

// What the viewpoint reader takes as a boolean, white space aside.
bool isBooleanText(const char* text) {
    std::string value(text);
    std::erase_if(value, [](unsigned char c) { return std::isspace(c) != 0; });
    return value == "true" || value == "false" || value == "1" || value == "0";
}

// Namespace declarations and the schema instance attributes (xsi:schemaLocation, ...) are no content.
bool isMarkupOfXml(const char* name) {
    if (name[0] != 'x')
        return false;
    return std::strcmp(name, "xmlns") == 0 || std::strncmp(name, "xmlns:", 6) == 0 ||
           std::strncmp(name, "xsi:", 4) == 0;
}

void walk(pugi::xml_node element, const Shape& shape, std::vector<UnreadContent>& unread) {
    using Kind = UnreadContent::Kind;
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
        const char* name = attribute.name();
        if (isMarkupOfXml(name))
            continue;
        if (std::none_of(shape.attributes.begin(), shape.attributes.end(), [name](const char* known) {
                return known[0] == name[0] && std::strcmp(known, name) == 0;
            }))
            addUnread(unread, Kind::Unknown, element.name(), '@', name);
        else if (attribute != element.first_attribute() &&
                 element.attribute(name) != attribute) // a repeated attribute: the first one counts
            addUnread(unread, Kind::Repeated, element.name(), '@', name);
        else if (std::any_of(shape.booleans.begin(), shape.booleans.end(),
                             [name](const char* known) { return std::strcmp(known, name) == 0; }) &&
                 !isBooleanText(attribute.value()))
            addUnread(unread, Kind::Invalid, element.name(), '@', name);
    }
    if (shape.number && !isNumberText(text(element)))
        addUnread(unread, Kind::Invalid, element.parent().name(), '/', element.name());
    // Text is read only from elements of neither attributes nor children; in any other it is no
    // content of the schema's either ("Topic/text()").
    const bool textRead = shape.attributes.empty() && shape.children.empty();
    bool textSeen = false;
    std::uint64_t seen = 0; // the children read once that occurred already
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            if (!textRead && !textSeen && !isBlank(child.value())) {
                textSeen = true;
                addUnread(unread, Kind::Unknown, element.name(), '/', "text()");
            }
            continue;
        }
        if (child.type() != pugi::node_element)
            continue;
        const char* name = child.name();
        const auto known = std::find_if(shape.children.begin(), shape.children.end(), [name](const Shape& s) {
            return s.name[0] == name[0] && std::strcmp(s.name, name) == 0;
        });
        if (known == shape.children.end()) {
            addUnread(unread, Kind::Unknown, element.name(), '/', child.name());
            continue;
        }
        if (known->occurs == Shape::Occurs::Once) {
            const std::uint64_t bit = std::uint64_t(1) << (known - shape.children.begin());
            if (seen & bit) {
                addUnread(unread, Kind::Repeated, element.name(), '/', child.name());
                continue;
            }
            seen |= bit;
        }
        walk(child, *known, unread);
    }
}

} // namespace

void findUnread(const pugi::xml_document& document, FileKind kind, BcfVersion version,
                std::vector<UnreadContent>& unread) {
    const Shape& shape = shapeOf(kind, version);
    bool rootSeen = false;
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element)
            continue;
        if (std::strcmp(node.name(), shape.name) != 0) {
            addUnread(unread, UnreadContent::Kind::Unknown, {}, '/', node.name());
        } else if (rootSeen) {
            addUnread(unread, UnreadContent::Kind::Repeated, {}, '/', node.name());
        } else {
            rootSeen = true;
            walk(node, shape, unread);
        }
    }
}

void addUnread(std::vector<UnreadContent>& unread, UnreadContent::Kind kind, std::string_view parent,
               char separator, std::string_view name, std::size_t count) {
    const std::size_t length = parent.empty() ? name.size() : parent.size() + 1 + name.size();
    const auto same = [&](const UnreadContent& content) {
        const std::string& text = content.name;
        return content.kind == kind && text.size() == length &&
               (parent.empty()
                    ? text == name
                    : text.compare(0, parent.size(), parent) == 0 && text[parent.size()] == separator &&
                          text.compare(parent.size() + 1, name.size(), name) == 0);
    };
    auto it = std::find_if(unread.begin(), unread.end(), same);
    if (it == unread.end() && unread.size() >= kMaxNames) {
        parent = {};
        name = {};
        it = std::find_if(unread.begin(), unread.end(), [kind](const UnreadContent& content) {
            return content.kind == kind && content.name.empty();
        });
    }
    if (it != unread.end()) {
        it->count += count;
        return;
    }
    std::string text;
    if (!parent.empty())
        text.append(parent).push_back(separator);
    text.append(name);
    unread.push_back({kind, std::move(text), count});
}

void addUnread(std::vector<UnreadContent>& unread, const UnreadContent& content) {
    addUnread(unread, content.kind, {}, '/', content.name, content.count);
}

} // namespace bcf::xml
