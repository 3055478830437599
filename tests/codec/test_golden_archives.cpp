// Whole archives loaded, saved as 2.1 and as 3.0 (every written file valid against the official
// schemas), loaded back and converted back, each compared with its expected report below
// tests/data/expected/archives: official, golden, regression and foreign archives, and archives
// built here with their entry order under control.
#include "test_support.h"

#include "codec/archive.h"
#include "codec/bcf_error.h"
#include "codec/documents.h"
#include "codec/entry_names.h"
#include "codec/payloads.h"
#include "codec/project.h"
#include "codec/version.h"
#include "codec/zip/zip_archive.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include <pugixml.hpp>
#include <set>
#include <sstream>

using namespace bcf;
using namespace bcf::test;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

const std::string kTopic = "6b3c1c9e-8f1a-4d2b-9c3d-1a2b3c4d5e6f";
const std::string kVersion21 = "<Version VersionId=\"2.1\" />";
const std::string kVersion30 = "<Version VersionId=\"3.0\" />";
const std::string kSchema = "<schema xmlns=\"http://www.w3.org/2001/XMLSchema\"><redefine schemaLocation="
                            "\"markup.xsd\"><simpleType name=\"TopicType\"><restriction base=\"TopicType\">"
                            "<enumeration value=\"Clash\" /></restriction></simpleType></redefine></schema>";

// A 2.1 markup of topic kTopic (without its Guid when `guid` is false).
std::string markup21(const std::string& topicEnd, const std::string& markupEnd = {}, bool guid = true) {
    return "<Markup><Topic " + (guid ? "Guid=\"" + kTopic + "\" " : std::string()) +
           "TopicType=\"Issue\" TopicStatus=\"Open\"><Title>T</Title><CreationDate>2024-03-07T09:05:41Z"
           "</CreationDate><CreationAuthor>a</CreationAuthor>" +
           topicEnd + "</Topic>" + markupEnd + "</Markup>";
}

// A 3.0 markup of topic kTopic with `topicAttributes`, `topicEnd` and `markupEnd`.
std::string markup30(const std::string& topicEnd, const std::string& topicAttributes = {},
                     const std::string& markupEnd = {}) {
    return "<Markup><Topic Guid=\"" + kTopic + "\" TopicType=\"Issue\" TopicStatus=\"Open\"" +
           topicAttributes +
           "><Title>T</Title><CreationDate>2024-03-07T09:05:41Z</CreationDate><CreationAuthor>a</"
           "CreationAuthor>" +
           topicEnd + "</Topic>" + markupEnd + "</Markup>";
}

std::string viewpointRef(const std::string& guid, const std::string& viewpoint, const std::string& snapshot) {
    return "<Viewpoints Guid=\"" + guid + "\"><Viewpoint>" + viewpoint + "</Viewpoint><Snapshot>" + snapshot +
           "</Snapshot></Viewpoints>";
}

// A 3.0 archive whose documents have the names given: alike, or those of the archive's own files.
Entries documentsNamed(std::initializer_list<const char*> names) {
    Entries entries{{"bcf.version", kVersion30}};
    std::string xml = "<DocumentInfo><Documents>";
    int i = 10;
    for (const char* name : names) {
        const std::string guid = "d0c0ffee-0000-4000-8000-0000000000" + std::to_string(i);
        xml += "<Document Guid=\"" + guid + "\"><Filename>" + name + "</Filename></Document>";
        entries.push_back({"documents/" + guid, "bytes " + std::to_string(i++)});
    }
    entries.push_back({"documents.xml", xml + "</Documents></DocumentInfo>"});
    return entries;
}

