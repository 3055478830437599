#include "report/pdf_pages_p.h"

#include <QGlyphRun>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace bcf::report_detail {

namespace {

QByteArray reference(int object) {
    return QByteArray::number(object) + " 0 R";
}

std::string& operator<<(std::string& out, const QByteArray& bytes) {
    return out.append(bytes.constData(), std::size_t(bytes.size()));
}

} // namespace

PdfPages::PdfPages(QIODevice& out, const QPageLayout& layout, int resolution)
    : file_(out), pageTree_(file_.reserve()), pagePoints_(layout.fullRectPoints().size()),
      origin_(layout.paintRectPoints().topLeft()), scale_(72.0 / resolution),
      screenScale_(resolution / kScreenDpi) {}

QByteArray PdfPages::x(qreal deviceX) const {
    return pdfNumber(origin_.x() + deviceX * scale_);
}
QByteArray PdfPages::y(qreal deviceY) const {
    return pdfNumber(pagePoints_.height() - origin_.y() - deviceY * scale_);
}

void PdfPages::draw(const std::vector<PdfParagraph>& paragraphs, const std::map<QString, PdfImage>& images,
                    PdfText& text) {
    const qreal pageHeight = text.pageHeight();
    // The top of the next line on the current page, in the PDF's dots.
    qreal y = 0;
    auto nextPage = [&] {
        endPage();
        startPage();
    };
    auto place = [&](qreal height) {
        if (y + height > pageHeight && y > 0) {
            nextPage();
            y = 0;
        }
    };
    startPage();
    for (const PdfParagraph& paragraph : paragraphs) {
        // A section starts at the top of its first page.
        if (&paragraph != &paragraphs.front())
            y += paragraph.spaceAbove;
        // Space that reaches past the foot of the page goes on at the top of the next one.
        for (; y >= pageHeight; y -= pageHeight)
            nextPage();
        if (!paragraph.image.isEmpty()) {
            // An image stands on the baseline of a line of its own, as high as the image in whole
            // dots, drawn at the width its whole dots give it.
            const qreal width = std::round(std::round(paragraph.imageSize.width()) * screenScale_);
            const qreal height = std::round(std::round(paragraph.imageSize.height()) * screenScale_);
            place(height);
            const auto found = images.find(paragraph.image);
            if (found != images.end() && paragraph.imageSize.width() > 0) {
                const qreal drawn = width * paragraph.imageSize.height() / paragraph.imageSize.width();
                placeImage(found->second, QRectF(0, y + height - drawn, width, drawn));
            }
            y += height;
            continue;
        }
        for (const PdfLine& line : text.lines(paragraph)) {
            place(line.height);
            for (const QGlyphRun& run : line.runs)
                showRun(run, QPointF(0, y - line.top), line.text);
            y += line.height;
        }
    }
    endPage();
}

void PdfPages::startPage() {
    endText();
    // Keeps the capacity for the next page.
    content_.clear();
    pageResources_.clear();
}

void PdfPages::endPage() {
    endText();
    const int contents = file_.reserve();
    // Not compressed: deflating the pages took a sixth of the report's time, for a page of text
    // that shrinks from about 3.5 KB to 1.1 KB.
    file_.stream(contents, {}, content_);
    QByteArray fonts;
    QByteArray images;
    for (const auto& [name, object] : pageResources_)
        (name.startsWith('F') ? fonts : images) += '/' + name + ' ' + reference(object) + ' ';
    const int page = file_.reserve();
    file_.object(page, "<</Type /Page /Parent " + reference(pageTree_) + " /MediaBox [0 0 " +
                           pdfNumber(pagePoints_.width()) + ' ' + pdfNumber(pagePoints_.height()) +
                           "] /Resources <</Font <<" + fonts + ">> /XObject <<" + images + ">>>> /Contents " +
                           reference(contents) + ">>");
    pages_.push_back(page);
}

PdfFont& PdfPages::fontFor(const QRawFont& font) {
    for (const auto& [raw, pdf] : rawFonts_) {
        if (raw == font)
            return *pdf;
    }
    // The same face at another size is the same PDF font.
    PdfFont* face = nullptr;
    for (const auto& known : fonts_) {
        if (known->sameFace(font))
            face = known.get();
    }
    if (!face) {
        fonts_.push_back(std::make_unique<PdfFont>(font, file_.reserve(), int(fonts_.size()) + 1));
        face = fonts_.back().get();
    }
    rawFonts_.emplace_back(font, face);
    return *face;
}

