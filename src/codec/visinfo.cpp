#include "codec/visinfo.h"

#include "codec/bcf_error.h"
#include "codec/guid.h"
#include "codec/unread_content_p.h"
#include "codec/xml_util_p.h"
#include "codec/zip/zip_archive.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace bcf {

bool VisualizationInfo::hasPerspectiveCamera() const {
    const Vector3 zero;
    return fieldOfView != 0 || aspectRatio != 0 || !(cameraViewPoint == zero) || !(cameraDirection == zero) ||
           !(cameraUpVector == zero);
}

namespace {

constexpr double kDefaultFieldOfView = 60;

// Texts of the notes a save returns.
constexpr const char* kFieldOfViewClamped =
    "field of view values clamped to 45..60 (BCF 2.1 allows no other)";
constexpr const char* kFieldOfViewReplaced =
    "field of view values outside 0..180 set to 60 (BCF 3.0 allows no other)";
constexpr const char* kAspectRatioDropped = "aspect ratios left out (BCF 2.1 has none)";
constexpr const char* kAspectRatioAdded =
    "aspect ratios set to 1 where none was given (BCF 3.0 requires one)";
constexpr const char* kCameraAdded = "cameras added to viewpoints without one (BCF 3.0 requires one)";
constexpr const char* kOrthogonalDropped =
    "orthogonal cameras left out beside a perspective camera (BCF 3.0 takes one camera)";
constexpr const char* kVisibilityAdded =
    "viewpoint visibilities added as DefaultVisibility=\"true\" (BCF 2.1 requires one)";
constexpr const char* kEmptyListDropped =
    "empty Selection, Exceptions, Coloring, Lines or Bitmaps elements left out (BCF 2.1 has no empty form)";
constexpr const char* kColorWithoutValue = "colourings without a colour left out (BCF 3.0 requires one)";
constexpr const char* kColorWithoutComponents = "colourings without components left out (BCF requires one)";
constexpr const char* kColorInvalid = "colours that are not 6 or 8 hexadecimal digits left out";
constexpr const char* kIfcGuidInvalid = "component IfcGuids that are not 22 IFC GUID characters left out";
constexpr const char* kColorUpperCased = "colours written in upper case (BCF 2.1 allows no other)";

double number(pugi::xml_node parent, const char* name) {
    return xml::parseNumber(xml::childText(parent, name));
}

Vector3 readVector(pugi::xml_node node) {
    return {number(node, "X"), number(node, "Y"), number(node, "Z")};
}

// An xs:boolean attribute; absent when missing or not a boolean.
std::optional<bool> readBool(pugi::xml_node node, const char* name) {
    std::string text = xml::attribute(node, name);
    std::erase_if(text, [](unsigned char c) { return std::isspace(c) != 0; });
    if (text == "true" || text == "1")
        return true;
    if (text == "false" || text == "0")
        return false;
    return std::nullopt;
}

// Appends the components of every `list` child of `parent`, or of `parent` itself when `list` is
// null: a list that a file repeats is read as one.
void readComponents(pugi::xml_node parent, const char* list, std::vector<Component>& components) {
    std::size_t count = 0;
    const auto each = [&](auto visit) {
        if (list)
            xml::forEachListed(parent, list, "Component", visit);
        else
            for (pugi::xml_node node : parent.children("Component"))
                visit(node);
    };
    each([&count](pugi::xml_node) { ++count; });
    if (count == 0)
        return;
    xml::chargeRecords(count * sizeof(Component));
    components.reserve(components.size() + count);
    each([&components](pugi::xml_node node) {
        Component& component = components.emplace_back();
        component.ifcGuid = node.attribute("IfcGuid").value();
        // One pass over the children, of which the first of each name counts (a viewpoint may
        // name hundreds of thousands of components).
        pugi::xml_node system, tool;
        for (pugi::xml_node child = node.first_child(); child && !(system && tool);
             child = child.next_sibling()) {
            const char* name = child.name();
            if (!system && std::strcmp(name, "OriginatingSystem") == 0)
                system = child;
            else if (!tool && std::strcmp(name, "AuthoringToolId") == 0)
                tool = child;
        }
        component.originatingSystem = xml::text(system);
        component.authoringToolId = xml::text(tool);
    });
}

ViewSetupHints readHints(pugi::xml_node node) {
    return {readBool(node, "SpacesVisible"), readBool(node, "SpaceBoundariesVisible"),
            readBool(node, "OpeningsVisible")};
}

Components readComponentsElement(pugi::xml_node node, VisualizationInfo& info) {
    Components c;
    c.present = bool(node);
    c.selectionPresent = bool(node.child("Selection"));
    readComponents(node, "Selection", info.selection);
    const pugi::xml_node visibility = node.child("Visibility");
    // 2.1 keeps the hints in Components, 3.0 in Visibility; a file with both is read from the first.
    const pugi::xml_node hints = node.child("ViewSetupHints");
    const pugi::xml_node inner = visibility.child("ViewSetupHints");
    if (hints && inner)
        xml::addUnread(info.unread, UnreadContent::Kind::Repeated, "Visibility", '/', "ViewSetupHints");
    if (hints || inner)
        c.viewSetupHints = readHints(hints ? hints : inner);
    if (visibility) {
        Visibility v;
        v.defaultVisibility = readBool(visibility, "DefaultVisibility");
        if (visibility.child("Exceptions"))
            readComponents(visibility, "Exceptions", v.exceptions.emplace());
        c.visibility = std::move(v);
    }
    if (node.child("Coloring")) {
        c.coloring.emplace();
        xml::forEachListed(node, "Coloring", "Color", [&c](pugi::xml_node color) {
            // 2.1 lists the components in Color, 3.0 in Color/Components.
            std::vector<Component> components;
            readComponents(color, nullptr, components);
            readComponents(color, "Components", components);
            c.coloring->push_back({xml::attribute(color, "Color"), std::move(components)});
        });
    }
    return c;
}

Bitmap readBitmap(pugi::xml_node node, std::vector<UnreadContent>& unread) {
    Bitmap bitmap;
    // 3.0 names the format `Format`, 2.1 names it `Bitmap`; a file with both is read from Format.
    if (node.child("Format") && node.child("Bitmap"))
        xml::addUnread(unread, UnreadContent::Kind::Repeated, "Bitmap", '/', "Bitmap");
    bitmap.format = node.child("Format") ? xml::childText(node, "Format") : xml::childText(node, "Bitmap");
    bitmap.reference = xml::childText(node, "Reference");
    bitmap.location = readVector(node.child("Location"));
    bitmap.normal = readVector(node.child("Normal"));
    bitmap.up = readVector(node.child("Up"));
    bitmap.height = number(node, "Height");
    return bitmap;
}

void appendNumber(pugi::xml_node parent, const char* name, double value) {
    xml::appendText(parent, name, xml::formatNumber(value));
}

void appendVector(pugi::xml_node parent, const char* name, const Vector3& vector) {
    pugi::xml_node node = parent.append_child(name);
    appendNumber(node, "X", vector.x);
    appendNumber(node, "Y", vector.y);
    appendNumber(node, "Z", vector.z);
}

void appendCameraVectors(pugi::xml_node camera, const Vector3& viewPoint, const Vector3& direction,
                         const Vector3& up) {
    appendVector(camera, "CameraViewPoint", viewPoint);
    appendVector(camera, "CameraDirection", direction);
    appendVector(camera, "CameraUpVector", up);
}

void appendBool(pugi::xml_node node, const char* name, const std::optional<bool>& value) {
    if (value)
        node.append_attribute(name).set_value(*value ? "true" : "false");
}

// An IFC GUID: 22 characters of IFC's base-64 alphabet.
bool isIfcGuid(const std::string& text) {
    return text.size() == 22 && std::all_of(text.begin(), text.end(), [](unsigned char c) {
               return std::isalnum(c) || c == '_' || c == '$';
           });
}

// A colour: three or four bytes in hexadecimal digits, "FF00FF" or "FF00FF99".
bool isColor(const std::string& text) {
    return (text.size() == 6 || text.size() == 8) &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c); });
}

