#include "test_support.h"

#include "codec/payloads.h"
#include "codec/visinfo.h"
#include "codec/zip/zip_archive.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <pugixml.hpp>
#include <sstream>

namespace bcf::test {

namespace {

const QRegularExpression& guidPattern() {
    static const QRegularExpression guid(
        QStringLiteral("[0-9a-fA-F]{8}(-[0-9a-fA-F]{4}){3}-[0-9a-fA-F]{12}"));
    return guid;
}

// `bytes` with each GUID replaced by "guid-N", numbered in order of appearance.
std::string numberedGuids(const std::string& bytes) {
    QString text = QString::fromStdString(bytes);
    QStringList seen;
    for (QRegularExpressionMatch m = guidPattern().match(text); m.hasMatch();
         m = guidPattern().match(text, m.capturedStart() + 6)) {
        if (!seen.contains(m.captured()))
            seen << m.captured();
        text.replace(m.capturedStart(), m.capturedLength(),
                     QStringLiteral("guid-%1").arg(seen.indexOf(m.captured())));
    }
    return text.toStdString();
}

} // namespace

QString testcasesDir() {
    return QStringLiteral(BCF_TESTCASES_DIR);
}
QString xsdDir() {
    return QStringLiteral(BCF_XSD_DIR);
}
QString dataDir() {
    return QStringLiteral(BCF_TEST_DATA_DIR);
}

std::string readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

bool writeFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

std::string damagedEntry(std::string archive, const std::string& name) {
    const std::size_t at = archive.find(name); // in the local header, which comes first
    const std::size_t start = at + name.size() + qFromLittleEndian<quint16>(archive.data() + at - 2) +
                              qFromLittleEndian<quint32>(archive.data() + at - 12) / 2;
    for (std::size_t i = start; i < start + 16; ++i)
        archive.at(i) ^= 0x5a;
    return archive;
}

bool parseXml(pugi::xml_document& document, const std::string& text) {
    return document.load_buffer(text.data(), text.size()).status == pugi::status_ok;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

namespace {

QString quoted(const std::vector<std::string>& lines, std::size_t index) {
    return index < lines.size() ? QStringLiteral("'%1'").arg(QString::fromStdString(lines[index]))
                                : QStringLiteral("end of text");
}

// Writes "path: value" lines; payload bytes appear as their size and SHA-1.
class Dumper {
public:
    // A value too long to read in a golden file is shown by its start, size and hash.
    void field(const std::string& path, const std::string& value) {
        if (value.size() > 4096)
            return bytes(path, value.substr(0, 40), value);
        out << path << ": " << value << '\n';
    }
    void field(const std::string& path, double value) { out << path << ": " << value << '\n'; }
    void field(const std::string& path, const std::optional<std::string>& value) {
        field(path, value ? "present \"" + *value + "\"" : std::string("absent"));
    }
    void bytes(const std::string& path, const std::string& value) { bytes(path, {}, value); }
    // The size of `value` and the hash of `hashed` (`value` unless given).
    void bytes(const std::string& path, const std::string& start, const std::string& value,
               const std::string* hashed = nullptr) {
        const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(hashed ? *hashed : value),
                                                         QCryptographicHash::Sha1);
        out << path << ": " << start << (start.empty() ? "" : "... ") << value.size() << " bytes "
            << hash.toHex().toStdString() << '\n';
    }
    void list(const std::string& path, const std::vector<std::string>& values) {
        field(path + ".size", std::to_string(values.size()));
        for (std::size_t i = 0; i < values.size(); ++i)
            field(path + "[" + std::to_string(i) + "]", values[i]);
    }
    void files(const std::string& path, const std::vector<OtherFile>& files) {
        for (const OtherFile& file : files) {
            const std::string name = path + "." + file.name + "(" + std::to_string(file.dataLoaded) + ")";
            // A viewpoint file that no markup names is kept with the GUID a save gave it, which
            // differs on every run: it is hashed with its GUIDs numbered.
            if (file.name.ends_with(".bcfv")) {
                const std::string numbered = numberedGuids(file.data);
                bytes(name, {}, file.data, &numbered);
            } else {
                bytes(name, file.data);
            }
        }
    }
    // What the file held that the model does not, when it held anything.
    void unread(const std::string& path, const std::vector<UnreadContent>& contents) {
        static const char* const kinds[] = {"unknown", "repeated", "invalid"};
        for (const UnreadContent& c : contents)
            field(path + ".unread", std::string(kinds[static_cast<int>(c.kind)]) + " " + c.name + " (" +
                                        std::to_string(c.count) + ")");
    }
    void vector(const std::string& path, const Vector3& v) {
        field(path + ".x", v.x);
        field(path + ".y", v.y);
        field(path + ".z", v.z);
    }

    void visualization(const std::string& p, const VisualizationInfo& info) {
        field(p + ".guid", info.guid);
        field(p + ".selection.size", std::to_string(info.selection.size()));
        for (std::size_t i = 0; i < info.selection.size(); ++i) {
            const std::string c = p + ".selection[" + std::to_string(i) + "]";
            field(c + ".ifcGuid", info.selection[i].ifcGuid);
            field(c + ".originatingSystem", info.selection[i].originatingSystem);
            field(c + ".authoringToolId", info.selection[i].authoringToolId);
        }
        vector(p + ".cameraViewPoint", info.cameraViewPoint);
        vector(p + ".cameraDirection", info.cameraDirection);
        vector(p + ".cameraUpVector", info.cameraUpVector);
        field(p + ".aspectRatio", info.aspectRatio);
        field(p + ".fieldOfView", info.fieldOfView);
        field(p + ".orthogonalCamera", std::string(info.orthogonalCamera ? "present" : "absent"));
        if (const auto& o = info.orthogonalCamera) {
            vector(p + ".orthogonalCamera.cameraViewPoint", o->cameraViewPoint);
            vector(p + ".orthogonalCamera.cameraDirection", o->cameraDirection);
            vector(p + ".orthogonalCamera.cameraUpVector", o->cameraUpVector);
            field(p + ".orthogonalCamera.viewToWorldScale", o->viewToWorldScale);
            field(p + ".orthogonalCamera.aspectRatio", o->aspectRatio);
        }
        // Everything else as both versions write it (3.0 keeps empty elements, 2.1 both cameras).
        field(p + ".as2.1", "\n" + writeVisualizationInfo(info, BcfVersion::V2_1));
        field(p + ".as3.0", "\n" + writeVisualizationInfo(info, BcfVersion::V3_0));
        for (const Bitmap& bitmap : info.bitmaps.value_or(std::vector<Bitmap>()))
            bytes(p + ".bitmap." + std::to_string(bitmap.dataLoaded), bitmap.data);
        unread(p, info.unread);
    }

    void markup(const std::string& p, const Markup& m) {
        const Topic& t = m.topic;
        field(p + ".topic.guid", t.guid);
        field(p + ".topic.topicType", t.topicType);
        field(p + ".topic.topicStatus", t.topicStatus);
        field(p + ".topic.title", t.title);
        field(p + ".topic.priority", t.priority);
        field(p + ".topic.creationDate", t.creationDate);
        field(p + ".topic.creationAuthor", t.creationAuthor);
        field(p + ".topic.modifiedDate", t.modifiedDate);
        field(p + ".topic.modifiedAuthor", t.modifiedAuthor);
        field(p + ".topic.dueDate", t.dueDate);
        field(p + ".topic.assignedTo", t.assignedTo);
        field(p + ".topic.stage", t.stage);
        field(p + ".topic.description", t.description);
        field(p + ".topic.serverAssignedId", t.serverAssignedId);
        list(p + ".topic.referenceLinks", t.referenceLinks);
        field(p + ".topic.index", t.index ? std::to_string(*t.index) : "absent");
        list(p + ".topic.labels", t.labels);
        // Records of several texts as one line each: "a | b | c".
        auto joined = [](std::initializer_list<std::string> parts) {
            std::string line;
            for (const std::string& part : parts)
                line += (line.empty() ? "" : " | ") + part;
            return line;
        };
        auto flag = [](bool value) { return std::string(value ? "true" : "false"); };
        if (const auto& b = t.bimSnippet) {
            field(p + ".topic.bimSnippet", joined({b->snippetType, flag(b->isExternal), b->reference,
                                                   b->referenceSchema, std::to_string(b->dataLoaded)}));
            bytes(p + ".topic.bimSnippet.data", b->data);
        }
        for (const DocumentReference& r : t.documentReferences)
            field(p + ".topic.documentReference", joined({r.guid, flag(r.isExternal), r.referencedDocument,
                                                          r.documentGuid, r.url, r.description}));
        for (const RelatedTopic& related : t.relatedTopics)
            field(p + ".topic.relatedTopic", related.guid);
        field(p + ".header", std::string(m.header ? "present" : "absent"));
        for (const File& f : m.header ? m.header->files : std::vector<File>())
            field(p + ".header.file", joined({f.ifcProject, f.ifcSpatialStructureElement, flag(f.isExternal),
                                              f.filename, f.date, f.reference}));
        files(p + ".otherFiles", m.otherFiles);
        field(p + ".comments.size", std::to_string(m.comments.size()));
        for (std::size_t i = 0; i < m.comments.size(); ++i) {
            const Comment& c = m.comments[i];
            const std::string q = p + ".comments[" + std::to_string(i) + "]";
            field(q + ".guid", c.guid);
            field(q + ".date", c.date);
            field(q + ".author", c.author);
            field(q + ".comment", c.comment);
            field(q + ".modifiedDate", c.modifiedDate);
            field(q + ".modifiedAuthor", c.modifiedAuthor);
            field(q + ".viewpoint", c.viewpoint);
        }
        field(p + ".viewPoints.size", std::to_string(m.viewPoints.size()));
        for (std::size_t i = 0; i < m.viewPoints.size(); ++i) {
            const ViewPoint& v = m.viewPoints[i];
            const std::string q = p + ".viewPoints[" + std::to_string(i) + "]";
            field(q + ".guid", v.guid);
            field(q + ".viewpoint", v.viewpoint);
            field(q + ".snapshot", v.snapshot);
            field(q + ".index", v.index ? std::to_string(*v.index) : "absent");
            field(q + ".snapshotLoaded", std::to_string(v.snapshotLoaded));
            bytes(q + ".snapshotData", v.snapshotData);
            field(q + ".visualizationLoaded", std::to_string(v.visualizationLoaded));
            field(q + ".visualizationMissing", std::string(v.visualizationMissing ? "true" : "false"));
            visualization(q + ".visualizationInfo", v.visualizationInfo);
        }
        field(p + ".sourceFolder", m.sourceFolder);
        unread(p, m.unread);
    }

    void data(const BcfData& d) {
        field("version", std::to_string(static_cast<int>(d.version)));
        field("projectId", d.projectId);
        field("name", d.name);
        field("extensionSchema", d.extensionSchema);
        list("topicTypes", d.topicTypes);
        list("topicStatuses", d.topicStatuses);
        list("topicLabels", d.topicLabels);
        list("snippetTypes", d.snippetTypes);
        list("priorities", d.priorities);
        list("users", d.users);
        list("stages", d.stages);
        field("documents.size", std::to_string(d.documents.size()));
        for (std::size_t i = 0; i < d.documents.size(); ++i) {
            const std::string q = "documents[" + std::to_string(i) + "]";
            field(q + ".guid", d.documents[i].guid);
            field(q + ".filename", d.documents[i].filename);
            field(q + ".dataLoaded", std::to_string(d.documents[i].dataLoaded));
            bytes(q + ".data", d.documents[i].data);
            field(q + ".description", d.documents[i].description);
        }
        field("detailedVersion", d.detailedVersion);
        files("otherFiles", d.otherFiles);
        unread("data", d.unread);
        field("markups.size", std::to_string(d.markups.size()));
        for (std::size_t i = 0; i < d.markups.size(); ++i)
            markup("markups[" + std::to_string(i) + "]", d.markups[i]);
    }

    std::string text() const { return out.str(); }

private:
    std::ostringstream out;
};

} // namespace

QString firstDifference(const std::string& actual, const std::string& expected) {
    const std::vector<std::string> a = lines(actual);
    const std::vector<std::string> e = lines(expected);
    for (std::size_t i = 0; i < std::max(a.size(), e.size()); ++i)
        if (i >= a.size() || i >= e.size() || a[i] != e[i])
            return QStringLiteral("line %1: expected %2 but got %3")
                .arg(i + 1)
                .arg(quoted(e, i), quoted(a, i));
    if (actual != expected)
        return QStringLiteral("texts differ in line ends or in a final line feed");
    return {};
}

namespace {

QString masked(const std::string& report, const std::string& known) {
    const QRegularExpression& guid = guidPattern();
    const QString knownText = QString::fromStdString(known).toLower();
    QString text = QString::fromStdString(report);
    QStringList fresh;
    for (qsizetype at = 0;;) {
        const QRegularExpressionMatch match = guid.match(text, at);
        if (!match.hasMatch())
            break;
        const QString found = match.captured().toLower();
        at = match.capturedEnd();
        if (knownText.contains(found))
            continue;
        if (!fresh.contains(found))
            fresh << found;
        QString mask = QStringLiteral("new-guid-%1").arg(fresh.indexOf(found) + 1);
        text.replace(match.capturedStart(), match.capturedLength(),
                     match.captured() == found ? mask : mask.toUpper());
        at = match.capturedStart() + mask.size();
    }
    return text;
}

} // namespace

QString expectedFileName(QString name) {
    static const QRegularExpression camera(QStringLiteral("(persp)ective"),
                                           QRegularExpression::CaseInsensitiveOption);
    return name.replace(camera, QStringLiteral("\\1"));
}

QString goldenDifference(QString path, const std::string& text) {
    const std::string actual =
        QString::fromStdString(text)
            .replace(QRegularExpression(QStringLiteral("(GitHub BCF |tech\\.org/)[A-Za-z]+")),
                     QStringLiteral("\\1<w>"))
            .toStdString();
    const QFileInfo file(path);
    path = file.path() + u'/' + expectedFileName(file.fileName());
    if (qEnvironmentVariableIntValue("BCF_UPDATE_GOLDEN") == 1) {
        QDir().mkpath(file.path());
        return writeFile(path, actual) ? QString() : QStringLiteral("cannot write ") + path;
    }
    if (!QFileInfo::exists(path))
        return QStringLiteral("missing expected file ") + path;
    const QString difference = firstDifference(actual, readFile(path));
    return difference.isEmpty() ? difference : path + QStringLiteral(": ") + difference;
}

QString compareWithExpected(const QString& name, const std::string& actual, const std::string& known) {
    return goldenDifference(dataDir() + QStringLiteral("/expected/") + name,
                            masked(actual, known).toStdString());
}

QString maskFolders(QString text, const std::vector<std::pair<QString, QString>>& folders) {
    std::vector<std::pair<QString, QString>> forms;
    for (const auto& [path, mask] : folders)
        for (const QString& form : {QDir::cleanPath(path), QFileInfo(path).canonicalFilePath()})
            if (form.size() > 1) // never the root folder alone
                forms.emplace_back(form, mask);
    std::stable_sort(forms.begin(), forms.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    // A name character next to either end means the path is only part of a longer one.
    const QString nameCharacter = QStringLiteral("[\\w.~-]");
    for (const auto& [form, mask] : forms)
        text.replace(
            QRegularExpression(
                QStringLiteral("(?<!%1)%2(?!%1)").arg(nameCharacter, QRegularExpression::escape(form)),
                QRegularExpression::UseUnicodePropertiesOption),
            mask);
    return text;
}

std::string dump(const BcfData& data) {
    Dumper d;
    d.data(data);
    return d.text();
}

std::string dump(const Markup& markup) {
    Dumper d;
    d.markup("markup", markup);
    return d.text();
}

std::string dump(const VisualizationInfo& info) {
    Dumper d;
    d.visualization("info", info);
    return d.text();
}

QString schemaFor(const QString& rootElement, BcfVersion version) {
    const bool v3 = version == BcfVersion::V3_0;
    QString name;
    if (rootElement == u"Version")
        name = QStringLiteral("version.xsd");
    else if (rootElement == u"ProjectExtension" || rootElement == u"ProjectInfo")
        name = QStringLiteral("project.xsd");
    else if (rootElement == u"Markup")
        name = QStringLiteral("markup.xsd");
    else if (rootElement == u"VisualizationInfo")
        name = QStringLiteral("visinfo.xsd");
    else if (rootElement == u"Extensions" && v3)
        name = QStringLiteral("extensions.xsd");
    else if (rootElement == u"DocumentInfo" && v3)
        name = QStringLiteral("documents.xsd");
    if (name.isEmpty())
        return {};
    return xsdDir() + (v3 ? QStringLiteral("/3.0/") : QStringLiteral("/2.1/")) + name;
}

XmlLintResult xmllint(const QStringList& files, const QString& schema) {
    QStringList arguments{QStringLiteral("--nonet"), QStringLiteral("--noout")};
    if (!schema.isEmpty())
        arguments << QStringLiteral("--schema") << schema;
    arguments << files;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(XMLLINT_EXECUTABLE), arguments);
    XmlLintResult result;
    if (!process.waitForFinished(120000)) {
        result.output = QStringLiteral("xmllint could not be run: ") + process.errorString();
        return result;
    }
    result.output = QString::fromUtf8(process.readAll());
    result.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return result;
}

std::vector<std::pair<std::string, std::string>> zipEntries(const std::string& path) {
    ZipArchive archive;
    archive.load(path);
    std::vector<std::pair<std::string, std::string>> entries;
    for (const ZipEntryInfo& entry : archive.entries())
        entries.emplace_back(entry.filename, archive.read(entry.filename).value_or(std::string()));
    return entries;
}

void fetchAllPayloads(BcfDocument& document) {
    fetchPayloads(document);
}

} // namespace bcf::test
