#include "report/pdf_font_p.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

namespace bcf::report_detail {

namespace {

quint32 tag(const char* name) {
    return quint32(quint8(name[0])) << 24 | quint32(quint8(name[1])) << 16 | quint32(quint8(name[2])) << 8 |
           quint32(quint8(name[3]));
}

// Big-endian fields of a font table; 0 beyond its end, so a damaged table yields no crash.
quint32 u16(const QByteArray& table, qsizetype at) {
    if (at < 0 || at + 2 > table.size())
        return 0;
    return quint32(quint8(table[at])) << 8 | quint8(table[at + 1]);
}
qint16 s16(const QByteArray& table, qsizetype at) {
    return qint16(u16(table, at));
}
quint32 u32(const QByteArray& table, qsizetype at) {
    return u16(table, at) << 16 | u16(table, at + 2);
}

void put16(QByteArray& bytes, quint32 value) {
    bytes += char(value >> 8 & 0xff);
    bytes += char(value & 0xff);
}
void put32(QByteArray& bytes, quint32 value) {
    put16(bytes, value >> 16);
    put16(bytes, value & 0xffff);
}
void set32(QByteArray& bytes, qsizetype at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (24 - 8 * i) & 0xff);
}

quint32 checksum(QByteArray bytes) {
    bytes.append((4 - bytes.size() % 4) % 4, '\0');
    quint32 sum = 0;
    for (qsizetype at = 0; at < bytes.size(); at += 4)
        sum += u32(bytes, at);
    return sum;
}

// A font file holding `tables` (tag and contents), with the whole-file checksum in 'head'.
QByteArray sfnt(std::map<quint32, QByteArray> tables) {
    const auto count = static_cast<quint32>(tables.size());
    quint32 power = 1;
    quint32 log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    QByteArray file;
    put32(file, 0x00010000);
    put16(file, count);
    put16(file, power * 16);
    put16(file, log);
    put16(file, count * 16 - power * 16);
    auto offset = static_cast<quint32>(12 + 16 * count);
    for (auto& [name, data] : tables) {
        put32(file, name);
        put32(file, checksum(data));
        put32(file, offset);
        put32(file, static_cast<quint32>(data.size()));
        data.append((4 - data.size() % 4) % 4, '\0');
        offset += static_cast<quint32>(data.size());
    }
    qsizetype headAt = -1;
    for (const auto& [name, data] : tables) {
        if (name == tag("head"))
            headAt = file.size();
        file += data;
    }
    if (headAt >= 0)
        set32(file, headAt + 8, 0xB1B0AFBA - checksum(file));
    return file;
}

} // namespace

PdfFont::PdfFont(const QRawFont& font, int object, int index)
    : font_(font), object_(object), resourceName_("F" + QByteArray::number(index)),
      head_(font.fontTable("head")), hhea_(font.fontTable("hhea")), hmtx_(font.fontTable("hmtx")),
      loca_(font.fontTable("loca")), glyf_(font.fontTable("glyf")) {
    embeddable_ =
        head_.size() >= 54 && hhea_.size() >= 36 && !hmtx_.isEmpty() && !loca_.isEmpty() && !glyf_.isEmpty();
    const double unitsPerEm = u16(head_, 18) > 0 ? u16(head_, 18) : 1000;
    const quint32 glyphCount = u16(font.fontTable("maxp"), 4);
    // Fonts repeat the last advance for the glyphs after their last full metric.
    const quint32 metrics = std::max<quint32>(1, u16(hhea_, 34));
    advances_.reserve(glyphCount);
    for (quint32 glyph = 0; glyph < glyphCount; ++glyph)
        advances_.push_back(u16(hmtx_, 4 * qsizetype(std::min(glyph, metrics - 1))) * 1000 / unitsPerEm);
    glyphs_.resize(glyphCount);
    // Subset fonts are named with six capitals and a plus sign before the font's own name.
    QByteArray subsetTag("BCF");
    for (int digit = index, i = 0; i < 3; ++i, digit /= 26)
        subsetTag += char('A' + digit % 26);
    QByteArray name = (font.familyName() + u'-' + font.styleName()).toLatin1();
    name.removeIf([](char c) { return !std::isalnum(static_cast<unsigned char>(c)) && c != '-'; });
    baseName_ = subsetTag + '+' + (name.isEmpty() ? QByteArray("Font") : name);
}