void writeComponents(pugi::xml_node parent, const std::vector<Component>& components, SaveNotes& notes) {
    for (const Component& component : components) {
        pugi::xml_node node = parent.append_child("Component");
        // Both schemas make IfcGuid optional but require 22 characters when it is there. IFC
        // GUIDs are case-sensitive: they are written exactly as read.
        if (isIfcGuid(component.ifcGuid))
            node.append_attribute("IfcGuid").set_value(component.ifcGuid.c_str());
        else if (!xml::isBlank(component.ifcGuid))
            notes.add(kIfcGuidInvalid);
        xml::appendTextIfSet(node, "OriginatingSystem", component.originatingSystem);
        xml::appendTextIfSet(node, "AuthoringToolId", component.authoringToolId);
    }
}

void writeHints(pugi::xml_node parent, const ViewSetupHints& hints) {
    pugi::xml_node node = parent.append_child("ViewSetupHints");
    appendBool(node, "SpacesVisible", hints.spacesVisible);
    appendBool(node, "SpaceBoundariesVisible", hints.spaceBoundariesVisible);
    appendBool(node, "OpeningsVisible", hints.openingsVisible);
}

std::string changeCase(std::string text, bool upper) {
    for (char& c : text)
        c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                    : std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void writeColoring(pugi::xml_node components, const std::optional<std::vector<Color>>& coloring, bool v3,
                   SaveNotes& notes) {
    if (!coloring)
        return;
    std::vector<const Color*> colors;
    for (const Color& color : *coloring) {
        if (color.components.empty())
            notes.add(kColorWithoutComponents);
        else if (v3 && xml::isBlank(color.color))
            notes.add(kColorWithoutValue);
        else if (v3 && !isColor(color.color))
            notes.add(kColorInvalid);
        else
            colors.push_back(&color);
    }
    if (!v3 && colors.empty()) { // 2.1 takes no empty Coloring
        if (coloring->empty())
            notes.add(kEmptyListDropped);
        return;
    }
    pugi::xml_node node = components.append_child("Coloring");
    for (const Color* color : colors) {
        pugi::xml_node colorNode = node.append_child("Color");
        // 2.1 takes upper-case hexadecimal digits only.
        const std::string value = v3 ? color->color : changeCase(color->color, true);
        if (isColor(value)) {
            if (value != color->color)
                notes.add(kColorUpperCased);
            colorNode.append_attribute("Color").set_value(value.c_str());
        } else if (!xml::isBlank(value)) {
            notes.add(kColorInvalid);
        }
        writeComponents(v3 ? colorNode.append_child("Components") : colorNode, color->components, notes);
    }
}

void writeComponentsElement(pugi::xml_node root, const VisualizationInfo& info, bool v3, SaveNotes& notes) {
    const Components& c = info.components;
    if (!c.present && info.selection.empty() && !c.viewSetupHints && !c.visibility && !c.coloring)
        return;
    pugi::xml_node node = root.append_child("Components");
    if (!v3 && c.viewSetupHints)
        writeHints(node, *c.viewSetupHints);
    if (!info.selection.empty() || (v3 && c.selectionPresent))
        writeComponents(node.append_child("Selection"), info.selection, notes);
    else if (c.selectionPresent)
        notes.add(kEmptyListDropped);

    // 2.1 requires a Visibility; one that the model lacks shows everything, as a viewpoint
    // without one does. 3.0 writes one for hints that have no other place.
    std::optional<Visibility> visibility = c.visibility;
    if (!visibility && (!v3 || c.viewSetupHints)) {
        visibility = Visibility{true, std::nullopt};
        if (!v3)
            notes.add(kVisibilityAdded);
    }
    if (visibility) {
        pugi::xml_node visibilityNode = node.append_child("Visibility");
        appendBool(visibilityNode, "DefaultVisibility", visibility->defaultVisibility);
        if (v3 && c.viewSetupHints)
            writeHints(visibilityNode, *c.viewSetupHints);
        if (const auto& exceptions = visibility->exceptions) {
            if (v3 || !exceptions->empty())
                writeComponents(visibilityNode.append_child("Exceptions"), *exceptions, notes);
            else
                notes.add(kEmptyListDropped);
        }
    }
    writeColoring(node, c.coloring, v3, notes);
}

void writeCameras(pugi::xml_node root, const VisualizationInfo& info, bool v3, SaveNotes& notes) {
    const bool hasPerspective = info.hasPerspectiveCamera();
    // 3.0 takes exactly one camera; 2.1 takes either, both or none.
    if (info.orthogonalCamera && (!v3 || !hasPerspective)) {
        const OrthogonalCamera& o = *info.orthogonalCamera;
        pugi::xml_node camera = root.append_child("OrthogonalCamera");
        appendCameraVectors(camera, o.cameraViewPoint, o.cameraDirection, o.cameraUpVector);
        appendNumber(camera, "ViewToWorldScale", o.viewToWorldScale);
        if (v3) {
            if (!(o.aspectRatio > 0))
                notes.add(kAspectRatioAdded);
            appendNumber(camera, "AspectRatio", o.aspectRatio > 0 ? o.aspectRatio : 1.0);
        } else if (o.aspectRatio != 0) {
            notes.add(kAspectRatioDropped);
        }
    } else if (info.orthogonalCamera) {
        notes.add(kOrthogonalDropped);
    }
    if (!hasPerspective && (!v3 || info.orthogonalCamera))
        return;
    pugi::xml_node camera = root.append_child("PerspectiveCamera");
    appendCameraVectors(camera, info.cameraViewPoint, info.cameraDirection, info.cameraUpVector);
    if (v3) {
        // A viewpoint without any camera gets a neutral one: at the origin, 60 degrees.
        if (!hasPerspective)
            notes.add(kCameraAdded);
        const bool usable = info.fieldOfView > 0 && info.fieldOfView < 180;
        if (!usable && hasPerspective)
            notes.add(kFieldOfViewReplaced);
        appendNumber(camera, "FieldOfView", usable ? info.fieldOfView : kDefaultFieldOfView);
        if (!(info.aspectRatio > 0) && hasPerspective)
            notes.add(kAspectRatioAdded);
        appendNumber(camera, "AspectRatio", info.aspectRatio > 0 ? info.aspectRatio : 1.0);
    } else {
        const double fieldOfView =
            std::isnan(info.fieldOfView) ? kDefaultFieldOfView : std::clamp(info.fieldOfView, 45.0, 60.0);
        if (fieldOfView != info.fieldOfView)
            notes.add(kFieldOfViewClamped);
        appendNumber(camera, "FieldOfView", fieldOfView);
        if (info.aspectRatio != 0)
            notes.add(kAspectRatioDropped);
    }
}

void writeBitmap(pugi::xml_node node, const Bitmap& bitmap, bool v3) {
    // 3.0 spells the formats "png" and "jpg", 2.1 "PNG" and "JPG".
    xml::appendText(node, v3 ? "Format" : "Bitmap", changeCase(bitmap.format, !v3));
    xml::appendText(node, "Reference", bitmap.reference);
    appendVector(node, "Location", bitmap.location);
    appendVector(node, "Normal", bitmap.normal);
    appendVector(node, "Up", bitmap.up);
    appendNumber(node, "Height", bitmap.height);
}

} // namespace

