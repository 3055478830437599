#include "test_support.h"

#include "codec/documents.h"
#include "codec/payloads.h"
#include "codec/project.h"
#include "codec/visinfo.h"
#include "codec/zip/zip_archive.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QtEndian>

#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <map>
#include <pugixml.hpp>
#include <sstream>

namespace bcf::test {

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

std::vector<std::string> entryNames(const std::string& path) {
    ZipArchive archive;
    archive.load(path);
    std::vector<std::string> names;
    for (const ZipEntryInfo& entry : archive.entries())
        names.push_back(entry.filename);
    return names;
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

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

QString quoted(const std::vector<std::string>& lines, std::size_t index) {
    return index < lines.size() ? QStringLiteral("'%1'").arg(QString::fromStdString(lines[index]))
                                : QStringLiteral("end of text");
}

// Writes "path: value" lines; payload bytes appear as their size and SHA-1.
class Dumper {
public:
    void field(const std::string& path, const std::string& value) { out << path << ": " << value << '\n'; }
    void field(const std::string& path, double value) { out << path << ": " << value << '\n'; }
    void field(const std::string& path, const std::optional<std::string>& value) {
        field(path, value ? "present \"" + *value + "\"" : std::string("absent"));
    }
    void bytes(const std::string& path, const std::string& value) {
        const QByteArray hash =
            QCryptographicHash::hash(QByteArray::fromStdString(value), QCryptographicHash::Sha1);
        field(path, std::to_string(value.size()) + " bytes " + hash.toHex().toStdString());
    }
    void list(const std::string& path, const std::vector<std::string>& values) {
        field(path + ".size", std::to_string(values.size()));
        for (std::size_t i = 0; i < values.size(); ++i)
            field(path + "[" + std::to_string(i) + "]", values[i]);
    }
    void files(const std::string& path, const std::vector<OtherFile>& files) {
        for (const OtherFile& file : files)
            bytes(path + "." + file.name + "(" + std::to_string(file.dataLoaded) + ")", file.data);
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

namespace {

std::string collapsed(const std::string& text) {
    std::string result;
    std::istringstream words(text);
    for (std::string word; words >> word;)
        result += (result.empty() ? "" : " ") + word;
    static const QRegularExpression guid(
        QStringLiteral("^[0-9a-fA-F]{8}(-[0-9a-fA-F]{4}){3}-[0-9a-fA-F]{12}$"));
    double number = 0; // numbers compare by value: "60.0" is "60"
    if (const auto read = std::from_chars(result.data(), result.data() + result.size(), number);
        read.ec == std::errc() && read.ptr == result.data() + result.size())
        return QString::number(number, 'g', 17).toStdString();
    return guid.match(QString::fromStdString(result)).hasMatch()
               ? QString::fromStdString(result).toLower().toStdString()
               : result;
}

std::string localName(pugi::xml_node element) {
    const std::string name = element.name();
    return name.substr(name.find(':') + 1);
}

void addItems(pugi::xml_node element, const std::string& path, std::set<std::string>& items) {
    for (pugi::xml_attribute attribute : element.attributes()) {
        const std::string name = attribute.name();
        if (!name.starts_with("xmlns") && !name.starts_with("xsi:") && name != "base")
            items.insert(path + "@" + name + "=" + collapsed(attribute.value()));
    }
    const std::string text = collapsed(element.child_value());
    if (!text.empty())
        items.insert(path + "=" + text);
    std::map<std::string, int> seen;
    for (pugi::xml_node child : element.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string name = localName(child);
        if (name == "simpleType")
            addItems(child, "simpleType{" + std::string(child.attribute("name").value()) + "}", items);
        else
            addItems(child, path + "/" + name + "[" + std::to_string(seen[name]++) + "]", items);
    }
}

} // namespace

std::set<std::string> xmlItems(const std::string& text) {
    pugi::xml_document document;
    std::set<std::string> items;
    if (parseXml(document, text))
        addItems(document.document_element(), localName(document.document_element()), items);
    return items;
}

bool isComparedXmlEntry(const std::string& name) {
    for (const char* suffix : {".bcf", ".bcfp", ".bcfv", ".version", ".xml", ".xsd"})
        if (name.ends_with(suffix))
            return true;
    return false;
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
    if (!process.waitForFinished(-1)) {
        result.output = QStringLiteral("xmllint could not be run: ") + process.errorString();
        return result;
    }
    result.output = QString::fromUtf8(process.readAll());
    result.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return result;
}

VisualizationInfo componentsView() {
    VisualizationInfo info;
    info.guid = "0d1f5a52-8b61-4d44-9f0e-5b3c2f1e7a10";
    info.selection = {{"2MF28NhmDBiRVyFakgdbCT", "Example CAD", "wall-17"},
                      {"0fdpeZZEX3FwJ7x0ox5kzF", "", ""},
                      {"", "Other CAD", "beam-3"}};
    info.cameraViewPoint = {12.5, -3.25, 1.75};
    info.cameraDirection = {-0.5, 0.75, -0.25};
    info.cameraUpVector = {0, 0, 1};
    info.aspectRatio = 16.0 / 9.0;
    info.fieldOfView = 50;
    // Every other element of the viewpoint schemas, each with an item, so that both versions keep it.
    info.components.present = info.components.selectionPresent = true;
    info.components.viewSetupHints = ViewSetupHints{true, std::nullopt, false};
    info.components.visibility =
        Visibility{false, std::vector<Component>{{"1bbI761TbBCOoIa5Kt6PXt", "", ""}}};
    info.components.coloring = {
        {"FF00AA80", {{"2MF28NhmDBiRVyFakgdbCT", "", ""}, {"0fdpeZZEX3FwJ7x0ox5kzF", "", ""}}}};
    info.lines = std::vector<Line>{Line{{0, 0, 0}, {1.5, 2.25, 0.1}}};
    info.clippingPlanes = std::vector<ClippingPlane>{ClippingPlane{{1, 2, 3}, {0, 0, -1}}};
    const Bitmap bitmap{"PNG", "bitmap.png", {1, 1, 1}, {0, 1, 0}, {0, 0, 1}, 2.5, 1, "\x89PNG bitmap"};
    info.bitmaps = {bitmap};
    return info;
}

VisualizationInfo orthogonalView() {
    VisualizationInfo info;
    info.guid = "7c3d2e1f-4a5b-4c6d-8e9f-a0b1c2d3e4f5";
    OrthogonalCamera camera;
    camera.cameraViewPoint = {100, 200, 300};
    camera.cameraDirection = {0, 0, -1};
    camera.cameraUpVector = {0, 1, 0};
    camera.viewToWorldScale = 25.5;
    camera.aspectRatio = 1.5;
    info.orthogonalCamera = camera;
    return info;
}

Markup fullMarkup() {
    Markup markup;
    Topic& t = markup.topic;
    t.guid = "a3c1f0b2-5d6e-4f70-8192-a3b4c5d6e7f8";
    t.topicType = "Error";
    t.topicStatus = "Open";
    t.title = "Wall clashes with duct & pipe <level 2>";
    t.priority = "High";
    t.creationDate = "2024-03-01T09:15:00+01:00";
    t.creationAuthor = "anna@example.com";
    t.modifiedDate = "2024-03-02T10:00:00+01:00";
    t.modifiedAuthor = "ben@example.com";
    t.dueDate = "2024-04-01T00:00:00+01:00";
    t.assignedTo = "carl@example.com";
    t.stage = "Design";
    t.description = "Bürogebäude, Ebene 2:\nthe duct runs through the wall.";
    t.referenceLinks = {"https://example.com/issues/17", "https://example.com/issues/18"};
    t.index = 3;
    t.labels = {"Architecture", "MEP"};
    t.bimSnippet =
        BimSnippet{"IFC2X3", false, "snippet.ifc", "http://example.com/ifc2x3.exp", 1, "ISO-10303-21;\n"};
    t.relatedTopics = {{"b4d2e1f3-6a7b-4c8d-9e0f-1a2b3c4d5e6f"}, {"e5f6a7b8-c9d0-4e1f-8a2b-3c4d5e6f7a8b"}};
    markup.header = Header{{File{"0M6o7Znnv7hxsbWgeu7oQq", "23B$bNeGHFQuMYJzvUX0FD", false, "model.ifc",
                                 "2024-02-28T12:00:00Z", "../model.ifc"},
                            File{"", "", true, "remote.ifc", "", "https://example.com/remote.ifc"}}};
    Comment first{"c1a2b3c4-d5e6-4f70-8a9b-c0d1e2f3a4b5",
                  "2024-03-01T09:20:00+01:00",
                  "ben@example.com",
                  "Confirmed on site.",
                  "2024-03-01T11:00:00+01:00",
                  "anna@example.com",
                  "0d1f5a52-8b61-4d44-9f0e-5b3c2f1e7a10"};
    Comment second{"c2a2b3c4-d5e6-4f70-8a9b-c0d1e2f3a4b5",
                   "2024-03-02T08:00:00+01:00",
                   "carl@example.com",
                   "Moving the duct.",
                   "",
                   "",
                   ""};
    markup.comments = {first, second};
    ViewPoint perspective;
    perspective.guid = "0d1f5a52-8b61-4d44-9f0e-5b3c2f1e7a10";
    perspective.viewpoint = "viewpoint.bcfv";
    perspective.snapshot = "snapshot.png";
    perspective.snapshotLoaded = 1;
    perspective.snapshotData = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    perspective.visualizationLoaded = 1;
    perspective.visualizationInfo = componentsView();
    perspective.index = 1;
    ViewPoint orthogonal;
    orthogonal.guid = "7c3d2e1f-4a5b-4c6d-8e9f-a0b1c2d3e4f5";
    orthogonal.viewpoint = "7c3d2e1f-4a5b-4c6d-8e9f-a0b1c2d3e4f5.bcfv";
    orthogonal.snapshot = "7c3d2e1f-4a5b-4c6d-8e9f-a0b1c2d3e4f5.png";
    orthogonal.snapshotLoaded = 1;
    orthogonal.snapshotData = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR2", 17);
    orthogonal.visualizationLoaded = 1;
    orthogonal.visualizationInfo = orthogonalView();
    markup.viewPoints = {perspective, orthogonal};
    return markup;
}

Markup minimalMarkup() {
    Markup markup;
    markup.topic.guid = "b4d2e1f3-6a7b-4c8d-9e0f-1a2b3c4d5e6f";
    markup.topic.topicType = "Request";
    markup.topic.topicStatus = "Closed";
    markup.topic.title = "Check fire rating";
    markup.topic.creationDate = "2024-05-06T07:08:09Z";
    markup.topic.creationAuthor = "dora@example.com";
    return markup;
}

BcfData sampleModel(BcfVersion version) {
    BcfData data;
    data.version = version;
    data.projectId = "f0e1d2c3-b4a5-4697-8877-665544332211";
    data.name = "Bürogebäude Nord";
    data.topicTypes = {"Error", "Request"};
    data.topicStatuses = {"Open", "Closed"};
    data.topicLabels = {"Architecture", "MEP"};
    data.snippetTypes = {"IFC2X3"};
    data.priorities = {"High", "Low"};
    data.users = {"anna@example.com", "ben@example.com", "carl@example.com", "dora@example.com"};
    data.stages = {"Design"};
    if (version == BcfVersion::V2_1)
        data.detailedVersion = "2.1 KC";
    DocumentInfo report;
    report.filename = "report.txt";
    report.dataLoaded = 1;
    report.data = "Fire rating report\n";
    DocumentInfo drawing;
    drawing.filename = "drawing.pdf";
    drawing.dataLoaded = 1;
    drawing.data = std::string("%PDF-1.4\n\0\xff", 11);
    if (version == BcfVersion::V3_0) {
        report.guid = "d0c0ffee-0000-4000-8000-000000000001";
        drawing.guid = "d0c0ffee-0000-4000-8000-000000000002";
        drawing.description = "Section A-A";
    }
    data.documents = {report, drawing};
    data.markups = {fullMarkup(), minimalMarkup()};
    return data;
}

void fetchAllPayloads(BcfData& data) {
    fetchPayloads(data);
}

void clearSourceFolders(BcfData& data) {
    for (Markup& markup : data.markups)
        markup.sourceFolder.reset();
}

VisualizationInfo expectedAfterWrite(VisualizationInfo info, BcfVersion version) {
    const bool perspective = info.hasPerspectiveCamera();
    const bool v3 = version == BcfVersion::V3_0;
    Components& c = info.components;
    if (!v3) { // no empty lists in 2.1
        c.selectionPresent = c.selectionPresent && !info.selection.empty();
        if (info.lines && info.lines->empty())
            info.lines.reset();
        if (info.bitmaps && info.bitmaps->empty())
            info.bitmaps.reset();
        if (c.coloring && c.coloring->empty())
            c.coloring.reset();
    }
    if (info.bitmaps)
        for (Bitmap& bitmap : *info.bitmaps)
            std::transform(bitmap.format.begin(), bitmap.format.end(), bitmap.format.begin(),
                           v3 ? ::tolower : ::toupper);
    if (v3)
        std::transform(info.guid.begin(), info.guid.end(), info.guid.begin(), ::tolower);
    if (version == BcfVersion::V2_1) {
        info.aspectRatio = 0;
        if (perspective)
            info.fieldOfView = std::clamp(info.fieldOfView, 45.0, 60.0);
        if (info.orthogonalCamera)
            info.orthogonalCamera->aspectRatio = 0;
        return info;
    }
    // 3.0 takes exactly one camera: the perspective one when there is one, else the orthogonal
    // one, and when there is neither a perspective camera with usable values.
    if (perspective || !info.orthogonalCamera) {
        info.orthogonalCamera.reset();
        if (!(info.fieldOfView > 0 && info.fieldOfView < 180))
            info.fieldOfView = 60;
        if (!(info.aspectRatio > 0))
            info.aspectRatio = 1;
    } else if (!(info.orthogonalCamera->aspectRatio > 0)) {
        info.orthogonalCamera->aspectRatio = 1;
    }
    return info;
}

namespace {

bool blank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c) != 0; });
}

void dropBlank(std::optional<std::string>& value) {
    if (value && blank(*value))
        value.reset();
}

} // namespace

