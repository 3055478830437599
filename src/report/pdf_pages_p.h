// The pages of the PDF report. Each section's paragraphs are broken into lines by PdfText and
// the lines placed on pages, a line that would cross the foot of a page moved to the next one; the
// lines are written as PDF text, one text-showing operator per run of glyphs, in fonts embedded once for
// the whole file, and its snapshots as image objects. Pages go to the file as soon as they are
// drawn, so only one section is held at a time.
#pragma once

#include "report/pdf_file_p.h"
#include "report/pdf_font_p.h"
#include "report/pdf_image_p.h"
#include "report/pdf_text_p.h"

#include <QPageLayout>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace bcf::report_detail {

class PdfPages {
public:
    // A PDF on pages of `layout`, whose paint area is laid out at `resolution` dots per inch.
    PdfPages(QIODevice& out, const QPageLayout& layout, int resolution);

    // Draws `paragraphs` from a new page on, their lines broken by `text`; `images` are the images
    // they name.
    void draw(const std::vector<PdfParagraph>& paragraphs, const std::map<QString, PdfImage>& images,
              PdfText& text);
    // Writes the fonts, the page tree and the document information.
    void finish(const QString& title, const QString& creator);

private:
    void startPage();
    void endPage();
    void endText();
    void showRun(const QGlyphRun& run, QPointF offset, const QString& lineText);
    void drawShapes(const QGlyphRun& run, QPointF offset);
    void placeImage(const PdfImage& image, const QRectF& rect);
    PdfFont& fontFor(const QRawFont& font);
    QByteArray x(qreal deviceX) const;
    QByteArray y(qreal deviceY) const;

    PdfFile file_;
    int pageTree_;
    QSizeF pagePoints_;
    QPointF origin_;
    qreal scale_;
    // Dots per pixel of a 96 dpi screen.
    qreal screenScale_;
    std::vector<int> pages_;
    std::string content_;
    // The text object open in content_, and its font.
    bool inText_ = false;
    const PdfFont* textFont_ = nullptr;
    qreal textSize_ = -1;
    std::map<QByteArray, int> pageResources_;
    int images_ = 0;
    std::vector<std::unique_ptr<PdfFont>> fonts_;
    std::vector<std::pair<QRawFont, PdfFont*>> rawFonts_;
};

} // namespace bcf::report_detail