bool PdfFont::sameFace(const QRawFont& font) const {
    return font.familyName() == font_.familyName() && font.styleName() == font_.styleName() &&
           font.weight() == font_.weight() && font.style() == font_.style() &&
           font.fontTable("head") == head_;
}

void PdfFont::learn(const QString& text) {
    auto add = [&](quint32 glyph, const QString& characters) {
        // Line breaks inside a paragraph and the placeholders of images show no glyph.
        const QChar first = characters.front();
        if (glyph != 0 && first.category() != QChar::Other_Control && first != QChar::LineSeparator &&
            first != QChar::ObjectReplacementCharacter && text_.emplace(glyph, characters).second) {
            if (glyph >= glyphs_.size())
                glyphs_.resize(glyph + 1);
            glyphs_[glyph] |= kKnown;
        }
    };
    // One glyph per character, as long as the text has no characters beyond 16 bits.
    if (const QList<quint32> glyphs = font_.glyphIndexesForString(text); glyphs.size() == text.size()) {
        for (qsizetype i = 0; i < text.size(); ++i)
            add(glyphs[i], text.mid(i, 1));
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        if (const QList<quint32> glyphs = font_.glyphIndexesForString(character); glyphs.size() == 1)
            add(glyphs[0], character);
        i += length - 1;
    }
}

QByteArray PdfFont::fontProgram() const {
    const quint32 glyphCount = u16(font_.fontTable("maxp"), 4);
    const bool longOffsets = s16(head_, 50) != 0;
    auto range = [&](quint32 glyph) {
        if (glyph >= glyphCount)
            return std::pair<quint32, quint32>(0, 0);
        if (longOffsets)
            return std::pair(u32(loca_, 4 * glyph), u32(loca_, 4 * glyph + 4));
        return std::pair(2 * u16(loca_, 2 * glyph), 2 * u16(loca_, 2 * glyph + 2));
    };
    // The glyphs shown, the missing glyph and every glyph a composite glyph is built of.
    std::set<quint32> keep{0};
    for (quint32 glyph = 0; glyph < glyphs_.size(); ++glyph) {
        if (glyphs_[glyph] & kUsed)
            keep.insert(glyph);
    }
    std::vector<quint32> todo(keep.begin(), keep.end());
    while (!todo.empty()) {
        const auto [from, to] = range(todo.back());
        todo.pop_back();
        if (to < from + 10 || to > quint32(glyf_.size()) || s16(glyf_, from) >= 0)
            continue;
        for (quint32 at = from + 10; at + 4 <= to;) {
            const quint32 flags = u16(glyf_, at);
            if (const quint32 part = u16(glyf_, at + 2); keep.insert(part).second)
                todo.push_back(part);
            at += 4 + ((flags & 0x1) ? 4 : 2) +
                  ((flags & 0x8)    ? 2
                   : (flags & 0x40) ? 4
                   : (flags & 0x80) ? 8
                                    : 0);
            if (!(flags & 0x20))
                break;
        }
    }
    QByteArray glyf;
    QByteArray loca;
    for (quint32 glyph = 0; glyph < glyphCount; ++glyph) {
        put32(loca, static_cast<quint32>(glyf.size()));
        const auto [from, to] = range(glyph);
        if (keep.count(glyph) && from < to && to <= quint32(glyf_.size())) {
            glyf += glyf_.mid(from, to - from);
            glyf.append((4 - glyf.size() % 4) % 4, '\0');
        }
    }
    put32(loca, static_cast<quint32>(glyf.size()));
    QByteArray head = head_;
    set32(head, 8, 0);
    head[50] = 0;
    head[51] = 1;
    std::map<quint32, QByteArray> tables{{tag("head"), head},  {tag("hhea"), hhea_},
                                         {tag("hmtx"), hmtx_}, {tag("loca"), loca},
                                         {tag("glyf"), glyf},  {tag("maxp"), font_.fontTable("maxp")}};
    // The hinting programs, when the font has them.
    for (const char* name : {"cvt ", "fpgm", "prep"}) {
        if (QByteArray table = font_.fontTable(name); !table.isEmpty())
            tables.emplace(tag(name), table);
    }
    return sfnt(std::move(tables));
}