// Archives as other tools write them, built entry by entry in this order.
const std::vector<std::pair<const char*, Entries>>& archivesBuiltHere() {
    const std::string markup = kTopic + "/markup.bcf";
    const std::string vp = "11111111-2222-4333-8444-555555555555";
    static const std::vector<std::pair<const char*, Entries>> archives = {
        {"2.1 with only bcf.version", {{"bcf.version", kVersion21}}},
        {"3.0 with only bcf.version", {{"bcf.version", kVersion30}}},
        {"3.0 malformed project.bcfp", {{"bcf.version", kVersion30}, {"project.bcfp", "<ProjectInfo>"}}},
        {"3.0 malformed extensions.xml", {{"bcf.version", kVersion30}, {"extensions.xml", "<Extensions"}}},
        {"3.0 malformed documents.xml", {{"bcf.version", kVersion30}, {"documents.xml", "not xml"}}},
        {"2.1 root document after a topic folder",
         {{"bcf.version", kVersion21},
          {markup, markup21("<DocumentReference Guid=\"5e1c0a3d-7b2f-4c6e-9d8a-1f2e3d4c5b6a\" isExternal="
                            "\"false\"><ReferencedDocument>../plan.pdf</ReferencedDocument><Description>"
                            "Plan</Description></DocumentReference>")},
          {"plan.pdf", "%PDF plan"},
          {"project.bcfp", "<ProjectExtension><Project ProjectId=\"p\"><Name>N</Name></Project>"
                           "</ProjectExtension>"}}},
        {"2.1 topic folder not named after its GUID, payloads and tool files beside the markup",
         {{"bcf.version", kVersion21},
          {"Topic 1/markup.bcf", markup21("", viewpointRef(vp, "v.bcfv", "s.png"))},
          {"Topic 1/v.bcfv", "<VisualizationInfo><PerspectiveCamera><CameraViewPoint><X>1</X><Y>2</Y><Z>3</Z>"
                             "</CameraViewPoint><FieldOfView>60</FieldOfView></PerspectiveCamera>"
                             "</VisualizationInfo>"},
          {"Topic 1/s.png", "PNG bytes"},
          {"Topic 1/notes/tool.json", "{}"},
          {"tool/state.bin", "state"}}},
        {"2.1 colourings mended for either version",
         {{"bcf.version", kVersion21},
          {markup, markup21("", viewpointRef(vp, "v.bcfv", ""))},
          {kTopic + "/v.bcfv",
           "<VisualizationInfo Guid=\"" + vp +
               "\"><Components><Coloring><Color Color=\"ff0000\"><Component "
               "IfcGuid=\"0fo7$fhbT0Y8BaEI2rUqT9\" />"
               "</Color><Color Color=\"\"><Component IfcGuid=\"1fo7$fhbT0Y8BaEI2rUqT9\" /></Color>"
               "<Color Color=\"red\"><Component IfcGuid=\"2fo7$fhbT0Y8BaEI2rUqT9\" /></Color>"
               "<Color Color=\"00FF00\" /></Coloring><Visibility DefaultVisibility=\"true\" /></Components>"
               "<PerspectiveCamera><CameraViewPoint><X>1</X><Y>2</Y><Z>3</Z></CameraViewPoint>"
               "<CameraDirection><X>1</X><Y>0</Y><Z>0</Z></CameraDirection><CameraUpVector><X>0</X><Y>0</Y>"
               "<Z>1</Z></CameraUpVector><FieldOfView>60</FieldOfView></PerspectiveCamera></"
               "VisualizationInfo>"}}},
        {"2.1 viewpoints whose files are missing",
         {{"bcf.version", kVersion21},
          {markup, markup21("", viewpointRef(vp, "gone.bcfv", "gone.png") + "<Viewpoints Guid=\"2" +
                                    vp.substr(1) + "\"></Viewpoints>")}}},
        {"2.1 extension schema under another name is not a document",
         {{"bcf.version", kVersion21},
          {"project.bcfp",
           "<ProjectExtension><Project ProjectId=\"p\"><Name>N</Name></Project><ExtensionSchema>"
           "custom-extensions.xsd</ExtensionSchema></ProjectExtension>"},
          {"custom-extensions.xsd", kSchema},
          {"notes.txt", "notes"}}},
        {"2.1 root document without GUID", {{"bcf.version", kVersion21}, {"plan.pdf", "%PDF plan"}}},
        {"2.1 topic without GUID gets one",
         {{"bcf.version", kVersion21}, {"t/markup.bcf", markup21("", "", false)}}},
        {"2.1 two topics with one GUID cannot be saved",
         {{"bcf.version", kVersion21}, {"a/markup.bcf", markup21("")}, {"b/markup.bcf", markup21("")}}},
        // What the readers do not take is left out of a save and named in its notes.
        {"2.1 elements and attributes this tool does not read, 2.0 leftovers among them",
         {{"bcf.version", "<Version VersionId=\"2.1\" Build=\"7\" />"},
          {"project.bcfp",
           "<ProjectExtension xsi:noNamespaceSchemaLocation=\"project.xsd\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><Project ProjectId=\"p\" Owner=\"o\">"
           "<Name>N</Name></Project><ExtensionSchema /></ProjectExtension>"},
          {markup, markup21("<Status>Open</Status>",
                            "<Comment Guid=\"" + vp +
                                "\" ReplyTo=\"x\"><Date>"
                                "2024-03-07T09:05:41Z</Date><Author>a</Author><Comment>c"
                                "</Comment><Status>Open</Status><VerbalStatus>open"
                                "</VerbalStatus><Topic Guid=\"" +
                                kTopic + "\" /></Comment>" + viewpointRef(vp, "v.bcfv", "s.png"))},
          {kTopic + "/v.bcfv", "<VisualizationInfo Guid=\"" + vp +
                                   "\"><Components><Selection><Component "
                                   "IfcGuid=\"0fo7$fhbT0Y8BaEI2rUqT9\" Visible=\"false\" Color=\"FF0000\" />"
                                   "</Selection><Component IfcGuid=\"1fo7$fhbT0Y8BaEI2rUqT9\" /></Components>"
                                   "</VisualizationInfo>"},
          {kTopic + "/s.png", "PNG"}}},
        {"3.0 elements and attributes this tool does not read",
         {{"bcf.version", kVersion30},
          {"extensions.xml", "<Extensions><TopicTypes><TopicType>Issue</TopicType><Colour>red</Colour>"
                             "</TopicTypes><Vendor /></Extensions>"},
          {"documents.xml", "<DocumentInfo><Documents><Document Guid=\"" + vp +
                                "\" Size=\"3\"><Filename>a.pdf"
                                "</Filename></Document></Documents></DocumentInfo>"},
          {"documents/" + vp, "PDF"},
          {markup,
           markup30("<Comments><Comment Guid=\"" + vp +
                        "\"><Date>2024-03-07T09:05:41Z</Date>"
                        "<Author>a</Author><Comment>c</Comment><Status>Open</Status></Comment></Comments>",
                    " Vendor=\"v\"", "<Extra />")}}},
        {"2.1 a second Topic, Title and attribute left out, two Headers read as one",
         {{"bcf.version", kVersion21},
          {markup,
           "<Markup><Header><File><Filename>a.ifc</Filename></File></Header><Header><File><Filename>"
           "b.ifc</Filename></File></Header><Topic Guid=\"" +
               kTopic +
               "\" TopicType=\"Issue\" "
               "TopicType=\"Clash\" TopicStatus=\"Open\"><Title>T</Title><Title>U</Title><CreationDate>"
               "2024-03-07T09:05:41Z</CreationDate><CreationAuthor>a</CreationAuthor></Topic><Topic Guid=\"" +
               vp + "\"><Title>V</Title></Topic></Markup>"}}},
        {"3.0 lists a file repeats read as one",
         {{"bcf.version", kVersion30},
          {markup, markup30("<Labels><Label>a</Label></Labels><Labels><Label>b</Label></Labels><Comments>"
                            "<Comment Guid=\"" +
                            vp +
                            "\"><Date>2024-03-07T09:05:41Z</Date><Author>a</Author>"
                            "<Comment>c</Comment></Comment></Comments><Comments><Comment Guid=\"2" +
                            vp.substr(1) +
                            "\"><Date>2024-03-07T09:05:41Z</Date><Author>b</Author><Comment>d</Comment>"
                            "</Comment></Comments><Viewpoints><ViewPoint Guid=\"" +
                            vp +
                            "\" /></Viewpoints>"
                            "<Viewpoints><ViewPoint Guid=\"3" +
                            vp.substr(1) + "\" /></Viewpoints>")}}},
        {"2.1 viewpoint files no markup names converted to 3.0",
         {{"bcf.version", kVersion21},
          {markup, markup21("")},
          {kTopic + "/orphan.bcfv",
           "<VisualizationInfo Guid=\"" + vp +
               "\"><Components><ViewSetupHints "
               "SpacesVisible=\"true\" /><Visibility DefaultVisibility=\"true\" />"
               "</Components><PerspectiveCamera><CameraViewPoint><X>1</X><Y>2</Y><Z>3</Z>"
               "</CameraViewPoint><FieldOfView>50</FieldOfView></PerspectiveCamera>"
               "<Bitmap><Bitmap>PNG</Bitmap><Reference>b.png</Reference></Bitmap>"
               "<Vendor /></VisualizationInfo>"},
          {kTopic + "/broken.bcfv", "<VisualizationInfo"},
          {"tool/left.bcfv", "<VisualizationInfo Guid=\"" + vp + "\" />"},
          {"tool/no-guid.bcfv", "<VisualizationInfo><Components /></VisualizationInfo>"}}},
        {"2.1 indexes that are no integer, text split by a comment and a processing instruction",
         {{"bcf.version", kVersion21},
          {markup, markup21("<Index>1.5</Index><Description>x<!--c--> <?pi?>z<![CDATA[a]]> <![CDATA[b]]>"
                            "</Description>",
                            "<Viewpoints Guid=\"" + vp + "\"><Index>first</Index></Viewpoints>")}}},
        {"3.0 documents named alike, in folders or without extension",
         documentsNamed(
             {"report.pdf", "report.pdf", "report.pdf", "a/notes.txt", "b/notes.txt", "README", "README"})},
        {"3.0 documents named like the archive's own files",
         documentsNamed({"project.bcfp", "bcf.version", "extensions.xml", "extensions.xsd", "markup.bcf",
                         "old-markup.bcf"})},
    };
    return archives;
}

