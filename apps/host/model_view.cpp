#include "model_view.h"

#include <QContextMenuEvent>
#include <QLinearGradient>
#include <QMatrix4x4>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QQuaternion>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

using Polygon3 = std::vector<QVector3D>;

constexpr float kNear = 0.05f;    // perspective near plane, in model units before the camera
constexpr double kDragPixels = 4; // a press that moves less than this is a click
constexpr double kDegreesPerPixel = 0.4;
const QVector3D kModelCentre(5, 4, 1.5);
const QVector3D kWorldUp(0, 0, 1);
const QColor kSelectionColor(255, 150, 30);

QVector3D toQt(const BcfViewpoint::Vector& v) {
    return QVector3D(float(v.x), float(v.y), float(v.z));
}

BcfViewpoint::Vector fromQt(const QVector3D& v) {
    return {v.x(), v.y(), v.z()};
}

// The part of `polygon` where `side` is not negative (one step of Sutherland-Hodgman clipping).
template <class Side> Polygon3 clipped(const Polygon3& polygon, Side side) {
    Polygon3 result;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const QVector3D& a = polygon[i];
        const QVector3D& b = polygon[(i + 1) % polygon.size()];
        const float sideA = side(a);
        const float sideB = side(b);
        if (sideA >= 0)
            result.push_back(a);
        if ((sideA >= 0) != (sideB >= 0))
            result.push_back(a + (b - a) * (sideA / (sideA - sideB)));
    }
    return result;
}

// The demo building: a slab, four walls, two columns and a door, each with a fixed IFC GUID.
std::vector<ModelView::Box> building() {
    const QColor slab(190, 190, 184);
    const QColor wall(226, 216, 196);
    const QColor column(165, 175, 190);
    const QColor door(150, 100, 60);
    const auto guid = [](const char* text) { return QString::fromLatin1(text); };
    // clang-format off
    return {
        {guid("2Jo69Ck7R4Btr8UBs7FS7o"), QObject::tr("Slab"), {0, 0, -0.3f}, {10, 8, 0}, slab},
        {guid("0S5HbrIFdNDOlC87Q$sexw"), QObject::tr("South wall"), {0, 0, 0}, {10, 0.25f, 3}, wall},
        {guid("2cVNVAc$hva9FrLhJ_r59e"), QObject::tr("North wall"), {0, 7.75f, 0}, {10, 8, 3}, wall},
        {guid("2i$w8BYy87dvani2xjLE$7"), QObject::tr("West wall"), {0, 0.25f, 0}, {0.25f, 7.75f, 3}, wall},
        {guid("1aGVoo$ALvpZHtZrjmTJAM"), QObject::tr("East wall"), {9.75f, 0.25f, 0}, {10, 7.75f, 3}, wall},
        {guid("1TT1_NXa0IrleG6woopoDz"), QObject::tr("Column A"), {3.3f, 3.8f, 0}, {3.7f, 4.2f, 3}, column},
        {guid("37O8QuKEh6D0JCk39QmJWi"), QObject::tr("Column B"), {6.3f, 3.8f, 0}, {6.7f, 4.2f, 3}, column},
        // A door leaf before the south wall: boxes that overlap would defeat the drawing order.
        {guid("2yFE_xzzdAIDhXzK2QkI3c"), QObject::tr("Door"), {4.2f, -0.06f, 0}, {5.2f, 0, 2.1f}, door},
    };
    // clang-format on
}

// Whether box `near` may hide part of box `far` seen from `eye`: no plane between them has the eye
// on the side of `far`. For boxes that do not overlap, at most one of two may hide the other.
bool mayHide(const ModelView::Box& near, const ModelView::Box& far, const QVector3D& eye) {
    for (int k = 0; k < 3; ++k) {
        if ((near.max[k] <= far.min[k] && eye[k] >= far.min[k]) ||
            (far.max[k] <= near.min[k] && eye[k] <= far.max[k]))
            return false;
    }
    return true;
}

