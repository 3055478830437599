// A PDF file written object by object straight to a device. Only the byte offset of each object is
// kept (for the cross-reference table at the end), so a report of any length needs little memory.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QIODevice;
struct z_stream_s;

namespace bcf::report_detail {

// A number as PDF content writes it: at most two decimals, no trailing zeros.
QByteArray pdfNumber(double value);
// The same, appended to `out`.
void putNumber(std::string& out, double value);
// A text string: UTF-16BE with a byte-order mark, in hexadecimal.
QByteArray pdfText(const QString& text);

class PdfFile {
public:
    // Writes the header. Throws std::runtime_error when `out` refuses a write.
    explicit PdfFile(QIODevice& out);
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // A number for an object written later.
    int reserve();
    // Object `number` with the given body (a dictionary, an array, ...).
    void object(int number, const QByteArray& body);
    // Stream object `number`: `dictionary` holds the entries besides /Length (without << >>).
    void stream(int number, const QByteArray& dictionary, const QByteArray& data) {
        stream(number, dictionary, data.constData(), data.size());
    }
    void stream(int number, const QByteArray& dictionary, const std::string& data) {
        stream(number, dictionary, data.data(), qsizetype(data.size()));
    }
    // `data` compressed for /FlateDecode, quickly rather than tightly: font programs shrink almost
    // as well as with zlib's default level.
    QByteArray deflate(const QByteArray& data) { return deflate(data.constData(), data.size()); }
    QByteArray deflate(const std::string& data) { return deflate(data.data(), qsizetype(data.size())); }
    // The cross-reference table and the trailer naming the catalog and the information dictionary.
    void finish(int catalog, int info);

private:
    QByteArray deflate(const char* data, qsizetype size);
    void stream(int number, const QByteArray& dictionary, const char* data, qsizetype size);
    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    void write(const char* data, qsizetype size);
    void start(int number);

    QIODevice& out_;
    // One compressor for every stream: setting one up costs more than compressing a page.
    std::unique_ptr<z_stream_s, void (*)(z_stream_s*)> zlib_;
    qint64 written_ = 0;
    std::vector<qint64> offsets_{0};
};

} // namespace bcf::report_detail
