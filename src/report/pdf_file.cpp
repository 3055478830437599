#include "report/pdf_file_p.h"

#include <QIODevice>

#include <zlib.h>

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace bcf::report_detail {

void putNumber(std::string& out, double value) {
    long long hundredths = std::llround(value * 100);
    if (hundredths < 0) {
        out += '-';
        hundredths = -hundredths;
    }
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, hundredths / 100).ptr);
    if (const auto fraction = int(hundredths % 100); fraction != 0) {
        out += '.';
        out += char('0' + fraction / 10);
        if (fraction % 10 != 0)
            out += char('0' + fraction % 10);
    }
}

QByteArray pdfNumber(double value) {
    std::string text;
    putNumber(text, value);
    return QByteArray::fromStdString(text);
}

QByteArray pdfText(const QString& text) {
    QByteArray bytes("\xfe\xff", 2);
    for (const QChar c : text) {
        bytes += char(c.unicode() >> 8);
        bytes += char(c.unicode() & 0xff);
    }
    return '<' + bytes.toHex() + '>';
}

namespace {

z_stream_s* startDeflate() {
    auto* stream = new z_stream_s{};
    if (deflateInit(stream, Z_BEST_SPEED) != Z_OK) {
        delete stream;
        throw std::runtime_error("cannot start the PDF: zlib");
    }
    return stream;
}

void endDeflate(z_stream_s* stream) {
    deflateEnd(stream);
    delete stream;
}

} // namespace

PdfFile::PdfFile(QIODevice& out) : out_(out), zlib_(startDeflate(), &endDeflate) {
    // The comment of bytes above 127 tells transfer tools that the file is binary.
    write("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
}

PdfFile::~PdfFile() = default;

QByteArray PdfFile::deflate(const char* data, qsizetype size) {
    z_stream_s& stream = *zlib_;
    deflateReset(&stream);
    QByteArray compressed(qsizetype(deflateBound(&stream, uLong(size))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = uInt(size);
    stream.next_out = reinterpret_cast<Bytef*>(compressed.data());
    stream.avail_out = uInt(compressed.size());
    if (::deflate(&stream, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("cannot compress the PDF: zlib");
    compressed.resize(qsizetype(stream.total_out));
    return compressed;
}

int PdfFile::reserve() {
    offsets_.push_back(-1);
    return static_cast<int>(offsets_.size() - 1);
}

void PdfFile::start(int number) {
    offsets_.at(static_cast<std::size_t>(number)) = written_;
    write(QByteArray::number(number) + " 0 obj\n");
}

void PdfFile::object(int number, const QByteArray& body) {
    start(number);
    write(body + "\nendobj\n");
}

void PdfFile::stream(int number, const QByteArray& dictionary, const char* data, qsizetype size) {
    start(number);
    write("<<" + dictionary + (dictionary.isEmpty() ? "" : " ") + "/Length " + QByteArray::number(size) +
          ">>\nstream\n");
    write(data, size);
    write("\nendstream\nendobj\n");
}

void PdfFile::finish(int catalog, int info) {
    const qint64 table = written_;
    QByteArray text = "xref\n0 " + QByteArray::number(offsets_.size()) + "\n0000000000 65535 f \n";
    for (std::size_t number = 1; number < offsets_.size(); ++number) {
        if (offsets_[number] < 0)
            throw std::logic_error("PDF object reserved but never written");
        text += QByteArray::number(offsets_[number]).rightJustified(10, '0') + " 00000 n \n";
    }
    text += "trailer\n<</Size " + QByteArray::number(offsets_.size()) + " /Root " +
            QByteArray::number(catalog) + " 0 R /Info " + QByteArray::number(info) + " 0 R>>\nstartxref\n" +
            QByteArray::number(table) + "\n%%EOF\n";
    write(text);
}

void PdfFile::write(const char* data, qsizetype size) {
    if (out_.write(data, size) != size)
        throw std::runtime_error("cannot write the PDF: " + out_.errorString().toStdString());
    written_ += size;
}

} // namespace bcf::report_detail
