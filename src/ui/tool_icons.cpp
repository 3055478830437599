#include "ui/tool_icons_p.h"

#include "ui_mainwindow.h"

#include <QColor>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QString>
#include <QToolButton>

namespace {

enum class ToolIcon { Save, Open, Close };

// Draws one image on a 32 by 32 grid; the painter is already scaled to the pixmap size.
void drawToolIcon(QPainter& painter, ToolIcon kind) {
    const QColor outline(40, 40, 40);
    painter.setPen(QPen(outline, 1.5));
    switch (kind) {
    case ToolIcon::Save: {
        // A floppy disk: dark body, metal shutter at the top, white label below.
        painter.setBrush(QColor(45, 85, 160));
        QPainterPath body;
        body.moveTo(4, 4);
        body.lineTo(24, 4);
        body.lineTo(28, 8);
        body.lineTo(28, 28);
        body.lineTo(4, 28);
        body.closeSubpath();
        painter.drawPath(body);
        painter.setBrush(QColor(200, 205, 210));
        painter.drawRect(QRectF(9, 4, 13, 9));
        painter.setBrush(QColor(45, 85, 160));
        painter.drawRect(QRectF(17, 6, 3, 5));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(8, 17, 16, 11));
        break;
    }
    case ToolIcon::Open: {
        // A folder with its lid open.
        painter.setBrush(QColor(214, 160, 40));
        painter.drawPolygon(QPolygonF({QPointF(3, 8), QPointF(12, 8), QPointF(15, 11), QPointF(27, 11),
                                       QPointF(27, 26), QPointF(3, 26)}));
        painter.setBrush(QColor(248, 206, 90));
        painter.drawPolygon(QPolygonF({QPointF(7, 15), QPointF(30, 15), QPointF(26, 26), QPointF(3, 26)}));
        break;
    }
    case ToolIcon::Close: {
        // A red disc with a white cross.
        painter.setBrush(QColor(200, 45, 45));
        painter.drawEllipse(QRectF(3, 3, 26, 26));
        painter.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(11, 11), QPointF(21, 21));
        painter.drawLine(QPointF(21, 11), QPointF(11, 21));
        break;
    }
    }
}

QIcon builtInIcon(ToolIcon kind) {
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        drawToolIcon(painter, kind);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

void applyToolIcons(Ui::MainWindow& ui) {
    struct ToolButton {
        QToolButton* button;
        const char* file;
        ToolIcon kind;
    };
    const ToolButton buttons[] = {
        {ui.tbSave, "../icons/save.png", ToolIcon::Save},
        {ui.tbOpen, "../icons/open.png", ToolIcon::Open},
        {ui.tbClose, "../icons/close.png", ToolIcon::Close},
    };
    for (const ToolButton& entry : buttons) {
        // The form has already loaded the file when it is there; only a missing or unreadable
        // file falls back to the drawn image.
        if (!QImageReader(QString::fromUtf8(entry.file)).canRead())
            entry.button->setIcon(builtInIcon(entry.kind));
    }
}