// The lines of `before` missing from `after` ("- ") and those added ("+ ").
std::string changes(const std::string& before, const std::string& after) {
    const std::vector<std::string> a = lines(before), b = lines(after);
    std::string out;
    for (const auto& [from, to, sign] : {std::tuple(&a, &b, "- "), std::tuple(&b, &a, "+ ")}) {
        std::multiset<std::string> other(to->begin(), to->end());
        for (const std::string& line : *from)
            if (const auto it = other.find(line); it != other.end())
                other.erase(it);
            else
                out += sign + line + "\n";
    }
    return out;
}

Entries entriesOf(const std::string& path) {
    return zipEntries(path);
}

// The bytes of a saved archive's payloads (every entry but the BCF XML files), sorted: what a
// save carries, whatever names it gives them.
std::vector<std::string> payloadBytes(const std::string& path) {
    std::vector<std::string> payloads;
    for (auto& [name, bytes] : zipEntries(path))
        if (!name.ends_with(".bcf") && !name.ends_with(".bcfv") && !name.ends_with(".bcfp") &&
            !name.ends_with(".version") && !name.ends_with(".xml") && !name.ends_with(".xsd"))
            payloads.push_back(std::move(bytes));
    std::sort(payloads.begin(), payloads.end());
    return payloads;
}

