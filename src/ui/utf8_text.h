// Texts at the boundary between the model (UTF-8) and the widgets.
#pragma once

#include <QString>
#include <QTextDocument>

#include <cstddef>
#include <string>

// A model text (UTF-8) as a Qt string.
inline QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A Qt string as a model text (UTF-8).
inline std::string toUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// `text` as a tooltip shows it: as written, never taken for markup; lines kept.
inline QString plainToolTip(const QString& text) {
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}