VisualizationInfo readVisualizationInfo(const pugi::xml_document& document) {
    VisualizationInfo info;
    const pugi::xml_node root = document.child("VisualizationInfo");
    info.guid = xml::attribute(root, "Guid");
    info.components = readComponentsElement(root.child("Components"), info);
    const pugi::xml_node camera = root.child("PerspectiveCamera");
    info.cameraViewPoint = readVector(camera.child("CameraViewPoint"));
    info.cameraDirection = readVector(camera.child("CameraDirection"));
    info.cameraUpVector = readVector(camera.child("CameraUpVector"));
    info.aspectRatio = number(camera, "AspectRatio");
    info.fieldOfView = number(camera, "FieldOfView");
    if (const pugi::xml_node ortho = root.child("OrthogonalCamera")) {
        OrthogonalCamera o;
        o.cameraViewPoint = readVector(ortho.child("CameraViewPoint"));
        o.cameraDirection = readVector(ortho.child("CameraDirection"));
        o.cameraUpVector = readVector(ortho.child("CameraUpVector"));
        o.viewToWorldScale = number(ortho, "ViewToWorldScale");
        o.aspectRatio = number(ortho, "AspectRatio");
        info.orthogonalCamera = o;
    }
    // A list that a file repeats is read as one.
    if (root.child("Lines"))
        info.lines.emplace();
    xml::forEachListed(root, "Lines", "Line", [&info](pugi::xml_node line) {
        xml::chargeRecords(sizeof(Line));
        info.lines->push_back({readVector(line.child("StartPoint")), readVector(line.child("EndPoint"))});
    });
    if (root.child("ClippingPlanes"))
        info.clippingPlanes.emplace();
    xml::forEachListed(root, "ClippingPlanes", "ClippingPlane", [&info](pugi::xml_node plane) {
        xml::chargeRecords(sizeof(ClippingPlane));
        info.clippingPlanes->push_back(
            {readVector(plane.child("Location")), readVector(plane.child("Direction"))});
    });
    // 3.0 lists the bitmaps in Bitmaps, 2.1 repeats Bitmap in the root.
    if (root.child("Bitmaps") || root.child("Bitmap"))
        info.bitmaps.emplace();
    const auto readBitmapNode = [&info](pugi::xml_node node) {
        xml::chargeRecords(sizeof(Bitmap));
        info.bitmaps->push_back(readBitmap(node, info.unread));
    };
    xml::forEachListed(root, "Bitmaps", "Bitmap", readBitmapNode);
    for (pugi::xml_node node : root.children("Bitmap"))
        readBitmapNode(node);
    xml::findUnread(document, xml::FileKind::Visualization, BcfVersion::V3_0, info.unread);
    return info;
}

