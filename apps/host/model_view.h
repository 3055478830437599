// The demo host's model view: a small building of boxes, each a model component with an IFC GUID,
// drawn with QPainter in perspective or orthogonal projection. It shows BCF viewpoints and
// captures its own, as the model view of a real BIM application would.
#pragma once

#include "bcfviewpoint.h"

#include <QPointF>
#include <QPolygonF>
#include <QVector3D>
#include <QWidget>

#include <optional>
#include <vector>

class ModelView final : public QWidget {
    Q_OBJECT

public:
    // One component of the model: an axis-aligned box.
    struct Box {
        QString ifcGuid;
        QString name;
        QVector3D min;
        QVector3D max;
        QColor color;
    };

    explicit ModelView(QWidget* parent = nullptr);
    ~ModelView() override;

    // The components of the model.
    const std::vector<Box>& boxes() const { return boxes_; }

    // Moves the camera to the viewpoint's (unless it has none) and shows its selection, visibility,
    // colours, clipping planes and lines. Components the model lacks are kept for capturing.
    void applyViewpoint(const BcfViewpoint& viewpoint);
    // What the view shows now: its image, camera, selection, visibility, colours, clipping planes and
    // lines. The GUID is left empty.
    BcfViewpoint captureViewpoint() const;
    // Where the centre of the box `ifcGuid` appears in the widget; nothing when it is behind the camera.
    std::optional<QPointF> projectedCentre(const QString& ifcGuid) const;
    // The IFC GUIDs of the selected components.
    QStringList selectedGuids() const;
    // Selects the components `ifcGuids` (also those the model lacks) and nothing else.
    void selectComponents(const QStringList& ifcGuids);

signals:
    // The user or a viewpoint changed the selection.
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // A side of a box as it appears in the widget.
    struct Face {
        QPolygonF polygon;
        QColor fill;
        int box = 0;
    };
    class Projector;

    std::vector<Face> projectedFaces(QSizeF size) const;
    void paintScene(QPainter& painter, QSizeF size) const;
    bool isShown(const Box& box) const;
    QColor fillOf(const Box& box) const;
    void pick(QPointF at, bool toggle);
    void orbit(QPointF delta);
    void zoom(double steps);
    void setSelection(QList<BcfViewpoint::Component> selection);
    void hideSelection();
    void showOnlySelection();
    void colorSelection(const QColor& color);

    std::vector<Box> boxes_;
    // What the view shows: camera, selection, visibility, colours, hints, clipping planes and lines.
    BcfViewpoint state_;
    QPointF pressedAt_;
    QPointF lastDragAt_;
    bool dragging_ = false;
};