// The order in which to draw the boxes, each before those that may hide it (the painter's algorithm,
// exact for boxes that do not overlap); the farthest first where the order leaves a choice.
std::vector<std::size_t> drawingOrder(const std::vector<ModelView::Box>& boxes, const QVector3D& eye) {
    std::vector<std::size_t> order;
    std::vector<bool> drawn(boxes.size());
    const auto distance = [&](std::size_t i) { return (eye - (boxes[i].min + boxes[i].max) / 2).length(); };
    while (order.size() < boxes.size()) {
        std::optional<std::size_t> next;
        std::optional<std::size_t> farthest;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (drawn[i])
                continue;
            if (!farthest || distance(i) > distance(*farthest))
                farthest = i;
            bool free = true;
            for (std::size_t j = 0; j < boxes.size() && free; ++j)
                free = drawn[j] || j == i || !mayHide(boxes[i], boxes[j], eye);
            if (free && (!next || distance(i) > distance(*next)))
                next = i;
        }
        const std::size_t chosen = next.value_or(*farthest);
        drawn[chosen] = true;
        order.push_back(chosen);
    }
    return order;
}

bool containsGuid(const QList<BcfViewpoint::Component>& components, const QString& ifcGuid) {
    return std::any_of(components.begin(), components.end(),
                       [&](const BcfViewpoint::Component& c) { return c.ifcGuid == ifcGuid; });
}

void removeGuid(QList<BcfViewpoint::Component>& components, const QString& ifcGuid) {
    components.removeIf([&](const BcfViewpoint::Component& c) { return c.ifcGuid == ifcGuid; });
}

} // namespace

// Maps model coordinates to the widget through the camera: view space looks down -z, as OpenGL's.
class ModelView::Projector {
public:
    Projector(const BcfViewpoint::Camera& camera, QSizeF size)
        : perspective(camera.projection != BcfViewpoint::Projection::Orthogonal),
          centre(size.width() / 2, size.height() / 2) {
        eye = toQt(camera.position);
        forward = toQt(camera.direction).normalized();
        if (forward.isNull())
            forward = QVector3D(0, 1, 0);
        QVector3D up = toQt(camera.up);
        // A camera's up may be sloppy; one along the view direction says nothing, so the world's is used.
        if (QVector3D::crossProduct(forward, up.normalized()).length() < 1e-3f)
            up = std::abs(forward.z()) < 0.9f ? kWorldUp : QVector3D(0, 1, 0);
        view.lookAt(eye, eye + forward, up);
        if (perspective) {
            const double fov = camera.fieldOfView > 0 && camera.fieldOfView < 180 ? camera.fieldOfView : 60;
            scale = size.height() / 2 / std::tan(qDegreesToRadians(fov) / 2);
        } else {
            scale = size.height() / (camera.viewToWorldScale > 0 ? camera.viewToWorldScale : 10);
        }
    }

    QVector3D toView(const QVector3D& world) const { return view.map(world); }
    // The widget point of a view-space point; for a perspective camera it must lie before the near plane.
    QPointF toScreen(const QVector3D& v) const {
        const double factor = perspective ? scale / -v.z() : scale;
        return centre + QPointF(v.x() * factor, -v.y() * factor);
    }
    // Where the sight lines start: the eye, or for an orthogonal camera a point far behind it.
    QVector3D sightOrigin() const { return perspective ? eye : eye - forward * 1e5f; }
    // Whether the side of a box with `normal` through `point` faces the camera.
    bool faces(const QVector3D& normal, const QVector3D& point) const {
        return QVector3D::dotProduct(normal, perspective ? eye - point : -forward) > 0;
    }
    // The view-space polygon cut at the near plane (perspective only).
    Polygon3 inFront(const Polygon3& polygon) const {
        return perspective ? clipped(polygon, [](const QVector3D& p) { return -p.z() - kNear; }) : polygon;
    }

    bool perspective;
    QVector3D eye;
    QVector3D forward;

private:
    QMatrix4x4 view;
    QPointF centre;
    double scale = 1;
};

ModelView::ModelView(QWidget* parent) : QWidget(parent), boxes_(building()) {
    BcfViewpoint::Camera& camera = state_.camera;
    camera.projection = BcfViewpoint::Projection::Perspective;
    camera.position = {-9, -13, 11};
    camera.direction = {14, 17, -10};
    camera.up = {0, 0, 1};
    camera.fieldOfView = 60;
    setMinimumSize(240, 180);
    setFocusPolicy(Qt::ClickFocus);
}

ModelView::~ModelView() = default;

