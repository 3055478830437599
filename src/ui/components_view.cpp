#include "ui/components_view.h"

#include "ui/bcf_session.h"
#include "ui/snapshot_viewer.h"
#include "ui/topic_selection.h"
#include "ui/utf8_text.h"
#include "ui/viewpoint_link.h"
#include "ui/window_messages.h"
#include "ui_mainwindow.h"

#include "codec/payloads.h"
#include "i18n/language.h"

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
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

// Unset hints read as the schema's default: not visible.
QString flag(const std::optional<bool>& value, const QString& shown, const QString& hidden) {
    return value.value_or(false) ? shown : hidden;
}

QString visibilityText(const bcf::Components& components) {
    const bool defaultVisible =
        components.visibility && components.visibility->defaultVisibility.value_or(false);
    QString text = defaultVisible ? ComponentsView::tr("Default visibility: all shown")
                                  : ComponentsView::tr("Default visibility: all hidden");
    if (components.viewSetupHints) {
        const bcf::ViewSetupHints& hints = *components.viewSetupHints;
        text += QStringLiteral("; ") +
                flag(hints.spacesVisible, ComponentsView::tr("spaces shown"),
                     ComponentsView::tr("spaces hidden")) +
                QStringLiteral(", ") +
                flag(hints.spaceBoundariesVisible, ComponentsView::tr("space boundaries shown"),
                     ComponentsView::tr("space boundaries hidden")) +
                QStringLiteral(", ") +
                flag(hints.openingsVisible, ComponentsView::tr("openings shown"),
                     ComponentsView::tr("openings hidden"));
    }
    return text;
}

template <typename T> std::size_t countOf(const std::optional<std::vector<T>>& list) {
    return list ? list->size() : 0;
}

// A number as the window's language writes it ("0,4308" in German), without group separators.
QString number(double value) {
    QLocale language = bcf::language();
    language.setNumberOptions(QLocale::OmitGroupSeparator);
    return language.toString(value, 'g', 6);
}

// "(1.5, 2, 3)"; where the decimal sign is a comma the coordinates are parted by semicolons.
QString vector(const bcf::Vector3& v) {
    const QString separator =
        bcf::language().decimalPoint() == QStringLiteral(",") ? QStringLiteral("; ") : QStringLiteral(", ");
    return QStringLiteral("(") + number(v.x) + separator + number(v.y) + separator + number(v.z) +
           QStringLiteral(")");
}

QString cameraText(const bcf::VisualizationInfo& info) {
    if (info.orthogonalCamera) {
        const bcf::OrthogonalCamera& camera = *info.orthogonalCamera;
        return ComponentsView::tr("Orthogonal camera at %1, direction %2, up %3, view to world scale %4, "
                                  "aspect ratio %5")
            .arg(vector(camera.cameraViewPoint), vector(camera.cameraDirection),
                 vector(camera.cameraUpVector), number(camera.viewToWorldScale), number(camera.aspectRatio));
    }
    if (info.hasPerspectiveCamera()) {
        return ComponentsView::tr("Perspective camera at %1, direction %2, up %3, field of view %4\u00b0, "
                                  "aspect ratio %5")
            .arg(vector(info.cameraViewPoint), vector(info.cameraDirection), vector(info.cameraUpVector),
                 number(info.fieldOfView), number(info.aspectRatio));
    }
    return ComponentsView::tr("No camera");
}

QImage decoded(const std::string& bytes) {
    QImage image;
    image.loadFromData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return image;
}

} // namespace

QString componentRoleText(ComponentRole role) {
    switch (role) {
    case ComponentRole::Selected:
        return ComponentsView::tr("Selected", "component role");
    case ComponentRole::Visible:
        return ComponentsView::tr("Visible", "component role");
    case ComponentRole::Hidden:
        return ComponentsView::tr("Hidden", "component role");
    case ComponentRole::Coloured:
        return ComponentsView::tr("Coloured", "component role");
    }
    return QString();
}

ComponentsView::ComponentsView(Ui::MainWindow& ui, BcfSession& session, TopicSelection& selection,
                               WindowMessages& messages, ViewpointLink& link)
    : ui_(ui), session_(session), selection_(selection), messages_(messages), link_(link) {
    ui.twComponents->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(ui.twComponents, &QTreeWidget::itemSelectionChanged, this, &ComponentsView::announceSelection);
    connect(&selection_, &TopicSelection::topicChanged, this, &ComponentsView::show);
    connect(&selection_, &TopicSelection::viewPointChanged, this, &ComponentsView::show);
    connect(&session_, &BcfSession::documentReset, this, &ComponentsView::show);
    connect(ui.lwBitmaps, &QListWidget::itemDoubleClicked, this, &ComponentsView::showBitmaps);
    clear();
}

ComponentsView::~ComponentsView() = default;

