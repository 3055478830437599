#include "ui/records.h"

#include <algorithm>

#include "ui/utf8_text.h"

#include "codec/entry_names.h"
#include "codec/guid.h"
#include "datetime/local_date_time.h"

#include <QBuffer>
#include <QByteArray>
#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <array>
#include <stdexcept>

namespace {

// A 256x256 image of one palette colour at one bit per pixel, as PNG.
std::string buildDefaultSnapshotImage() {
    QImage image(256, 256, QImage::Format_Mono);
    image.setColorTable({qRgb(181, 208, 208), qRgb(181, 208, 208)});
    image.fill(0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw std::runtime_error("the snapshot image can't be written");
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