void ModelView::applyViewpoint(const BcfViewpoint& viewpoint) {
    const BcfViewpoint::Camera camera =
        viewpoint.camera.projection == BcfViewpoint::Projection::None ? state_.camera : viewpoint.camera;
    state_ = viewpoint;
    state_.camera = camera;
    state_.guid.clear();
    state_.snapshot = QImage();
    emit selectionChanged();
    update();
}

BcfViewpoint ModelView::captureViewpoint() const {
    BcfViewpoint viewpoint = state_;
    QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter painter(&image);
    paintScene(painter, image.size());
    painter.end();
    viewpoint.snapshot = image;
    viewpoint.camera.aspectRatio = double(image.width()) / image.height();
    return viewpoint;
}

std::optional<QPointF> ModelView::projectedCentre(const QString& ifcGuid) const {
    const auto box =
        std::find_if(boxes_.begin(), boxes_.end(), [&](const Box& b) { return b.ifcGuid == ifcGuid; });
    if (box == boxes_.end())
        return std::nullopt;
    const Projector projector(state_.camera, size());
    const QVector3D centre = projector.toView((box->min + box->max) / 2);
    if (projector.perspective && -centre.z() < kNear)
        return std::nullopt;
    return projector.toScreen(centre);
}

QStringList ModelView::selectedGuids() const {
    QStringList guids;
    for (const BcfViewpoint::Component& component : state_.selection)
        guids.append(component.ifcGuid);
    return guids;
}

void ModelView::selectComponents(const QStringList& ifcGuids) {
    QList<BcfViewpoint::Component> selection;
    for (const QString& guid : ifcGuids)
        selection.append({guid, QString(), QString()});
    setSelection(std::move(selection));
}

bool ModelView::isShown(const Box& box) const {
    return state_.defaultVisibility != containsGuid(state_.visibilityExceptions, box.ifcGuid);
}

QColor ModelView::fillOf(const Box& box) const {
    if (containsGuid(state_.selection, box.ifcGuid))
        return kSelectionColor;
    // A component in several colour groups takes the last one's colour.
    for (auto group = state_.coloring.rbegin(); group != state_.coloring.rend(); ++group) {
        if (group->color.isValid() && containsGuid(group->components, box.ifcGuid))
            return group->color;
    }
    return box.color;
}

std::vector<ModelView::Face> ModelView::projectedFaces(QSizeF size) const {
    const Projector projector(state_.camera, size);
    const QVector3D sun = QVector3D(0.45f, 0.3f, 0.85f).normalized();
    std::vector<Face> faces;
    for (const std::size_t index : drawingOrder(boxes_, projector.sightOrigin())) {
        const Box& box = boxes_[index];
        if (!isShown(box))
            continue;
        const QColor base = fillOf(box);
        for (int axis = 0; axis < 3; ++axis) {
            for (const bool high : {false, true}) {
                QVector3D normal;
                normal[axis] = high ? 1 : -1;
                QVector3D corner = box.min;
                corner[axis] = high ? box.max[axis] : box.min[axis];
                if (!projector.faces(normal, corner))
                    continue;
                const int u = (axis + 1) % 3;
                const int v = (axis + 2) % 3;
                Polygon3 polygon;
                for (const auto& [atU, atV] : {std::pair(box.min, box.min), std::pair(box.max, box.min),
                                               std::pair(box.max, box.max), std::pair(box.min, box.max)}) {
                    corner[u] = atU[u];
                    corner[v] = atV[v];
                    polygon.push_back(corner);
                }
                // Clipping planes cut the model away on the side their direction points to; the cut
                // stays open.
                for (const BcfViewpoint::ClippingPlane& plane : state_.clippingPlanes) {
                    const QVector3D location = toQt(plane.location);
                    const QVector3D direction = toQt(plane.direction);
                    polygon = clipped(polygon, [&](const QVector3D& p) {
                        return -QVector3D::dotProduct(direction, p - location);
                    });
                }
                for (QVector3D& point : polygon)
                    point = projector.toView(point);
                polygon = projector.inFront(polygon);
                if (polygon.size() < 3)
                    continue;
                Face face;
                face.box = int(index);
                for (const QVector3D& point : polygon)
                    face.polygon.append(projector.toScreen(point));
                // Flat shading: a fixed sun and a little light from the camera, so that every side differs.
                const float light = 0.35f + 0.4f * std::max(0.0f, QVector3D::dotProduct(normal, sun)) +
                                    0.25f * std::abs(QVector3D::dotProduct(normal, projector.forward));
                face.fill = QColor::fromRgbF(base.redF() * light, base.greenF() * light, base.blueF() * light,
                                             base.alphaF());
                faces.push_back(std::move(face));
            }
        }
    }
    return faces;
}

