// The paragraphs of the PDF report and their lines, laid out by QTextLayout for the width of the
// page. A report repeats much of its text (field labels, statuses, names, dates, often whole
// comments), and a paragraph always breaks into the same lines at the same width: the lines of
// paragraphs already laid out are kept, so that each distinct paragraph is shaped once.
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QSizeF>
#include <QString>

#include <cstddef>
#include <map>
#include <utility>
#include <vector>

class QPaintDevice;

namespace bcf::report_detail {

// A snapshot pixel prints as large as a pixel of a 96 dpi screen, the size a browser gives it.
inline constexpr qreal kScreenDpi = 96;

// One paragraph of a report section: text in one font size, its first characters perhaps in bold,
// or one image alone.
struct PdfParagraph {
    // The space above the paragraph, in the PDF's dots.
    qreal spaceAbove = 0;
    QString text;
    qreal pointSize = 10;
    qsizetype boldLength = 0;
    bool italic = false;
    // The name of one of the section's images, shown instead of text, and its size on the page in
    // pixels of a 96 dpi screen.
    QString image;
    QSizeF imageSize;
};

// A line of a paragraph: its glyphs placed from the paragraph's top left corner, and its text.
struct PdfLine {
    qreal top = 0;
    qreal height = 0;
    QList<QGlyphRun> runs;
    QString text;
};

class PdfText {
public:
    // Paragraphs in `font` for the paint area of `device`.
    PdfText(const QFont& font, const QPaintDevice& device);

    qreal pageWidth() const { return width_; }
    qreal pageHeight() const { return height_; }
    // The lines of a text paragraph; valid until the next call.
    const std::vector<PdfLine>& lines(const PdfParagraph& paragraph);

private:
    QFont font_;
    const QPaintDevice& device_;
    qreal width_;
    qreal height_;
    std::map<std::pair<qreal, bool>, QFont> fonts_;
    QHash<QString, std::vector<PdfLine>> known_;
    std::size_t knownCharacters_ = 0;
    std::vector<PdfLine> uncached_;
};

} // namespace bcf::report_detail
