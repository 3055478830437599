#include "report/pdf_image_p.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <climits>
#include <stdexcept>

#include <zlib.h>

namespace bcf::report_detail {

namespace {

// Quality of the JPEG that snapshots are stored as when their own file can't be kept.
constexpr int kJpegQuality = 94;

quint32 byteAt(const QByteArray& bytes, qsizetype at) {
    return at < bytes.size() ? quint8(bytes[at]) : 0;
}
quint32 u16(const QByteArray& bytes, qsizetype at) {
    return byteAt(bytes, at) << 8 | byteAt(bytes, at + 1);
}
quint32 u32(const QByteArray& bytes, qsizetype at) {
    return u16(bytes, at) << 16 | u16(bytes, at + 2);
}

QByteArray colorSpace(int components) {
    return components == 1 ? "/ColorSpace /DeviceGray /BitsPerComponent 8"
                           : "/ColorSpace /DeviceRGB /BitsPerComponent 8";
}

// A JPEG file as it is: baseline, extended or progressive Huffman coding, 8 bits, 1 or 3 components.
bool keepJpeg(const QByteArray& file, PdfImage& image) {
    if (u16(file, 0) != 0xffd8)
        return false;
    for (qsizetype at = 2; at + 4 <= file.size();) {
        if (byteAt(file, at) != 0xff)
            return false;
        const quint32 marker = byteAt(file, at + 1);
        if (marker == 0xff) {
            ++at;
            continue;
        }
        // An Exif block may ask readers to turn the picture, which PDF readers would not do.
        if (marker == 0xe1 && file.mid(at + 4, 4) == "Exif")
            return false;
        if (marker >= 0xc0 && marker <= 0xc2) {
            const quint32 components = byteAt(file, at + 9);
            if (byteAt(file, at + 4) != 8 || (components != 1 && components != 3) ||
                QSize(int(u16(file, at + 7)), int(u16(file, at + 5))) != image.size)
                return false;
            image.data = QByteArray(file.constData(), file.size());
            image.dictionary = colorSpace(int(components)) + " /Filter /DCTDecode";
            return true;
        }
        // Arithmetic or lossless coding, or the image data before any frame header.
        if (marker == 0xda || marker == 0xd9 || (marker >= 0xc3 && marker <= 0xcf && marker != 0xc4))
            return false;
        at += 2 + u16(file, at + 2);
    }
    return false;
}

// The alpha channel of `image` as 8-bit gray, empty when every pixel is opaque.
QByteArray alphaMask(const QImage& image) {
    if (!image.hasAlphaChannel())
        return {};
    const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
    QByteArray mask;
    mask.reserve(qsizetype(alpha.width()) * alpha.height());
    bool opaque = true;
    for (int row = 0; row < alpha.height(); ++row) {
        const auto* line = reinterpret_cast<const char*>(alpha.constScanLine(row));
        mask.append(line, alpha.width());
        opaque = opaque && std::all_of(line, line + alpha.width(), [](char c) { return quint8(c) == 255; });
    }
    return opaque ? QByteArray() : mask;
}

} // namespace

QSize pngSize(const QByteArray& file) {
    // The signature, then the header chunk: its length (13), type, width and height.
    if (!file.startsWith("\x89PNG\r\n\x1a\n") || file.mid(12, 4) != "IHDR")
        return {};
    const quint32 width = u32(file, 16);
    const quint32 height = u32(file, 20);
    if (width == 0 || height == 0 || width > INT_MAX || height > INT_MAX)
        return {};
    return {int(width), int(height)};
}

std::optional<PdfImage> intactPng(const QByteArray& file) {
    if (!file.startsWith("\x89PNG\r\n\x1a\n"))
        return std::nullopt;
    PdfImage image;
    int components = 0;
    bool ended = false;
    for (qsizetype at = 8; !ended && at + 12 <= file.size();) {
        const quint32 length = u32(file, at);
        if (length > file.size() - at - 12)
            return std::nullopt;
        const QByteArray type = file.mid(at + 4, 4);
        const qsizetype data = at + 8;
        if (type == "IHDR") {
            // 8 bits of gray or RGB, the only compression and filter methods, not interlaced.
            const quint32 colorType = byteAt(file, data + 9);
            if (length < 13 || byteAt(file, data + 8) != 8 || (colorType != 0 && colorType != 2) ||
                byteAt(file, data + 10) != 0 || byteAt(file, data + 11) != 0 || byteAt(file, data + 12) != 0)
                return std::nullopt;
            image.size = QSize(int(std::min<quint32>(u32(file, data), 1 << 20)),
                               int(std::min<quint32>(u32(file, data + 4), 1 << 20)));
            components = colorType == 0 ? 1 : 3;
        } else if (type == "IDAT") {
            image.data.append(file.constData() + data, length);
        } else if (type == "tRNS" || type == "eXIf") {
            // A transparent colour, or an orientation to apply.
            return std::nullopt;
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + length;
    }
    // The rows must inflate to exactly a filter byte and the pixels of each row (zlib checks their
    // sum), which also catches a damaged header; the other chunks are not read.
    const qsizetype rowBytes = 1 + qsizetype(image.size.width()) * components;
    const qsizetype expected = rowBytes * image.size.height();
    if (!ended || components == 0 || image.size.isEmpty() || expected > (qsizetype(1) << 30))
        return std::nullopt;
    QByteArray rows(expected + 1, Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(image.data.data());
    stream.avail_in = uInt(image.data.size());
    stream.next_out = reinterpret_cast<Bytef*>(rows.data());
    stream.avail_out = uInt(rows.size());
    const int result = inflate(&stream, Z_FINISH);
    const auto produced = qsizetype(stream.total_out);
    inflateEnd(&stream);
    if (result != Z_STREAM_END || produced != expected)
        return std::nullopt;
    for (qsizetype row = 0; row < expected; row += rowBytes) {
        if (quint8(rows[row]) > 4)
            return std::nullopt;
    }
    image.dictionary =
        colorSpace(components) + " /Filter /FlateDecode /DecodeParms <</Predictor 15 /Colors " +
        QByteArray::number(components) + " /Columns " + QByteArray::number(image.size.width()) + ">>";
    return image;
}

PdfImage pdfImage(const QImage& image, const QByteArray& file, bool asRead) {
    PdfImage result;
    result.size = image.size();
    if (asRead && keepJpeg(file, result))
        return result;
    QBuffer buffer(&result.data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB888)))
        throw std::runtime_error("cannot encode a snapshot: " + writer.errorString().toStdString());
    result.dictionary = colorSpace(3) + " /Filter /DCTDecode";
    result.alpha = alphaMask(image);
    return result;
}

} // namespace bcf::report_detail
