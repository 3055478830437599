// A snapshot ready to be written into the PDF report as an image object.
#pragma once

#include <QByteArray>
#include <QSize>

class QImage;

namespace bcf::report_detail {

struct PdfImage {
    QSize size;
    // The stream's bytes and its dictionary's entries besides the size and /Length.
    QByteArray data;
    QByteArray dictionary;
    // The alpha channel as 8-bit gray, when some pixel is not opaque.
    QByteArray alpha;
};

// `image` as read from the image file `file`. When `image` holds the file's pixels as they are
// (`asRead`) and the file is a JPEG or PNG a PDF reader can show itself (8 bits per channel, gray
// or RGB, no transparency, no orientation to apply), the file's own data is kept; otherwise the
// image is stored as a JPEG.
PdfImage pdfImage(const QImage& image, const QByteArray& file, bool asRead);

} // namespace bcf::report_detail