BcfData expectedAfterSave(BcfData data, BcfVersion version, const BcfData& actual) {
    const bool v3 = version == BcfVersion::V3_0;
    data.extensionSchema = v3 ? std::string("extensions.xml") : extensionsEntryName(data, version);
    data.version = version;
    if (v3)
        data.detailedVersion.clear();
    if (v3 && blank(data.projectId)) { // a fresh id when there is a name, else no project.bcfp
        data.projectId = blank(data.name) ? std::string() : actual.projectId;
        if (blank(data.name))
            data.name.clear();
    }
    for (OtherFile& file : data.otherFiles)
        file.dataLoaded = 1;
    if (v3) {
        for (auto* list : {&data.topicTypes, &data.topicStatuses, &data.topicLabels, &data.snippetTypes,
                           &data.priorities, &data.users, &data.stages})
            std::erase_if(*list, blank);
    }
    for (std::size_t i = 0; i < data.documents.size(); ++i) {
        DocumentInfo& document = data.documents[i];
        document.dataLoaded = 1;
        if (!v3)
            document.description.clear();
        if (v3 && document.guid.empty() && i < actual.documents.size())
            document.guid = actual.documents[i].guid;
        if (!v3) {
            document.filename = documentEntryName(document, version);
            document.guid.clear();
        }
    }
    for (Markup& markup : data.markups) {
        markup.sourceFolder.reset();
        Topic& topic = markup.topic;
        dropBlank(topic.modifiedDate);
        dropBlank(topic.dueDate);
        if (v3 && blank(topic.topicType))
            topic.topicType = "Unknown";
        if (v3 && blank(topic.topicStatus))
            topic.topicStatus = "Unknown";
        if (topic.bimSnippet)
            topic.bimSnippet->dataLoaded = 1;
        for (OtherFile& file : markup.otherFiles)
            file.dataLoaded = 1;
        for (ViewPoint& viewPoint : markup.viewPoints) {
            viewPoint.snapshotLoaded = 1;
            viewPoint.visualizationLoaded = 1;
            if (!viewPoint.visualizationMissing)
                viewPoint.visualizationInfo = expectedAfterWrite(viewPoint.visualizationInfo, version);
        }
    }
    return data;
}

} // namespace bcf::test
