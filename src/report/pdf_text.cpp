#include "report/pdf_text_p.h"

#include <QPaintDevice>
#include <QTextLayout>
#include <QTextOption>

namespace bcf::report_detail {

namespace {

// The paragraphs whose lines are kept: up to kMaxKnownLength characters each, kMaxKnown in all
// (some 1.5 MB of glyphs); beyond that the lines kept so far are let go.
constexpr qsizetype kMaxKnownLength = 2'000;
constexpr std::size_t kMaxKnown = 50'000;

} // namespace

PdfText::PdfText(const QFont& font, const QPaintDevice& device)
    : font_(font), device_(device), width_(device.width()), height_(device.height()) {}

const std::vector<PdfLine>& PdfText::lines(const PdfParagraph& paragraph) {
    QString key;
    const bool keep = paragraph.text.size() <= kMaxKnownLength;
    if (keep) {
        key = QString::number(paragraph.pointSize) + u' ' + QString::number(paragraph.boldLength) + u' ' +
              QString::number(int(paragraph.italic)) + u' ' + paragraph.text;
        if (const auto found = known_.constFind(key); found != known_.cend())
            return *found;
    }
    // One font object for each size and slant, already for the device: it keeps the font engines
    // Qt looked up for it, which every new font object would look up again.
    auto [style, added] = fonts_.try_emplace({paragraph.pointSize, paragraph.italic});
    if (added) {
        QFont styled = font_;
        styled.setPointSizeF(paragraph.pointSize);
        styled.setItalic(paragraph.italic);
        style->second = QFont(styled, &device_);
    }
    const QFont& font = style->second;
    QTextLayout layout(paragraph.text, font);
    if (paragraph.boldLength > 0) {
        QTextLayout::FormatRange bold;
        bold.start = 0;
        bold.length = int(paragraph.boldLength);
        bold.format.setFontWeight(QFont::Bold);
        layout.setFormats({bold});
    }
    // Breaks lines between words, and inside a word only where it is longer than the line.
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // A paragraph that starts in a right-to-left script (Hebrew, Arabic) reads from the right margin.
    const bool rightToLeft = paragraph.text.isRightToLeft();
    option.setTextDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    option.setAlignment(Qt::AlignAbsolute | (rightToLeft ? Qt::AlignRight : Qt::AlignLeft));
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    std::vector<PdfLine> lines;
    qreal top = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width_);
        line.setPosition(QPointF(0, top));
        top += line.height();
    }
    layout.endLayout();
    for (int index = 0; index < layout.lineCount(); ++index) {
        const QTextLine line = layout.lineAt(index);
        lines.push_back({line.y(), line.height(), line.glyphRuns(),
                         paragraph.text.mid(line.textStart(), line.textLength())});
    }
    if (!keep) {
        uncached_ = std::move(lines);
        return uncached_;
    }
    knownCharacters_ += std::size_t(paragraph.text.size());
    if (knownCharacters_ > kMaxKnown) {
        known_.clear();
        knownCharacters_ = std::size_t(paragraph.text.size());
    }
    return *known_.insert(key, std::move(lines));
}

} // namespace bcf::report_detail