// Whether a saved entry is XML of our writers (printed and validated) rather than payload bytes. A
// viewpoint file that no markup names is kept as it is in its own version, converted in the other.
bool isWrittenXml(const std::string& name, const BcfData& data, BcfVersion version) {
    const auto kept = [&] {
        for (const Markup& markup : data.markups)
            for (const OtherFile& file : markup.otherFiles)
                if (name.ends_with('/' + file.name))
                    return true;
        return std::any_of(data.otherFiles.begin(), data.otherFiles.end(),
                           [&](const OtherFile& file) { return file.name == name; });
    };
    return name == "bcf.version" || name == "project.bcfp" || name == "documents.xml" ||
           name == extensionsEntryName(data, version) || name.ends_with("/markup.bcf") ||
           (name.ends_with(".bcfv") && (version != data.version || !kept()));
}

class ArchiveReport {
public:
    // `validate`: whether every written file must be valid (not so for inputs with invalid ids).
    ArchiveReport(const QString& dir, bool validate) : dir_(dir), validate_(validate) {}

    // The report of `input`; what must hold whatever the expected report says goes to `problems`.
    std::string make(const std::string& input) {
        try {
            add(input);
        } catch (const BcfError& error) {
            out << "error: " << error.what() << "\n";
        }
        return out.str();
    }