QByteArray PdfFont::toUnicode() const {
    QByteArray map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                     "/CIDSystemInfo <</Registry (Adobe) /Ordering (UCS) /Supplement 0>> def\n"
                     "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                     "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<std::pair<quint32, QString>> entries;
    for (const auto& [glyph, characters] : text_) {
        if (glyphs_[glyph] & kUsed)
            entries.emplace_back(glyph, characters);
    }
    // At most 100 entries per block.
    for (std::size_t first = 0; first < entries.size(); first += 100) {
        const std::size_t last = std::min(entries.size(), first + 100);
        map += QByteArray::number(qulonglong(last - first)) + " beginbfchar\n";
        for (std::size_t i = first; i < last; ++i) {
            QByteArray code;
            put16(code, entries[i].first);
            map += '<' + code.toHex() + "> " + pdfText(entries[i].second).replace("<feff", "<") + '\n';
        }
        map += "endbfchar\n";
    }
    return map + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

QByteArray PdfFont::widths() const {
    QByteArray array = "[";
    quint32 next = 0;
    bool open = false;
    for (quint32 glyph = 0; glyph < glyphs_.size(); ++glyph) {
        if (!(glyphs_[glyph] & kUsed))
            continue;
        if (!open || glyph != next) {
            array += QByteArray(open ? "]" : "") + ' ' + QByteArray::number(glyph) + " [";
            open = true;
        } else {
            array += ' ';
        }
        array += pdfNumber(advance(glyph));
        next = glyph + 1;
    }
    return array + (open ? "]]" : "]");
}

void PdfFont::write(PdfFile& file) const {
    const int descendant = file.reserve();
    const int descriptor = file.reserve();
    const int program = file.reserve();
    const int unicode = file.reserve();
    const double scale = 1000.0 / (u16(head_, 18) > 0 ? u16(head_, 18) : 1000);
    auto scaled = [&](const QByteArray& table, qsizetype at) { return pdfNumber(s16(table, at) * scale); };
    const bool italic = font_.style() != QFont::StyleNormal;
    file.object(object_, "<</Type /Font /Subtype /Type0 /BaseFont /" + baseName_ +
                             " /Encoding /Identity-H /DescendantFonts [" + QByteArray::number(descendant) +
                             " 0 R] /ToUnicode " + QByteArray::number(unicode) + " 0 R>>");
    file.object(descendant, "<</Type /Font /Subtype /CIDFontType2 /BaseFont /" + baseName_ +
                                " /CIDSystemInfo <</Registry (Adobe) /Ordering (Identity) /Supplement 0>>"
                                " /FontDescriptor " +
                                QByteArray::number(descriptor) + " 0 R /CIDToGIDMap /Identity /W " +
                                widths() + ">>");
    file.object(descriptor, "<</Type /FontDescriptor /FontName /" + baseName_ + " /Flags " +
                                (italic ? "96" : "32") + " /FontBBox [" + scaled(head_, 36) + ' ' +
                                scaled(head_, 38) + ' ' + scaled(head_, 40) + ' ' + scaled(head_, 42) +
                                "] /ItalicAngle " + (italic ? "-12" : "0") + " /Ascent " + scaled(hhea_, 4) +
                                " /Descent " + scaled(hhea_, 6) + " /CapHeight " + scaled(hhea_, 4) +
                                " /StemV " + (font_.weight() >= QFont::Bold ? "120" : "80") + " /FontFile2 " +
                                QByteArray::number(program) + " 0 R>>");
    const QByteArray fontFile = fontProgram();
    file.stream(program, "/Filter /FlateDecode /Length1 " + QByteArray::number(fontFile.size()),
                file.deflate(fontFile));
    file.stream(unicode, "/Filter /FlateDecode", file.deflate(toUnicode()));
}

} // namespace bcf::report_detail
