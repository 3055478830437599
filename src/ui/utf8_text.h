// Texts at the boundary between the model (UTF-8) and the widgets.
#pragma once

#include <QString>
#include <QTextDocument>

#include <algorithm>
#include <cstddef>
#include <string>

// A model text (UTF-8) as a Qt string.
inline QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A Qt string as a model text (UTF-8), holding only characters XML allows: a vertical tab or form
// feed (line breaks pasted from word processors) becomes a line feed, other control characters
// and U+FFFE/U+FFFF are left out, since no BCF file can hold them.
inline std::string toUtf8(const QString& text) {
    const auto allowed = [](QChar c) {
        return (c.unicode() >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r') && c.unicode() < 0xfffe;
    };
    if (std::all_of(text.cbegin(), text.cend(), allowed))
        return text.toUtf8().toStdString();
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text)
        if (allowed(c))
            kept += c;
        else if (c == u'\v' || c == u'\f')
            kept += u'\n';
    return kept.toUtf8().toStdString();
}

// `text` as a tooltip shows it: as written, never taken for markup; lines kept.
inline QString plainToolTip(const QString& text) {
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}