    QStringList problems;
    std::string known; // the loaded model's dumps, holding every GUID of the input

private:
    void add(const std::string& input) {
        BcfDocument document = loadArchive(input);
        BcfData& data = document.data;
        const std::string unfetched = dump(data);
        fetchAllPayloads(document);
        const std::string loaded = dump(data);
        known = loaded + unfetched;
        out << "== loaded, then payloads fetched\n" << loaded << "== what fetching changed\n";
        out << changes(unfetched, loaded);
        const BcfVersion own = data.version;
        bool convertible = false;
        for (BcfVersion version : {BcfVersion::V2_1, BcfVersion::V3_0}) {
            out << "== saved as " << versionText(version) << "\n";
            const std::string path = file(versionText(version));
            if (!save(path, document, version))
                continue;
            convertible = convertible || version != own;
            // Saved without fetching first, from an archive read from its file as needed, twice
            // (the first save may rename in the model what it copied): the same payloads.
            BcfDocument onDemand = loadArchive(input, ZipReading::OnDemand);
            for (const char* copy : {"copy", "copy-again"}) {
                saveArchive(file(copy), onDemand, version);
                if (payloadBytes(file(copy)) != payloadBytes(path))
                    problems << QStringLiteral("%1 saved unfetched carries other payloads").arg(copy);
            }
            BcfDocument back = loadArchive(path);
            BcfDocument fetched = back;
            fetchAllPayloads(fetched);
            out << "== loaded back: changes\n" << changes(loaded, dump(fetched.data));
            const Entries before = entriesOf(path);
            saveArchive(path, back, version); // over the loaded file, without fetching first
            out << "== saved again from the loaded file: "
                << (entriesOf(path) == before ? "same entries\n" : "entries differ\n");
        }
        if (convertible) {
            out << "== converted back to " << versionText(own) << "\n";
            BcfDocument converted = loadArchive(file(own == BcfVersion::V2_1 ? "3.0" : "2.1"));
            if (save(file("back"), converted, own)) {
                converted = loadArchive(file("back"));
                fetchAllPayloads(converted);
                out << "== changes\n" << changes(loaded, dump(converted.data));
            }
        }
    }

    std::string file(const char* name) const {
        return dir_.filePath(QStringLiteral("%1.bcf").arg(name)).toStdString();
    }

