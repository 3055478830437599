// A snapshot ready to be written into the PDF report as an image object.
#pragma once

#include <QByteArray>
#include <QSize>

#include <optional>

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
// (`asRead`) and the file is a JPEG a PDF reader can show itself (8 bits, gray or RGB, no
// orientation to apply), the file is kept as it is; otherwise the image is stored as a JPEG.
PdfImage pdfImage(const QImage& image, const QByteArray& file, bool asRead);

// The size in the header of the PNG file `file`; not valid when `file` is no PNG file.
QSize pngSize(const QByteArray& file);

// The PNG file `file` as it is, when a PDF reader can show it (8 bits of gray or RGB, not
// interlaced, no transparency, no orientation to apply) and its compressed rows are intact.
// Checked without decoding its pixels: the rows stay compressed as the file holds them.
std::optional<PdfImage> intactPng(const QByteArray& file);

} // namespace bcf::report_detail
