// A TrueType font embedded in the PDF report as a composite font: glyphs are shown by their glyph
// ids (Identity-H), and a ToUnicode map gives them their characters back, so the text can be
// searched and copied. Only the outlines of the glyphs shown are kept; glyph ids stay those of the
// font, so the font's other tables are embedded unchanged.
#pragma once

#include "report/pdf_file_p.h"

#include <QByteArray>
#include <QRawFont>
#include <QString>

#include <map>
#include <vector>

namespace bcf::report_detail {

class PdfFont {
public:
    // The font `font` (of any pixel size) as the PDF font object `object`, /F`index` in pages.
    PdfFont(const QRawFont& font, int object, int index);

    // Whether the font has TrueType outlines that can be embedded; other fonts are drawn as shapes.
    bool embeddable() const { return embeddable_; }
    int object() const { return object_; }
    const QByteArray& resourceName() const { return resourceName_; }

    // Whether `font` is this font's face, at whatever pixel size.
    bool sameFace(const QRawFont& font) const;
    // The advance of `glyph` in thousandths of the font size.
    double advance(quint32 glyph) const { return glyph < advances_.size() ? advances_[glyph] : 0; }
    // Marks `glyph` as shown; true when its characters are known already.
    bool use(quint32 glyph) {
        if (glyph >= glyphs_.size())
            glyphs_.resize(glyph + 1);
        glyphs_[glyph] |= kUsed;
        return glyph == 0 || (glyphs_[glyph] & kKnown);
    }
    // Learns which glyphs of the font show the characters of `text`.
    void learn(const QString& text);
    // Writes the font's objects: call once, after the last page.
    void write(PdfFile& file) const;

private:
    QByteArray fontProgram() const;
    QByteArray toUnicode() const;
    QByteArray widths() const;

    QRawFont font_;
    int object_;
    QByteArray resourceName_;
    QByteArray baseName_;
    QByteArray head_;
    QByteArray hhea_;
    QByteArray hmtx_;
    QByteArray loca_;
    QByteArray glyf_;
    bool embeddable_ = false;
    std::vector<double> advances_;
    // Per glyph id: whether it was shown, whether its characters are known.
    enum : quint8 { kUsed = 1, kKnown = 2 };
    std::vector<quint8> glyphs_;
    std::map<quint32, QString> text_;
};

} // namespace bcf::report_detail