void ModelView::paintScene(QPainter& painter, QSizeF size) const {
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(206, 222, 240));
    sky.setColorAt(1, QColor(245, 245, 242));
    painter.fillRect(QRectF(QPointF(0, 0), size), sky);

    const Projector projector(state_.camera, size);
    const auto drawSegment = [&](const QVector3D& start, const QVector3D& end) {
        Polygon3 segment{projector.toView(start), projector.toView(end)};
        segment = projector.inFront(segment);
        if (segment.size() >= 2)
            painter.drawLine(projector.toScreen(segment[0]), projector.toScreen(segment[1]));
    };
    // A ground grid: where the camera looks at none of the building, moving it still shows.
    painter.setPen(QPen(QColor(150, 160, 175, 120), 0));
    for (int at = -20; at <= 30; at += 2) {
        drawSegment(QVector3D(float(at), -20, 0), QVector3D(float(at), 30, 0));
        drawSegment(QVector3D(-20, float(at), 0), QVector3D(30, float(at), 0));
    }
    for (const Face& face : projectedFaces(size)) {
        painter.setPen(QPen(face.fill.darker(130), 0));
        painter.setBrush(face.fill);
        painter.drawPolygon(face.polygon);
    }
    painter.setPen(QPen(QColor(210, 30, 40), 2));
    for (const BcfViewpoint::Line& line : state_.lines)
        drawSegment(toQt(line.start), toQt(line.end));
}

void ModelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintScene(painter, size());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignBottom,
                     tr("Drag: orbit   Wheel: zoom   Click: select   Right-click: hide, colour"));
}

void ModelView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressedAt_ = lastDragAt_ = event->position();
        dragging_ = false;
    }
}

void ModelView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPointF at = event->position();
    if (!dragging_ && (at - pressedAt_).manhattanLength() < kDragPixels)
        return;
    dragging_ = true;
    orbit(at - lastDragAt_);
    lastDragAt_ = at;
}

void ModelView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !dragging_)
        pick(event->position(), event->modifiers() & Qt::ControlModifier);
    dragging_ = false;
}

void ModelView::wheelEvent(QWheelEvent* event) {
    zoom(event->angleDelta().y() / 120.0);
}

void ModelView::pick(QPointF at, bool toggle) {
    const std::vector<Face> faces = projectedFaces(size());
    const auto hit = std::find_if(faces.rbegin(), faces.rend(), [&](const Face& face) {
        return face.polygon.containsPoint(at, Qt::OddEvenFill);
    });
    QList<BcfViewpoint::Component> selection = toggle ? state_.selection : QList<BcfViewpoint::Component>();
    if (hit != faces.rend()) {
        const QString& guid = boxes_[std::size_t(hit->box)].ifcGuid;
        if (toggle && containsGuid(selection, guid))
            removeGuid(selection, guid);
        else
            selection.append({guid, QString(), QString()});
    }
    setSelection(std::move(selection));
}

void ModelView::orbit(QPointF delta) {
    BcfViewpoint::Camera& camera = state_.camera;
    const QVector3D eye = toQt(camera.position);
    const QVector3D forward = toQt(camera.direction).normalized();
    if (forward.isNull())
        return;
    // The camera turns about a point before it: the building's centre when it lies ahead, else a
    // point ten units out (a viewpoint of another model looks at nothing of this one).
    const float ahead = QVector3D::dotProduct(kModelCentre - eye, forward);
    const float distance = ahead > 1 ? ahead : 10;
    const QVector3D pivot = eye + forward * distance;
    QVector3D right = QVector3D::crossProduct(forward, toQt(camera.up)).normalized();
    if (right.isNull())
        right = QVector3D::crossProduct(forward, kWorldUp).normalized();
    QQuaternion turn = QQuaternion::fromAxisAndAngle(kWorldUp, float(-delta.x() * kDegreesPerPixel));
    const QQuaternion tilt = QQuaternion::fromAxisAndAngle(right, float(-delta.y() * kDegreesPerPixel));
    // Tilting stops short of looking straight up or down, where turning about the vertical would spin.
    if (std::abs(tilt.rotatedVector(forward).z()) < 0.98f)
        turn = turn * tilt;
    const QVector3D newForward = turn.rotatedVector(forward);
    camera.direction = fromQt(newForward);
    camera.up = fromQt(turn.rotatedVector(toQt(camera.up)));
    camera.position = fromQt(pivot - newForward * distance);
    update();
}