    // Saves and reports notes and entries; a failed save must leave the destination as it was.
    bool save(const std::string& path, BcfDocument& document, BcfVersion version) {
        const std::string previous = "previous content";
        writeFile(QString::fromStdString(path), previous);
        try {
            const SaveNotes notes = saveArchive(path, document, version);
            for (const SaveNote& note : notes.all())
                out << "note: " << note.text << " (" << note.count << ")\n";
        } catch (const BcfError& error) {
            out << "save error: " << error.what() << "\n";
            if (readFile(QString::fromStdString(path)) != previous)
                problems << QStringLiteral("a failed save changed the destination");
            return false;
        }
        writtenEntries(path, document.data, version);
        return true;
    }

    void writtenEntries(const std::string& path, const BcfData& data, BcfVersion version) {
        QMap<QString, QStringList> filesBySchema;
        int index = 0;
        for (const auto& [name, bytes] : entriesOf(path)) {
            if (!isWrittenXml(name, data, version)) {
                const QByteArray hash =
                    QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha1);
                out << "entry " << name << ": " << bytes.size() << " bytes " << hash.toHex().left(12).data()
                    << "\n";
                continue;
            }
            out << "entry " << name << "\n" << bytes;
            const QString qname = QString::fromStdString(name);
            if (!validate_)
                continue;
            pugi::xml_document document; // not well-formed: no root element, so no schema
            parseXml(document, bytes);
            // 2.1 markups validate against the written extension schema, which redefines the
            // official markup.xsd lying beside it.
            const QString root = QString::fromUtf8(document.document_element().name());
            const bool v21 = version == BcfVersion::V2_1;
            QString schema = v21 && root == u"Markup" ? dir_.filePath(QStringLiteral("extensions.xsd"))
                                                      : schemaFor(root, version);
            if (v21 && name == extensionsEntryName(data, version)) {
                writeFile(dir_.filePath(QStringLiteral("extensions.xsd")), bytes);
                QFile::copy(xsdDir() + QStringLiteral("/2.1/markup.xsd"),
                            dir_.filePath(QStringLiteral("markup.xsd")));
                continue;
            }
            if (schema.isEmpty())
                problems << QStringLiteral("no schema for %1 (%2)").arg(qname, root);
            // Named after the entry so that xmllint's messages say which one failed.
            const QString copy =
                dir_.filePath(QStringLiteral("%1-%2").arg(++index).arg(QString(qname).replace(u'/', u'_')));
            writeFile(copy, bytes);
            filesBySchema[schema] << copy;
        }
        for (auto it = filesBySchema.cbegin(); it != filesBySchema.cend(); ++it)
            if (const XmlLintResult result = xmllint(it.value(), it.key()); !result.ok)
                problems << result.output;
    }

    QDir dir_;
    bool validate_;
    std::ostringstream out;
};

void addArchiveRows(const QString& group, const QString& folder) {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    const QDir source(folder);
    const QStringList names = source.entryList({QStringLiteral("*.bcf")}, QDir::Files, QDir::Name);
    QVERIFY2(!names.isEmpty(), qPrintable(QStringLiteral("no archives in ") + folder));
    for (const QString& name : names) {
        if (readFile(source.filePath(name)).starts_with("PK")) // not a single markup file
            QTest::addRow("%s %s", qPrintable(group),
                          qPrintable(QString(name).chopped(4).replace(u'_', u' ')))
                << source.filePath(name) << group + u'/' + QString(name).chopped(4) + QStringLiteral(".txt");
    }
}

// The files this process has open.
std::ptrdiff_t openFiles() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

void checkReport(const QString& input, const QString& expected) {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::ptrdiff_t openBefore = openFiles();
    ArchiveReport report(dir.path(), !expected.startsWith(u"regressions/"));
    const std::string text = report.make(input.toStdString());
    // Reading, saving and reading again leave no file open.
    QCOMPARE(openFiles(), openBefore);
    const QString difference =
        compareWithExpected(QStringLiteral("archives/") + expected, text, report.known);
    QVERIFY2(report.problems.isEmpty(), qPrintable(report.problems.join(u'\n')));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

} // namespace

