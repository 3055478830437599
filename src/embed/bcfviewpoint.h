// BcfViewpoint: what a BCF viewpoint tells a model view (camera, components, clipping planes and the
// snapshot), as a plain value that the viewer and its host copy freely. Header only: no library code.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

// One viewpoint of a BCF topic. Coordinates are in the model's units (metres), double precision as
// in the viewpoint file. A default-constructed viewpoint has no camera and shows every component.
struct BcfViewpoint {
    // A point or a direction in model coordinates.
    struct Vector {
        double x = 0;
        double y = 0;
        double z = 0;
        friend bool operator==(const Vector& a, const Vector& b) {
            return a.x == b.x && a.y == b.y && a.z == b.z;
        }
        friend bool operator!=(const Vector& a, const Vector& b) { return !(a == b); }
    };

    // A model component, named by its IFC GUID (22 characters of IFC's base64 alphabet).
    struct Component {
        QString ifcGuid;           // the IfcRoot GlobalId
        QString originatingSystem; // the system the component was made in; may be empty
        QString authoringToolId;   // that system's own id of the component; may be empty
        friend bool operator==(const Component& a, const Component& b) {
            return a.ifcGuid == b.ifcGuid && a.originatingSystem == b.originatingSystem &&
                   a.authoringToolId == b.authoringToolId;
        }
        friend bool operator!=(const Component& a, const Component& b) { return !(a == b); }
    };

    // How the camera projects the model; None for a viewpoint without a camera (a pasted image).
    enum class Projection { None, Perspective, Orthogonal };

    // Where the model view looks from, and how.
    struct Camera {
        Projection projection = Projection::None; // kind of camera; None: the other members mean nothing
        Vector position;                          // the camera's location
        Vector direction;                         // where it looks; need not be of unit length
        Vector up;                                // the view's up direction; need not be of unit length
        double fieldOfView = 0;                   // Perspective: the vertical opening angle in degrees
        double viewToWorldScale = 0;              // Orthogonal: the height of the view in model units
        double aspectRatio = 0; // width over height of the view; 0 when the viewpoint gives none
        friend bool operator==(const Camera& a, const Camera& b) {
            return a.projection == b.projection && a.position == b.position && a.direction == b.direction &&
                   a.up == b.up && a.fieldOfView == b.fieldOfView &&
                   a.viewToWorldScale == b.viewToWorldScale && a.aspectRatio == b.aspectRatio;
        }
        friend bool operator!=(const Camera& a, const Camera& b) { return !(a == b); }
    };

    // Components drawn in one colour.
    struct ColoredComponents {
        QColor color;                // the colour; its alpha is the opacity (BCF writes it as AARRGGBB)
        QList<Component> components; // the components shown in it
        friend bool operator==(const ColoredComponents& a, const ColoredComponents& b) {
            return a.color == b.color && a.components == b.components;
        }
        friend bool operator!=(const ColoredComponents& a, const ColoredComponents& b) { return !(a == b); }
    };

    // A plane that cuts away the part of the model on the side its direction points to.
    struct ClippingPlane {
        Vector location;  // a point of the plane
        Vector direction; // its normal, pointing to the part cut away
        friend bool operator==(const ClippingPlane& a, const ClippingPlane& b) {
            return a.location == b.location && a.direction == b.direction;
        }
        friend bool operator!=(const ClippingPlane& a, const ClippingPlane& b) { return !(a == b); }
    };

    // A line segment drawn into the model.
    struct Line {
        Vector start; // one end
        Vector end;   // the other end
        friend bool operator==(const Line& a, const Line& b) { return a.start == b.start && a.end == b.end; }
        friend bool operator!=(const Line& a, const Line& b) { return !(a == b); }
    };

    QString guid;                          // the viewpoint's GUID; empty: one is made when stored
    Camera camera;                         // the camera; projection None when there is none
    QList<Component> selection;            // components to show selected (highlighted)
    bool defaultVisibility = true;         // whether components not in the exceptions are shown
    QList<Component> visibilityExceptions; // components shown the other way round
    QList<ColoredComponents> coloring;     // components drawn in a colour of their own
    bool spacesVisible = false;            // whether IfcSpace components are shown
    bool spaceBoundariesVisible = false;   // whether space boundaries are shown
    bool openingsVisible = false;          // whether IfcOpeningElement components are shown
    QList<ClippingPlane> clippingPlanes;   // the planes that cut the model
    QList<Line> lines;                     // the lines drawn into the model
    QImage snapshot;                       // what the view showed; null when there is none

    // Equal when every member is; snapshots compare by their pixels.
    friend bool operator==(const BcfViewpoint& a, const BcfViewpoint& b) {
        return a.guid == b.guid && a.camera == b.camera && a.selection == b.selection &&
               a.defaultVisibility == b.defaultVisibility &&
               a.visibilityExceptions == b.visibilityExceptions && a.coloring == b.coloring &&
               a.spacesVisible == b.spacesVisible && a.spaceBoundariesVisible == b.spaceBoundariesVisible &&
               a.openingsVisible == b.openingsVisible && a.clippingPlanes == b.clippingPlanes &&
               a.lines == b.lines && a.snapshot == b.snapshot;
    }
    friend bool operator!=(const BcfViewpoint& a, const BcfViewpoint& b) { return !(a == b); }
};
