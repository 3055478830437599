#include "ui/components_view.h"

#include "ui/mainwindow_p.h"

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>

namespace {

enum Column { RoleColumn = 0, IfcGuidColumn, OriginatingSystemColumn, AuthoringToolIdColumn, ColourColumn };

// A small square of `color`, its alpha shown over a chequered ground.
QIcon swatch(const QColor& color) {
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.fillRect(0, 0, 7, 7, Qt::lightGray);
    painter.fillRect(7, 7, 7, 7, Qt::lightGray);
    painter.fillRect(pixmap.rect(), color);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, 13, 13);
    return QIcon(pixmap);
}

// A colour of a viewpoint: "RRGGBB", or "AARRGGBB" with the alpha first; invalid otherwise.
QColor viewpointColor(const std::string& text) {
    if (text.size() != 6 && text.size() != 8)
        return QColor();
    bool ok = false;
    const unsigned value = fromUtf8(text).toUInt(&ok, 16);
    if (!ok)
        return QColor();
    return text.size() == 6 ? QColor::fromRgb(value) : QColor::fromRgba(value);
}

QTreeWidgetItem* addRow(QTreeWidget* tree, ComponentRole role, const bcf::Component& component) {
    auto* item = new QTreeWidgetItem();
    item->setText(RoleColumn, componentRoleText(role));
    item->setText(IfcGuidColumn, fromUtf8(component.ifcGuid));
    item->setText(OriginatingSystemColumn, fromUtf8(component.originatingSystem));
    item->setText(AuthoringToolIdColumn, fromUtf8(component.authoringToolId));
    tree->addTopLevelItem(item);
    return item;
}

QString flag(const char* name, const std::optional<bool>& value) {
    // Unset hints read as the schema's default: not visible.
    return QString::fromUtf8(name) +
           (value.value_or(false) ? QStringLiteral(" shown") : QStringLiteral(" hidden"));
}

QString visibilityText(const bcf::Components& components) {
    const bool defaultVisible =
        components.visibility && components.visibility->defaultVisibility.value_or(false);
    QString text = QStringLiteral("Default visibility: ") +
                   (defaultVisible ? QStringLiteral("all shown") : QStringLiteral("all hidden"));
    if (components.viewSetupHints) {
        const bcf::ViewSetupHints& hints = *components.viewSetupHints;
        text += QStringLiteral("; ") + flag("spaces", hints.spacesVisible) + QStringLiteral(", ") +
                flag("space boundaries", hints.spaceBoundariesVisible) + QStringLiteral(", ") +
                flag("openings", hints.openingsVisible);
    }
    return text;
}

template <typename T> std::size_t countOf(const std::optional<std::vector<T>>& list) {
    return list ? list->size() : 0;
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
    const bcf::Components& components = info.components;
    if (components.visibility && components.visibility->exceptions) {
        // Exceptions turn the default around: shown when all are hidden, hidden when all are shown.
        const ComponentRole role = components.visibility->defaultVisibility.value_or(false)
                                       ? ComponentRole::Hidden
                                       : ComponentRole::Visible;
        for (const bcf::Component& component : *components.visibility->exceptions)
            addRow(ui.twComponents, role, component);
    }
    if (components.coloring) {
        for (const bcf::Color& color : *components.coloring) {
            const QColor shown = viewpointColor(color.color);
            for (const bcf::Component& component : color.components) {
                QTreeWidgetItem* item = addRow(ui.twComponents, ComponentRole::Coloured, component);
                item->setText(ColourColumn, fromUtf8(color.color));
                if (shown.isValid())
                    item->setIcon(ColourColumn, swatch(shown));
            }
        }
    }
    for (int column = RoleColumn; column < ColourColumn; ++column)
        ui.twComponents->resizeColumnToContents(column);
    ui.lVisibility->setText(visibilityText(components));
    ui.lCamera->setText(cameraText(info) + QStringLiteral(". Clipping planes: ") +
                        QString::number(countOf(info.clippingPlanes)) + QStringLiteral(", lines: ") +
                        QString::number(countOf(info.lines)) + QStringLiteral(", bitmaps: ") +
                        QString::number(countOf(info.bitmaps)));
    if (info.bitmaps && !info.bitmaps->empty()) {
        for (const bcf::Bitmap& bitmap : *info.bitmaps)
            ui.lwBitmaps->addItem(fromUtf8(bitmap.reference));
        ui.lwBitmaps->show();
    }
}