class GoldenArchivesTest : public QObject {
    Q_OBJECT

private slots:
    void officialArchives_data() {
        addArchiveRows(QStringLiteral("official-2.1"), testcasesDir() + QStringLiteral("/2.1"));
        addArchiveRows(QStringLiteral("official-3.0"), testcasesDir() + QStringLiteral("/3.0"));
    }
    void officialArchives() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        checkReport(input, expected);
    }

    void projectArchives_data() {
        for (const char* group : {"golden", "regressions", "foreign"})
            addArchiveRows(QString::fromUtf8(group), dataDir() + u'/' + QString::fromUtf8(group));
    }
    void projectArchives() { officialArchives(); }

    void builtArchives_data() {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < archivesBuiltHere().size(); ++i)
            QTest::newRow(archivesBuiltHere()[i].first) << static_cast<int>(i);
    }
    void builtArchives() {
        QFETCH(int, index);
        const auto& [name, entries] = archivesBuiltHere()[static_cast<std::size_t>(index)];
        ZipArchive archive;
        for (const auto& [entry, bytes] : entries)
            archive.writeEntry(entry, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("built.bcf"));
        QVERIFY(writeFile(path, archive.finish()));
        static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9.]+"));
        checkReport(path, QStringLiteral("built/") +
                              QString::fromUtf8(name).replace(unsafe, QStringLiteral("-")) +
                              QStringLiteral(".txt"));
    }

    // A model that holds what no archive may (edited by a caller, not read from a file) is saved
    // mended, each mend noted, or refused with the file untouched; what is saved reads back.
    void saveMendsWhatCannotBeWritten() {
        const struct {
            const char* name;
            std::function<void(BcfData&)> edit;
            BcfVersion version;
            const char* note;                                   // or the error, "error: ..."
            std::function<bool(const BcfData&)> readsBack = {}; // what the saved archive holds
        } rows[] = {
            {"topic without a GUID given one", [](BcfData& d) { d.markups[0].topic.guid.clear(); },
             BcfVersion::V2_1, "missing topic GUIDs generated"},
            {"bitmap named outside its folder",
             [](BcfData& d) {
                 (*d.markups[0].viewPoints[0].visualizationInfo.bitmaps)[0].reference = "../b.png";
             },
             BcfVersion::V2_1, "bitmap images whose names cannot be entry names left out"},
            {"kept file named outside the archive",
             [](BcfData& d) {
                 d.otherFiles.push_back({"../x.txt", 1, "x"});
             },
             BcfVersion::V3_0,
             "kept files left out: their names are unsafe in a ZIP archive (absolute, \"..\", backslash, "
             "drive letter)"},
            {"snapshot named outside its folder",
             [](BcfData& d) {
                 ViewPoint& v = d.markups[0].viewPoints[0];
                 v.snapshot = "../s.png";
             },
             BcfVersion::V2_1, "snapshot file names that cannot be entry names replaced"},
            {"viewpoint GUID that is none replaced, the comments about it follow",
             [](BcfData& d) {
                 Markup& m = d.markups[0];
                 for (Comment& c : m.comments)
                     if (c.viewpoint == m.viewPoints[0].guid)
                         c.viewpoint = "view-1";
                 m.viewPoints[0].guid = "view-1";
             },
             BcfVersion::V2_1, "viewpoint GUIDs that are no GUID replaced (references follow)",
             [](const BcfData& d) {
                 const Markup& m = d.markups[0];
                 return isGuid(m.viewPoints[0].guid) &&
                        std::any_of(m.comments.begin(), m.comments.end(),
                                    [&](const Comment& c) { return c.viewpoint == m.viewPoints[0].guid; });
             }},
            {"unread content beyond the named",
             [](BcfData& d) {
                 d.markups[0].unread.push_back({UnreadContent::Kind::Unknown, "Topic@Vendor", 1});
                 d.markups[0].unread.push_back({UnreadContent::Kind::Unknown, "", 2});
             },
             BcfVersion::V2_1,
             "elements and attributes this tool does not read left out: Topic@Vendor, others"},
        };
        for (const auto& row : rows) {
            BcfDocument document =
                loadArchive(testcasesDir().toStdString() + "/2.1/Markup_MaximumInformation.bcf");
            fetchPayloads(document);
            row.edit(document.data);
            QTemporaryDir dir;
            const std::string path = dir.filePath(QStringLiteral("saved.bcf")).toStdString();
            QVERIFY(writeFile(QString::fromStdString(path), "previous content"));
            std::string outcome;
            try {
                const SaveNotes notes = saveArchive(path, document, row.version);
                for (const SaveNote& note : notes.all())
                    outcome += note.text + "\n";
                const BcfDocument back = loadArchive(path);
                QCOMPARE(back.data.markups.size(), document.data.markups.size());
                QVERIFY2(!row.readsBack || row.readsBack(back.data), row.name);
            } catch (const BcfError& error) {
                outcome = std::string("error: ") + error.what();
                QCOMPARE(readFile(QString::fromStdString(path)), std::string("previous content"));
            }
            QVERIFY2(outcome.find(row.note) != std::string::npos,
                     qPrintable(QString::fromUtf8(row.name) + QStringLiteral(": ") +
                                QString::fromStdString(outcome)));
        }
    }

    void saveRefusesVersionTwoZero() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keep.bcf"));
        QVERIFY(writeFile(path, "previous content"));
        BcfDocument document =
            loadArchive((dataDir() + QStringLiteral("/golden/sample-2.1.bcf")).toStdString());
        QVERIFY_THROWS_EXCEPTION(BcfError, saveArchive(path.toStdString(), document, BcfVersion::V2_0));
        QCOMPARE(readFile(path), std::string("previous content"));
    }

    // An archive read from its file as needed goes on reading the file it opened when another
    // replaces it (as a save does); one written over in place is damage, noted, never other bytes.
    void readsOnDemand() {
        const QString original = testcasesDir() + QStringLiteral("/2.1/Markup_MaximumInformation.bcf");
        const std::string damaged =
            damagedEntry(readFile(original), "7ddc3ef0-0ab7-43f1-918a-45e38b42369c/"
                                             "Snapshot_4ab7514b-b216-4d56-98d2-45cf8500ff5a.png");
        QTemporaryDir dir;
        const std::string reference = dir.filePath(QStringLiteral("reference.bcf")).toStdString();
        BcfDocument whole = loadArchive(original.toStdString());
        saveArchive(reference, whole, BcfVersion::V2_1);
        for (const bool inPlace : {false, true}) {
            const QString in = dir.filePath(QStringLiteral("in.bcf"));
            const QString other = dir.filePath(QStringLiteral("other.bcf"));
            QVERIFY(writeFile(in, readFile(original)));
            BcfDocument document = loadArchive(in.toStdString(), ZipReading::OnDemand);
            QVERIFY(writeFile(inPlace ? in : other, damaged));
            QVERIFY(inPlace ||
                    std::rename(other.toLocal8Bit().constData(), in.toLocal8Bit().constData()) == 0);
            const std::string out = dir.filePath(QStringLiteral("out.bcf")).toStdString();
            const SaveNotes notes = saveArchive(out, document, BcfVersion::V2_1);
            const auto& all = notes.all();
            QCOMPARE(std::any_of(all.begin(), all.end(),
                                 [](const SaveNote& note) {
                                     return note.text.starts_with("snapshots that could not be read");
                                 }),
                     inPlace);
            QCOMPARE(payloadBytes(out) == payloadBytes(reference), !inPlace);
        }
    }
};

QTEST_GUILESS_MAIN(GoldenArchivesTest)
#include "test_golden_archives.moc"
