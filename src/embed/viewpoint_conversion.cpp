#include "viewpoint_conversion.h"

#include "codec/guid.h"
#include "ui/utf8_text.h"

#include <QBuffer>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

BcfViewpoint::Vector fromCodec(const bcf::Vector3& v) {
    return {v.x, v.y, v.z};
}

bcf::Vector3 toCodec(const BcfViewpoint::Vector& v) {
    return {v.x, v.y, v.z};
}

QList<BcfViewpoint::Component> fromCodec(const std::vector<bcf::Component>& components) {
    QList<BcfViewpoint::Component> result;
    result.reserve(static_cast<qsizetype>(components.size()));
    for (const bcf::Component& c : components)
        result.append({fromUtf8(c.ifcGuid), fromUtf8(c.originatingSystem), fromUtf8(c.authoringToolId)});
    return result;
}

std::vector<bcf::Component> toCodec(const QList<BcfViewpoint::Component>& components) {
    std::vector<bcf::Component> result;
    result.reserve(static_cast<std::size_t>(components.size()));
    for (const BcfViewpoint::Component& c : components)
        result.push_back({toUtf8(c.ifcGuid), toUtf8(c.originatingSystem), toUtf8(c.authoringToolId)});
    return result;
}

BcfViewpoint::Camera cameraFromCodec(const bcf::VisualizationInfo& info) {
    BcfViewpoint::Camera camera;
    if (info.hasPerspectiveCamera()) {
        camera.projection = BcfViewpoint::Projection::Perspective;
        camera.position = fromCodec(info.cameraViewPoint);
        camera.direction = fromCodec(info.cameraDirection);
        camera.up = fromCodec(info.cameraUpVector);
        camera.fieldOfView = info.fieldOfView;
        camera.aspectRatio = info.aspectRatio;
    } else if (const auto& ortho = info.orthogonalCamera) {
        camera.projection = BcfViewpoint::Projection::Orthogonal;
        camera.position = fromCodec(ortho->cameraViewPoint);
        camera.direction = fromCodec(ortho->cameraDirection);
        camera.up = fromCodec(ortho->cameraUpVector);
        camera.viewToWorldScale = ortho->viewToWorldScale;
        camera.aspectRatio = ortho->aspectRatio;
    }
    return camera;
}

void cameraToCodec(const BcfViewpoint::Camera& camera, bcf::VisualizationInfo& info) {
    switch (camera.projection) {
    case BcfViewpoint::Projection::Perspective:
        info.cameraViewPoint = toCodec(camera.position);
        info.cameraDirection = toCodec(camera.direction);
        info.cameraUpVector = toCodec(camera.up);
        info.fieldOfView = camera.fieldOfView;
        info.aspectRatio = camera.aspectRatio;
        break;
    case BcfViewpoint::Projection::Orthogonal:
        info.orthogonalCamera =
            bcf::OrthogonalCamera{toCodec(camera.position), toCodec(camera.direction), toCodec(camera.up),
                                  camera.viewToWorldScale, camera.aspectRatio};
        break;
    case BcfViewpoint::Projection::None:
        break;
    }
}

} // namespace

QColor colorFromBcf(std::string_view text) {
    const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    if ((text.size() != 6 && text.size() != 8) || !std::all_of(text.begin(), text.end(), isHex))
        return {};
    const auto value = static_cast<QRgb>(std::stoul(std::string(text), nullptr, 16));
    return QColor::fromRgba(text.size() == 6 ? value | 0xFF000000u : value);
}

std::string colorToBcf(const QColor& color) {
    const QRgb argb = color.rgba();
    const bool opaque = qAlpha(argb) == 255;
    return QString::number(opaque ? argb & 0xFFFFFFu : argb, 16)
        .rightJustified(opaque ? 6 : 8, QLatin1Char('0'))
        .toUpper()
        .toStdString();
}

