#include "ui/records.h"

#include <algorithm>

#include "ui/utf8_text.h"

#include "codec/entry_names.h"
#include "codec/guid.h"
#include "datetime/local_date_time.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

namespace {

// The PNG file of `image`.
std::string pngBytes(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw std::runtime_error(
            QCoreApplication::translate("Records", "the snapshot image can't be written").toStdString());
    return png.toStdString();
}

// A 256x256 image of one palette colour at one bit per pixel, as PNG.
std::string buildDefaultSnapshotImage() {
    QImage image(256, 256, QImage::Format_Mono);
    image.setColorTable({qRgb(181, 208, 208), qRgb(181, 208, 208)});
    image.fill(0);
    return pngBytes(image);
}

// Whether `text` has the form of a GUID: 8-4-4-4-12 hexadecimal digits joined by "-".
bool isGuidText(const std::string& text) {
    if (text.size() != 36)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : std::isxdigit(static_cast<unsigned char>(text[i])) == 0)
            return false;
    }
    return true;
}

// Whether a viewpoint of `data` has the GUID `guid`, as either version writes it.
bool viewpointGuidTaken(const bcf::BcfData& data, const std::string& guid) {
    const std::string wanted = bcf::normalizedGuid(guid, bcf::BcfVersion::V3_0);
    for (const bcf::Markup& markup : data.markups)
        for (const bcf::ViewPoint& viewPoint : markup.viewPoints)
            if (bcf::normalizedGuid(viewPoint.guid, bcf::BcfVersion::V3_0) == wanted)
                return true;
    return false;
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

std::string currentTimestampText() {
    return bcf::storedDateTimeText(QDateTime::currentDateTime());
}

const std::string& defaultSnapshotImage() {
    static const std::string image = buildDefaultSnapshotImage();
    return image;
}

bcf::Markup newIssue(const bcf::BcfData& data, const std::string& author, const NewIssueChoices& chosen) {
    const auto pick = [](const std::vector<std::string>& values, const std::string& choice) {
        if (!choice.empty() && std::find(values.begin(), values.end(), choice) != values.end())
            return choice;
        return values.empty() ? std::string() : values.front();
    };
    bcf::Markup markup;
    bcf::Topic& topic = markup.topic;
    topic.guid = bcf::generateGuid();
    topic.topicType = pick(data.topicTypes, chosen.topicType);
    topic.topicStatus = pick(data.topicStatuses, chosen.topicStatus);
    topic.title = kNewIssueTitle;
    topic.priority = pick(data.priorities, chosen.priority);
    topic.creationDate = currentTimestampText();
    topic.creationAuthor = author;
    topic.stage = pick(data.stages, chosen.stage);
    return markup;
}

bcf::Comment newComment(const std::string& author) {
    bcf::Comment comment;
    comment.guid = bcf::generateGuid();
    comment.date = currentTimestampText();
    comment.author = author;
    return comment;
}

bcf::ViewPoint newSnapshot() {
    const std::string guid = bcf::generateGuid();
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

bcf::ViewPoint newSnapshot(const bcf::BcfData& data, bcf::VisualizationInfo info, std::string png) {
    // The GUID names the files in the topic's folder: a text from elsewhere must be a GUID, and
    // one the archive has already would make two viewpoints share their files.
    if (!isGuidText(info.guid) || viewpointGuidTaken(data, info.guid))
        info.guid = bcf::generateGuid();
    bcf::ViewPoint viewPoint;
    viewPoint.guid = info.guid;
    viewPoint.viewpoint = info.guid + ".bcfv";
    if (!png.empty())
        viewPoint.snapshot = info.guid + ".png";
    viewPoint.snapshotLoaded = 1;
    viewPoint.snapshotData = std::move(png);
    viewPoint.visualizationLoaded = 1;
    viewPoint.visualizationInfo = std::move(info);
    return viewPoint;
}

bcf::ViewPoint newImageSnapshot(const bcf::BcfData& data, const QImage& image) {
    if (image.isNull())
        throw std::runtime_error(QCoreApplication::translate("Records", "no image").toStdString());
    const QImage scaled =
        std::max(image.width(), image.height()) > kMaxSnapshotSide
            ? image.scaled(kMaxSnapshotSide, kMaxSnapshotSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : image;
    return newSnapshot(data, bcf::VisualizationInfo(), pngBytes(scaled));
}

bcf::DocumentInfo newDocument(const std::string& fileName, std::string bytes) {
    bcf::DocumentInfo document;
    document.guid = bcf::generateGuid();
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
    return bcf::unusedName(
        toUtf8(name), [&data](const std::string& candidate) { return nameTaken(fromUtf8(candidate), data); });
}