void PdfPages::showRun(const QGlyphRun& run, QPointF offset, const QString& lineText) {
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    if (glyphs.isEmpty() || glyphs.size() != positions.size())
        return;
    const QRawFont raw = run.rawFont();
    PdfFont& font = fontFor(raw);
    if (!font.embeddable()) {
        endText();
        drawShapes(run, offset);
        return;
    }
    bool learned = false;
    for (const quint32 glyph : glyphs) {
        if (!font.use(glyph) && !learned) {
            font.learn(lineText);
            learned = true;
        }
    }
    const qreal pixelSize = raw.pixelSize();
    const qreal size = pixelSize * scale_;
    if (!inText_) {
        content_ += "BT\n";
        inText_ = true;
    }
    if (&font != textFont_ || size != textSize_) {
        pageResources_.emplace(font.resourceName(), font.object());
        content_ << '/' + font.resourceName() + ' ';
        putNumber(content_, size);
        content_ += " Tf\n";
        textFont_ = &font;
        textSize_ = size;
    }
    for (qsizetype first = 0; first < glyphs.size();) {
        // One operator per stretch of glyphs on the same baseline; the numbers between glyphs move
        // the next glyph (in thousandths of the font size) where the layout placed it, once the
        // font's own advances are off by more than an invisible amount.
        const qreal baseline = positions[first].y();
        qreal pen = positions[first].x();
        content_ += "1 0 0 1 ";
        putNumber(content_, origin_.x() + (offset.x() + pen) * scale_);
        content_ += ' ';
        putNumber(content_, pagePoints_.height() - origin_.y() - (offset.y() + baseline) * scale_);
        content_ += " Tm [(";
        qsizetype i = first;
        for (; i < glyphs.size() && positions[i].y() == baseline; ++i) {
            const qreal drift = (pen - positions[i].x()) * 1000 / pixelSize;
            if (i > first && std::abs(drift) >= 1.5) {
                const long long shift = std::llround(drift);
                content_ += ") ";
                putNumber(content_, double(shift));
                content_ += " (";
                pen -= shift * pixelSize / 1000;
            }
            // Two bytes of glyph id in a literal string; a bare carriage return would be read as a
            // line feed.
            for (const char byte : {char(glyphs[i] >> 8 & 0xff), char(glyphs[i] & 0xff)}) {
                if (byte == '(' || byte == ')' || byte == '\\' || byte == '\r') {
                    content_ += '\\';
                    content_ += byte == '\r' ? 'r' : byte;
                } else {
                    content_ += byte;
                }
            }
            pen += font.advance(glyphs[i]) * pixelSize / 1000;
        }
        content_ += ")] TJ\n";
        first = i;
    }
}

void PdfPages::endText() {
    if (inText_)
        content_ += "ET\n";
    inText_ = false;
    textFont_ = nullptr;
    textSize_ = -1;
}

// A glyph of a font that can't be embedded, filled as its outline.
void PdfPages::drawShapes(const QGlyphRun& run, QPointF offset) {
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const QPainterPath path = run.rawFont().pathForGlyph(glyphs[i]);
        const QPointF at = offset + positions[i];
        auto point = [&](int e) {
            const QPainterPath::Element element = path.elementAt(e);
            return x(at.x() + element.x) + ' ' + y(at.y() + element.y);
        };
        for (int e = 0; e < path.elementCount(); ++e) {
            const QPainterPath::Element element = path.elementAt(e);
            if (element.isMoveTo()) {
                content_ << point(e) + " m\n";
            } else if (element.isLineTo()) {
                content_ << point(e) + " l\n";
            } else if (element.isCurveTo() && e + 2 < path.elementCount()) {
                // A curve is its first control point followed by two data elements.
                content_ << point(e) + ' ' + point(e + 1) + ' ' + point(e + 2) + " c\n";
                e += 2;
            }
        }
        if (!path.isEmpty())
            content_ += "f\n";
    }
}

void PdfPages::placeImage(const PdfImage& image, const QRectF& rect) {
    endText();
    const QByteArray size = " /Width " + QByteArray::number(image.size.width()) + " /Height " +
                            QByteArray::number(image.size.height());
    QByteArray dictionary = "/Type /XObject /Subtype /Image" + size + ' ' + image.dictionary;
    if (!image.alpha.isEmpty()) {
        const int mask = file_.reserve();
        file_.stream(mask,
                     "/Type /XObject /Subtype /Image" + size +
                         " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode",
                     file_.deflate(image.alpha));
        dictionary += " /SMask " + reference(mask);
    }
    const int object = file_.reserve();
    file_.stream(object, dictionary, image.data);
    const QByteArray name = "Im" + QByteArray::number(++images_);
    pageResources_.emplace(name, object);
    content_ << "q " + pdfNumber(rect.width() * scale_) + " 0 0 " + pdfNumber(rect.height() * scale_) + ' ' +
                    x(rect.left()) + ' ' + y(rect.bottom()) + " cm /" + name + " Do Q\n";
}

void PdfPages::finish(const QString& title, const QString& creator) {
    for (const auto& font : fonts_)
        font->write(file_);
    QByteArray kids;
    for (const int page : pages_)
        kids += reference(page) + ' ';
    file_.object(pageTree_,
                 "<</Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages_.size()) + ">>");
    const int catalog = file_.reserve();
    file_.object(catalog, "<</Type /Catalog /Pages " + reference(pageTree_) + ">>");
    const int info = file_.reserve();
    file_.object(info, "<</Title " + pdfText(title) + " /Creator " + pdfText(creator) + ">>");
    file_.finish(catalog, info);
}

} // namespace bcf::report_detail