BcfViewpoint viewpointFromCodec(const bcf::VisualizationInfo& info, std::string_view snapshot) {
    BcfViewpoint viewpoint;
    viewpoint.guid = fromUtf8(info.guid);
    viewpoint.camera = cameraFromCodec(info);
    viewpoint.selection = fromCodec(info.selection);
    const bcf::Components& components = info.components;
    if (const auto& visibility = components.visibility) {
        viewpoint.defaultVisibility = visibility->defaultVisibility.value_or(false);
        if (visibility->exceptions)
            viewpoint.visibilityExceptions = fromCodec(*visibility->exceptions);
    }
    if (const auto& hints = components.viewSetupHints) {
        viewpoint.spacesVisible = hints->spacesVisible.value_or(false);
        viewpoint.spaceBoundariesVisible = hints->spaceBoundariesVisible.value_or(false);
        viewpoint.openingsVisible = hints->openingsVisible.value_or(false);
    }
    if (components.coloring) {
        for (const bcf::Color& color : *components.coloring)
            viewpoint.coloring.append({colorFromBcf(color.color), fromCodec(color.components)});
    }
    if (info.clippingPlanes) {
        for (const bcf::ClippingPlane& plane : *info.clippingPlanes)
            viewpoint.clippingPlanes.append({fromCodec(plane.location), fromCodec(plane.direction)});
    }
    if (info.lines) {
        for (const bcf::Line& line : *info.lines)
            viewpoint.lines.append({fromCodec(line.startPoint), fromCodec(line.endPoint)});
    }
    if (!snapshot.empty())
        viewpoint.snapshot.loadFromData(
            QByteArrayView(snapshot.data(), static_cast<qsizetype>(snapshot.size())));
    return viewpoint;
}

CodecViewpoint viewpointToCodec(const BcfViewpoint& viewpoint) {
    CodecViewpoint result;
    bcf::VisualizationInfo& info = result.info;
    info.guid = viewpoint.guid.isEmpty() ? bcf::generateGuid() : toUtf8(viewpoint.guid);
    cameraToCodec(viewpoint.camera, info);
    info.selection = toCodec(viewpoint.selection);

    // Components are always written in full: a reader of either version then sees the visibility and
    // the hints the view had, not the schema's defaults.
    bcf::Components& components = info.components;
    components.present = true;
    components.selectionPresent = !info.selection.empty();
    components.viewSetupHints = bcf::ViewSetupHints{viewpoint.spacesVisible, viewpoint.spaceBoundariesVisible,
                                                    viewpoint.openingsVisible};
    bcf::Visibility& visibility = components.visibility.emplace();
    visibility.defaultVisibility = viewpoint.defaultVisibility;
    if (!viewpoint.visibilityExceptions.isEmpty())
        visibility.exceptions = toCodec(viewpoint.visibilityExceptions);
    std::vector<bcf::Color> colors;
    for (const BcfViewpoint::ColoredComponents& colored : viewpoint.coloring) {
        // The schemas require a colour and at least one component in each group.
        if (colored.color.isValid() && !colored.components.isEmpty())
            colors.push_back({colorToBcf(colored.color), toCodec(colored.components)});
    }
    if (!colors.empty())
        components.coloring = std::move(colors);

    if (!viewpoint.clippingPlanes.isEmpty()) {
        auto& planes = info.clippingPlanes.emplace();
        for (const BcfViewpoint::ClippingPlane& plane : viewpoint.clippingPlanes)
            planes.push_back({toCodec(plane.location), toCodec(plane.direction)});
    }
    if (!viewpoint.lines.isEmpty()) {
        auto& lines = info.lines.emplace();
        for (const BcfViewpoint::Line& line : viewpoint.lines)
            lines.push_back({toCodec(line.start), toCodec(line.end)});
    }

    if (!viewpoint.snapshot.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!viewpoint.snapshot.save(&buffer, "PNG"))
            throw std::runtime_error("snapshot not encoded");
        result.snapshotPng.assign(png.constData(), static_cast<std::size_t>(png.size()));
    }
    return result;
}