std::string writeVisualizationInfo(const VisualizationInfo& info, BcfVersion version, SaveNotes& notes) {
    const bool v3 = xml::isV3(version);
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("VisualizationInfo");
    xml::appendNamespaces(root);
    root.append_attribute("Guid").set_value(normalizedGuid(info.guid, version).c_str());

    writeComponentsElement(root, info, v3, notes);
    writeCameras(root, info, v3, notes);
    if (info.lines && (v3 || !info.lines->empty())) {
        pugi::xml_node lines = root.append_child("Lines");
        for (const Line& line : *info.lines) {
            pugi::xml_node node = lines.append_child("Line");
            appendVector(node, "StartPoint", line.startPoint);
            appendVector(node, "EndPoint", line.endPoint);
        }
    } else if (info.lines) {
        notes.add(kEmptyListDropped);
    }
    if (info.clippingPlanes) {
        pugi::xml_node planes = root.append_child("ClippingPlanes");
        for (const ClippingPlane& plane : *info.clippingPlanes) {
            pugi::xml_node node = planes.append_child("ClippingPlane");
            appendVector(node, "Location", plane.location);
            appendVector(node, "Direction", plane.direction);
        }
    }
    if (info.bitmaps && v3) {
        pugi::xml_node bitmaps = root.append_child("Bitmaps");
        for (const Bitmap& bitmap : *info.bitmaps)
            writeBitmap(bitmaps.append_child("Bitmap"), bitmap, v3);
    } else if (info.bitmaps) {
        for (const Bitmap& bitmap : *info.bitmaps)
            writeBitmap(root.append_child("Bitmap"), bitmap, v3);
        if (info.bitmaps->empty())
            notes.add(kEmptyListDropped);
    }
    return xml::serialize(document);
}

std::string writeVisualizationInfo(const VisualizationInfo& info, BcfVersion version) {
    SaveNotes notes;
    return writeVisualizationInfo(info, version, notes);
}

VisualizationInfo loadVisualizationInfo(const ZipArchive& source, const std::string& entryName) {
    auto bytes = source.readBuffer(entryName);
    if (!bytes)
        throw BcfError("file not found", entryName);
    pugi::xml_document document;
    xml::parseInPlace(document, bytes->data(), bytes->size(), entryName);
    return readVisualizationInfo(document);
}

} // namespace bcf
