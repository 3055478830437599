#include "ui/components_view.h"

#include "ui/mainwindow_p.h"

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QTreeWidget>

namespace {

enum Column { RoleColumn = 0, IfcGuidColumn, OriginatingSystemColumn, AuthoringToolIdColumn, ColourColumn };

void addRow(QTreeWidget* tree, ComponentRole role, const bcf::Component& component) {
    auto* item = new QTreeWidgetItem();
    item->setText(RoleColumn, componentRoleText(role));
    item->setText(IfcGuidColumn, fromUtf8(component.ifcGuid));
    item->setText(OriginatingSystemColumn, fromUtf8(component.originatingSystem));
    item->setText(AuthoringToolIdColumn, fromUtf8(component.authoringToolId));
    tree->addTopLevelItem(item);
}

QString number(double value) {
    return QString::number(value, 'g', 6);
}

QString vector(const bcf::Vector3& v) {
    return QStringLiteral("(") + number(v.x) + QStringLiteral(", ") + number(v.y) + QStringLiteral(", ") +
           number(v.z) + QStringLiteral(")");
}

QString cameraText(const bcf::VisualizationInfo& info) {
    if (info.orthogonalCamera) {
        const bcf::OrthogonalCamera& camera = *info.orthogonalCamera;
        return QStringLiteral("Orthogonal camera at ") + vector(camera.cameraViewPoint) +
               QStringLiteral(", direction ") + vector(camera.cameraDirection) + QStringLiteral(", up ") +
               vector(camera.cameraUpVector) + QStringLiteral(", view to world scale ") +
               number(camera.viewToWorldScale) + QStringLiteral(", aspect ratio ") +
               number(camera.aspectRatio);
    }
    if (info.hasPerspectiveCamera()) {
        return QStringLiteral("Perspective camera at ") + vector(info.cameraViewPoint) +
               QStringLiteral(", direction ") + vector(info.cameraDirection) + QStringLiteral(", up ") +
               vector(info.cameraUpVector) + QStringLiteral(", field of view ") + number(info.fieldOfView) +
               QStringLiteral("°, aspect ratio ") + number(info.aspectRatio);
    }
    return QStringLiteral("No camera");
}

} // namespace

QString componentRoleText(ComponentRole role) {
    switch (role) {
    case ComponentRole::Selected:
        return QStringLiteral("Selected");
    case ComponentRole::Visible:
        return QStringLiteral("Visible");
    case ComponentRole::Hidden:
        return QStringLiteral("Hidden");
    case ComponentRole::Coloured:
        return QStringLiteral("Coloured");
    }
    return QString();
}

void clearComponentsView(Ui::MainWindow& ui) {
    ui.twComponents->clear();
    ui.lVisibility->clear();
    ui.lCamera->clear();
    ui.lwBitmaps->clear();
    ui.lwBitmaps->hide();
}

void fillComponentsView(Ui::MainWindow& ui, const bcf::VisualizationInfo& info) {
    clearComponentsView(ui);
    for (const bcf::Component& component : info.selection)
        addRow(ui.twComponents, ComponentRole::Selected, component);
    ui.lCamera->setText(cameraText(info));
}
