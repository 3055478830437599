#include "codec/visinfo.h"

#include "codec/bcf_error.h"
#include "codec/xml_util_p.h"
#include "codec/zip/zip_archive.h"

#include <algorithm>
#include <cmath>

namespace bcf {

bool VisualizationInfo::hasPerspectiveCamera() const {
    const Vector3 zero;
    return fieldOfView != 0 || aspectRatio != 0 || !(cameraViewPoint == zero) || !(cameraDirection == zero) ||
           !(cameraUpVector == zero);
}

namespace {

constexpr double kDefaultFieldOfView = 60;

double number(pugi::xml_node parent, const char* name) {
    return xml::parseNumber(xml::childText(parent, name));
}

Vector3 readVector(pugi::xml_node node) {
    return {number(node, "X"), number(node, "Y"), number(node, "Z")};
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

void writeComponent(pugi::xml_node parent, const Component& component, bool v3) {
    pugi::xml_node node = parent.append_child("Component");
    // Both schemas make IfcGuid optional but require 22 characters when it is there.
    if (!xml::isBlank(component.ifcGuid))
        node.append_attribute("IfcGuid").set_value(component.ifcGuid.c_str());
    if (v3) {
        xml::appendTextIfSet(node, "OriginatingSystem", component.originatingSystem);
        xml::appendTextIfSet(node, "AuthoringToolId", component.authoringToolId);
    } else {
        xml::appendText(node, "OriginatingSystem", component.originatingSystem);
        xml::appendText(node, "AuthoringToolId", component.authoringToolId);
    }
}

} // namespace

VisualizationInfo readVisualizationInfo(const pugi::xml_document& document) {
    VisualizationInfo info;
    const pugi::xml_node root = document.child("VisualizationInfo");
    info.guid = xml::attribute(root, "Guid");
    for (pugi::xml_node node : root.child("Components").child("Selection").children("Component"))
        info.selection.push_back({xml::attribute(node, "IfcGuid"), xml::childText(node, "OriginatingSystem"),
                                  xml::childText(node, "AuthoringToolId")});
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
    return info;
}

std::string writeVisualizationInfo(const VisualizationInfo& info, BcfVersion version) {
    const bool v3 = xml::isV3(version);
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("VisualizationInfo");
    xml::appendNamespaces(root);
    root.append_attribute("Guid").set_value(info.guid.c_str());

    if (!info.selection.empty()) {
        pugi::xml_node components = root.append_child("Components");
        pugi::xml_node selection = components.append_child("Selection");
        for (const Component& component : info.selection)
            writeComponent(selection, component, v3);
        components.append_child("Visibility").append_attribute("DefaultVisibility").set_value("true");
    }

    // 3.0 takes exactly one camera; 2.1 takes either, both or none.
    const bool perspective = info.hasPerspectiveCamera() || !info.orthogonalCamera;
    const bool orthogonal = info.orthogonalCamera && (!v3 || !info.hasPerspectiveCamera());
    if (orthogonal) {
        const OrthogonalCamera& o = *info.orthogonalCamera;
        pugi::xml_node camera = root.append_child("OrthogonalCamera");
        appendCameraVectors(camera, o.cameraViewPoint, o.cameraDirection, o.cameraUpVector);
        appendNumber(camera, "ViewToWorldScale", o.viewToWorldScale);
        if (v3)
            appendNumber(camera, "AspectRatio", o.aspectRatio > 0 ? o.aspectRatio : 1.0);
    }
    if (perspective && (v3 || info.hasPerspectiveCamera())) {
        pugi::xml_node camera = root.append_child("PerspectiveCamera");
        appendCameraVectors(camera, info.cameraViewPoint, info.cameraDirection, info.cameraUpVector);
        if (v3) {
            // 3.0 takes a field of view strictly between 0 and 180 degrees; a camera without a
            // usable one (a 2.1 viewpoint with no camera at all) gets the common 60 degrees.
            const bool usable = info.fieldOfView > 0 && info.fieldOfView < 180;
            appendNumber(camera, "FieldOfView", usable ? info.fieldOfView : kDefaultFieldOfView);
            // 2.1 viewpoints carry no aspect ratio; 3.0 requires a positive one.
            appendNumber(camera, "AspectRatio", info.aspectRatio > 0 ? info.aspectRatio : 1.0);
        } else {
            // The 2.1 schema takes a field of view from 45 to 60 degrees only.
            const double fieldOfView = std::isnan(info.fieldOfView) ? kDefaultFieldOfView : info.fieldOfView;
            appendNumber(camera, "FieldOfView", std::clamp(fieldOfView, 45.0, 60.0));
        }
    }
    return xml::serialize(document);
}

VisualizationInfo loadVisualizationInfo(const std::string& entryName) {
    const auto bytes = currentArchive().read(entryName);
    if (!bytes)
        throw BcfError("file not found", entryName);
    pugi::xml_document document;
    xml::parse(document, *bytes, entryName);
    return readVisualizationInfo(document);
}

} // namespace bcf