void ComponentsView::clear() {
    {
        // Another viewpoint shown is no selection of the user's.
        const QSignalBlocker blocker(ui_.twComponents);
        ui_.twComponents->clear();
    }
    ui_.lVisibility->clear();
    ui_.lCamera->clear();
    ui_.lwBitmaps->clear();
    ui_.lwBitmaps->hide();
}

void ComponentsView::show() {
    // Cleared first: no snapshot, or one whose viewpoint can't be read, shows no components.
    clear();
    const int topic = selection_.topic();
    const int viewPoint = selection_.viewPoint();
    const bcf::BcfData& data = session_.data();
    if (topic < 0 || viewPoint < 0 || static_cast<std::size_t>(topic) >= data.markups.size())
        return;
    const bcf::Markup& markup = data.markups[static_cast<std::size_t>(topic)];
    if (static_cast<std::size_t>(viewPoint) >= markup.viewPoints.size())
        return;
    messages_.run(tr("Reading the viewpoint"),
                  fromUtf8(bcf::payloadEntryName(
                      markup, markup.viewPoints[static_cast<std::size_t>(viewPoint)].viewpoint)),
                  [&] {
                      session_.fetchVisualization(topic, viewPoint);
                      fill(markup.viewPoints[static_cast<std::size_t>(viewPoint)].visualizationInfo);
                  });
}

void ComponentsView::fill(const bcf::VisualizationInfo& info) {
    for (const bcf::Component& component : info.selection)
        addRow(ui_.twComponents, ComponentRole::Selected, component);
    const bcf::Components& components = info.components;
    if (components.visibility && components.visibility->exceptions) {
        // Exceptions turn the default around: shown when all are hidden, hidden when all are shown.
        const ComponentRole role = components.visibility->defaultVisibility.value_or(false)
                                       ? ComponentRole::Hidden
                                       : ComponentRole::Visible;
        for (const bcf::Component& component : *components.visibility->exceptions)
            addRow(ui_.twComponents, role, component);
    }
    if (components.coloring) {
        for (const bcf::Color& color : *components.coloring) {
            const QColor shown = viewpointColor(color.color);
            for (const bcf::Component& component : color.components) {
                QTreeWidgetItem* item = addRow(ui_.twComponents, ComponentRole::Coloured, component);
                item->setText(ColourColumn, fromUtf8(color.color));
                if (shown.isValid())
                    item->setIcon(ColourColumn, swatch(shown));
            }
        }
    }
    for (int column = RoleColumn; column < ColourColumn; ++column)
        ui_.twComponents->resizeColumnToContents(column);
    ui_.lVisibility->setText(visibilityText(components));
    ui_.lCamera->setText(tr("%1. Clipping planes: %2, lines: %3, bitmaps: %4")
                             .arg(cameraText(info))
                             .arg(countOf(info.clippingPlanes))
                             .arg(countOf(info.lines))
                             .arg(countOf(info.bitmaps)));
    if (info.bitmaps && !info.bitmaps->empty()) {
        for (const bcf::Bitmap& bitmap : *info.bitmaps)
            ui_.lwBitmaps->addItem(fromUtf8(bitmap.reference));
        ui_.lwBitmaps->show();
    }
}

void ComponentsView::announceSelection() {
    QStringList guids;
    for (const QTreeWidgetItem* item : ui_.twComponents->selectedItems()) {
        const QString guid = item->text(IfcGuidColumn);
        // A component may be selected, coloured and hidden at once: its GUID is named once.
        if (!guid.isEmpty() && !guids.contains(guid))
            guids.append(guid);
    }
    link_.selectComponents(guids);
}

void ComponentsView::showBitmaps(QListWidgetItem* item) {
    const int topic = selection_.topic();
    const int viewPoint = selection_.viewPoint();
    if (topic < 0 || viewPoint < 0 || item == nullptr)
        return;
    messages_.run(tr("Showing the bitmap"), item->text(), [&] {
        const auto& bitmaps = session_.data()
                                  .markups.at(static_cast<std::size_t>(topic))
                                  .viewPoints.at(static_cast<std::size_t>(viewPoint))
                                  .visualizationInfo.bitmaps;
        if (!bitmaps)
            return;
        std::vector<ViewerImage> images;
        for (std::size_t i = 0; i < bitmaps->size(); ++i) {
            // A bitmap that can't be read is shown as such; the others still show.
            try {
                session_.fetchBitmap(topic, viewPoint, static_cast<int>(i));
            } catch (const std::exception&) {
            }
            images.push_back({fromUtf8((*bitmaps)[i].reference), decoded((*bitmaps)[i].data)});
        }
        const bcf::Markup& markup = session_.data().markups.at(static_cast<std::size_t>(topic));
        SnapshotViewer::showIn(
            messages_.window(), std::move(images), ui_.lwBitmaps->row(item),
            {markup.topic.guid, markup.viewPoints.at(static_cast<std::size_t>(viewPoint)).guid});
    });
}
