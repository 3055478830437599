#include "ui/records.h"

#include "datetime/date_time.h"

#include <QByteArray>
#include <QDateTime>
#include <QFileInfo>
#include <QString>
#include <QUuid>

#include <array>
#include <cstdint>

namespace {

// CRC-32 as PNG chunks carry it (ISO 3309, reflected polynomial 0xEDB88320).
std::uint32_t crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ ((crc & 1u) ? 0xedb88320u : 0u);
    }
    return crc ^ 0xffffffffu;
}

void appendBigEndian32(QByteArray& out, std::uint32_t value) {
    out.append(static_cast<char>((value >> 24) & 0xff));
    out.append(static_cast<char>((value >> 16) & 0xff));
    out.append(static_cast<char>((value >> 8) & 0xff));
    out.append(static_cast<char>(value & 0xff));
}

void appendChunk(QByteArray& png, const char (&type)[5], const QByteArray& data) {
    appendBigEndian32(png, static_cast<std::uint32_t>(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    png.append(typed);
    appendBigEndian32(png, crc32(typed));
}

// A 256x256 one-colour palette image at one bit per pixel: every scanline is filter byte 0 and
// 32 zero bytes, so each pixel takes palette entry 0.
std::string buildDefaultSnapshotImage() {
    constexpr std::uint32_t side = 256;
    QByteArray png("\x89PNG\r\n\x1a\n", 8);

    QByteArray header;
    appendBigEndian32(header, side);
    appendBigEndian32(header, side);
    header.append(char(1)); // bit depth
    header.append(char(3)); // colour type: palette
    header.append(char(0)); // compression: deflate
    header.append(char(0)); // filter method 0
    header.append(char(0)); // no interlace
    appendChunk(png, "IHDR", header);

    appendChunk(png, "PLTE", QByteArray("\xb5\xd0\xd0", 3));

    const QByteArray scanlines(side * (1 + side / 8), '\0');
    // qCompress puts the uncompressed size in 4 bytes before the zlib stream PNG wants.
    appendChunk(png, "IDAT", qCompress(scanlines, 9).mid(4));

    appendChunk(png, "IEND", QByteArray());
    return png.toStdString();
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Whether `name` would clash, as a root entry of a 2.1 archive, with a file of the archive itself
// or with a document already there.
bool nameTaken(const QString& name, const bcf::BcfData& data) {
    static const std::array<const char*, 5> reserved = {"bcf.version", "project.bcfp", "extensions.xsd",
                                                        "extensions.xml", "documents.xml"};
    for (const char* entry : reserved)
        if (sameName(name, QString::fromUtf8(entry)))
            return true;
    if (sameName(name, QString::fromStdString(data.extensionSchema)))
        return true;
    // Loading takes every entry ending in markup.bcf for a topic.
    if (name.endsWith(QStringLiteral("markup.bcf"), Qt::CaseInsensitive))
        return true;
    for (const bcf::DocumentInfo& document : data.documents) {
        const QString existing = QString::fromStdString(document.filename);
        if (sameName(name, existing) || sameName(name, QFileInfo(existing).fileName()))
            return true;
    }
    return false;
}

} // namespace

std::string newGuidText() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toLower().toStdString();
}

std::string currentTimestampText() {
    return bcf::storedDateTimeText(QDateTime::currentDateTime());
}

const std::string& defaultSnapshotImage() {
    static const std::string image = buildDefaultSnapshotImage();
    return image;
}

bcf::Markup newIssue(const bcf::BcfData& data, const std::string& author) {
    const auto first = [](const std::vector<std::string>& values) {
        return values.empty() ? std::string() : values.front();
    };
    bcf::Markup markup;
    bcf::Topic& topic = markup.topic;
    topic.guid = newGuidText();
    topic.topicType = first(data.topicTypes);
    topic.topicStatus = first(data.topicStatuses);
    topic.title = kNewIssueTitle;
    topic.priority = first(data.priorities);
    topic.creationDate = currentTimestampText();
    topic.creationAuthor = author;
    topic.assignedTo = first(data.users);
    topic.stage = first(data.stages);
    return markup;
}

bcf::Comment newComment(const std::string& author) {
    bcf::Comment comment;
    comment.guid = newGuidText();
    comment.date = currentTimestampText();
    comment.author = author;
    return comment;
}

bcf::ViewPoint newSnapshot() {
    const std::string guid = newGuidText();
    bcf::ViewPoint viewPoint;
    viewPoint.guid = guid;
    viewPoint.viewpoint = guid + ".bcfv";
    viewPoint.snapshot = guid + ".png";
    viewPoint.snapshotLoaded = 1;
    viewPoint.snapshotData = defaultSnapshotImage();
    viewPoint.visualizationLoaded = 1;
    bcf::VisualizationInfo& info = viewPoint.visualizationInfo;
    info.guid = guid;
    info.cameraViewPoint = {1, 2, 3};
    info.cameraDirection = {4, 5, 6};
    info.cameraUpVector = {7, 8, 9};
    info.aspectRatio = 16.0 / 9.0;
    info.fieldOfView = 90;
    return viewPoint;
}

bcf::DocumentInfo newDocument(const std::string& fileName, std::string bytes) {
    bcf::DocumentInfo document;
    document.guid = newGuidText();
    document.filename = fileName;
    document.dataLoaded = 1;
    document.data = std::move(bytes);
    return document;
}

std::string documentFileName(const QString& localPath, const bcf::BcfData& data) {
    QString name = QFileInfo(localPath).fileName();
    // A backslash is a folder separator to BCF readers on Windows, so it can't stay in a name.
    name.replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (name.isEmpty())
        name = QStringLiteral("document");
    if (!nameTaken(name, data))
        return name.toStdString();

    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString suffix = dot > 0 ? name.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem, QString::number(n), suffix);
        if (!nameTaken(candidate, data))
            return candidate.toStdString();
    }
}