void ModelView::zoom(double steps) {
    BcfViewpoint::Camera& camera = state_.camera;
    if (camera.projection == BcfViewpoint::Projection::Orthogonal) {
        const double height = camera.viewToWorldScale > 0 ? camera.viewToWorldScale : 10;
        camera.viewToWorldScale = height * std::pow(0.85, steps);
    } else {
        const QVector3D eye = toQt(camera.position);
        const QVector3D forward = toQt(camera.direction).normalized();
        const float ahead = QVector3D::dotProduct(kModelCentre - eye, forward);
        const float step = std::max(0.5f, 0.15f * (ahead > 1 ? ahead : 10));
        camera.position = fromQt(eye + forward * step * float(steps));
    }
    update();
}

void ModelView::setSelection(QList<BcfViewpoint::Component> selection) {
    state_.selection = std::move(selection);
    emit selectionChanged();
    update();
}

void ModelView::hideSelection() {
    for (const BcfViewpoint::Component& component : state_.selection) {
        if (state_.defaultVisibility && !containsGuid(state_.visibilityExceptions, component.ifcGuid))
            state_.visibilityExceptions.append(component);
        else if (!state_.defaultVisibility)
            removeGuid(state_.visibilityExceptions, component.ifcGuid);
    }
    update();
}

void ModelView::showOnlySelection() {
    state_.defaultVisibility = false;
    state_.visibilityExceptions = state_.selection;
    update();
}

void ModelView::colorSelection(const QColor& color) {
    for (BcfViewpoint::ColoredComponents& group : state_.coloring) {
        for (const BcfViewpoint::Component& component : state_.selection)
            removeGuid(group.components, component.ifcGuid);
    }
    state_.coloring.removeIf(
        [](const BcfViewpoint::ColoredComponents& group) { return group.components.isEmpty(); });
    if (color.isValid())
        state_.coloring.append({color, state_.selection});
    update();
}

void ModelView::contextMenuEvent(QContextMenuEvent* event) {
    const bool selected = !state_.selection.isEmpty();
    QMenu menu(this);
    menu.addAction(tr("Hide selection"), this, &ModelView::hideSelection)->setEnabled(selected);
    menu.addAction(tr("Show only selection"), this, &ModelView::showOnlySelection)->setEnabled(selected);
    menu.addAction(tr("Show all"), this, [this] {
        state_.defaultVisibility = true;
        state_.visibilityExceptions.clear();
        update();
    });
    QMenu* colors = menu.addMenu(tr("Colour selection"));
    colors->setEnabled(selected);
    const std::pair<QString, QColor> palette[] = {{tr("Red"), QColor(220, 50, 50)},
                                                  {tr("Green"), QColor(60, 170, 80)},
                                                  {tr("Blue"), QColor(52, 152, 219)},
                                                  {tr("Translucent"), QColor(120, 160, 220, 110)}};
    for (const auto& [name, color] : palette)
        colors->addAction(name, this, [this, color] { colorSelection(color); });
    colors->addAction(tr("Own colour"), this, [this] { colorSelection(QColor()); });
    menu.addAction(tr("Remove all colours"), this, [this] {
        state_.coloring.clear();
        update();
    });
    if (!state_.clippingPlanes.isEmpty()) {
        menu.addAction(tr("Remove clipping planes"), this, [this] {
            state_.clippingPlanes.clear();
            update();
        });
    }
    menu.addAction(tr("Clear selection"), this, [this] { setSelection({}); })->setEnabled(selected);
    menu.exec(event->globalPos());
}
