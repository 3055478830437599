// The official BCF test archives: each one loads, saves as 2.1 and as 3.0 with every XML entry
// valid against the official schema of the version written, and loads back with the same content.
#include "test_support.h"

#include "codec/archive.h"
#include "codec/documents.h"
#include "codec/project.h"
#include "codec/zip/zip_archive.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <map>
#include <pugixml.hpp>
#include <set>

using namespace bcf;
using namespace bcf::test;

Q_DECLARE_METATYPE(bcf::BcfVersion)

namespace {

// The entries of a saved archive that hold payload bytes rather than XML our writers made.
bool isPayload(const std::string& name, const BcfData& data, BcfVersion version) {
    return !isComparedXmlEntry(name) ||
           std::any_of(data.documents.begin(), data.documents.end(), [&](const DocumentInfo& document) {
               return name == (version == BcfVersion::V3_0 ? "documents/" + document.guid
                                                           : documentEntryName(document, version));
           });
}

std::string officialArchive(const char* name) {
    return (testcasesDir() + u'/' + QString::fromUtf8(name)).toStdString();
}

// Every official archive saved in each version, or (`conversions`) in the other version only.
void addOfficialRows(bool conversions = false) {
    QTest::addColumn<QString>("archive");
    QTest::addColumn<BcfVersion>("version");
    int count = 0;
    for (const QString& folder : {QStringLiteral("2.1"), QStringLiteral("3.0")}) {
        const QDir source(testcasesDir() + u'/' + folder);
        for (const QString& name : source.entryList({QStringLiteral("*.bcf")}, QDir::Files, QDir::Name)) {
            ++count;
            const QString path = source.filePath(name);
            const QString readable = QString(name).chopped(4).replace(u'_', u' ');
            for (const auto& [text, version] :
                 {std::pair{"2.1", BcfVersion::V2_1}, {"3.0", BcfVersion::V3_0}})
                if (!conversions || folder != QLatin1String(text))
                    QTest::addRow("%s %s saved as %s", qPrintable(folder), qPrintable(readable), text)
                        << path << version;
        }
    }
    QVERIFY2(count == 21, "the official archives were not found where CMake said");
}

// Entry name (topic folders compared without case) -> bytes.
std::map<std::string, std::string> entriesOf(const std::string& path) {
    ZipArchive archive;
    archive.load(path);
    std::map<std::string, std::string> entries;
    for (const ZipEntryInfo& entry : archive.entries())
        if (!entry.filename.ends_with('/'))
            entries[QString::fromStdString(entry.filename).toLower().toStdString()] =
                archive.read(entry.filename).value_or(std::string());
    return entries;
}

// What `actual` holds in place of `expected`: entries missing, and per compared XML entry the
// items missing ("- ") and, when `both`, the items added ("+ ").
QStringList differences(const std::string& expected, const std::string& actual, bool both) {
    QStringList found;
    const auto want = entriesOf(expected);
    const auto have = entriesOf(actual);
    auto compare = [&found](const std::string& sign, const auto& from, const auto& to) {
        for (const auto& [name, bytes] : from) {
            const auto other = to.find(name);
            if (other == to.end()) {
                found << QString::fromStdString(sign + "entry " + name);
                continue;
            }
            if (!isComparedXmlEntry(name))
                continue;
            const std::set<std::string> items = xmlItems(other->second);
            for (const std::string& item : xmlItems(bytes))
                if (!items.contains(item))
                    found << QString::fromStdString(sign + name + " " + item);
        }
    };
    compare("- ", want, have);
    if (both)
        compare("+ ", have, want);
    return found;
}

// Each note names what it changed: a difference it explains matches its pattern.
const std::pair<const char*, const char*> kNoteExplains[] = {
    {"server-assigned topic ids dropped", "@ServerAssignedId="},
    {"detailed version texts dropped", "/DetailedVersion\\["},
    {"topic types set to", "Topic\\[0\\]@TopicType=Unknown$"},
    {"topic statuses set to", "Topic\\[0\\]@TopicStatus=Unknown$"},
    {"missing GUIDs generated", "DocumentReference\\[\\d+\\]@Guid="},
    {"document GUIDs and descriptions dropped",
     "Document\\[\\d+\\]@Guid=|/DocumentGuid\\[0\\]=|/Description\\[0\\]=|entry documents/"},
    {"empty markup headers dropped", "markup.bcf Markup/Header\\[0\\]$"},
    {"field of view values clamped", "/FieldOfView\\[0\\]="},
    {"aspect ratios", "/AspectRatio\\[0\\]="},
    {"values added to the extension schema",
     "/enumeration\\[\\d+\\]@value=|^\\+ extensions.xml Extensions/\\w+\\[0\\]/\\w+\\[\\d+\\]="},
};

} // namespace

class OfficialArchivesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.isValid()); }

    void savedArchiveIsValidAndKeepsContent_data() { addOfficialRows(); }
    void savedArchiveIsValidAndKeepsContent() {
        QFETCH(QString, archive);
        QFETCH(BcfVersion, version);
        BcfData data = loadArchive(archive.toStdString());
        const BcfVersion loaded = data.version;
        const QString saved = dir.filePath(QStringLiteral("saved.bcf"));
        saveArchive(saved.toStdString(), data, version);

        // Every entry that is not a payload is XML from our writers: validate it against the
        // schema its root element calls for, in the version written.
        ZipArchive written;
        written.load(saved.toStdString());
        const std::string extensions = extensionsEntryName(data, version);
        QMap<QString, QStringList> filesBySchema;
        int index = 0;
        for (const ZipEntryInfo& entry : written.entries()) {
            if (isPayload(entry.filename, data, version))
                continue;
            const std::string bytes = written.read(entry.filename).value_or(std::string());
            pugi::xml_document document;
            QVERIFY2(parseXml(document, bytes), entry.filename.c_str());
            const QString root = QString::fromUtf8(document.document_element().name());
            // 2.1 markups validate against the written extension schema, which redefines the
            // official markup.xsd lying beside it.
            const bool extensionSchema = version == BcfVersion::V2_1 && entry.filename == extensions;
            QString schema = schemaFor(root, version);
            if (version == BcfVersion::V2_1 && root == u"Markup")
                schema = dir.filePath(QStringLiteral("extensions.xsd"));
            if (extensionSchema) {
                QVERIFY(writeFile(schema.isEmpty() ? dir.filePath(QStringLiteral("extensions.xsd")) : schema,
                                  bytes));
                QFile::remove(dir.filePath(QStringLiteral("markup.xsd")));
                QVERIFY(QFile::copy(xsdDir() + QStringLiteral("/2.1/markup.xsd"),
                                    dir.filePath(QStringLiteral("markup.xsd"))));
                continue;
            }
            QVERIFY2(!schema.isEmpty(), qPrintable(QStringLiteral("unexpected entry %1 (%2)")
                                                       .arg(QString::fromStdString(entry.filename), root)));
            // Named after the entry so that xmllint's messages say which one failed.
            const QString file = dir.filePath(QStringLiteral("%1-%2").arg(++index).arg(
                QString::fromStdString(entry.filename).replace(u'/', u'_')));
            QVERIFY(writeFile(file, bytes));
            filesBySchema[schema] << file;
        }
        for (auto it = filesBySchema.cbegin(); it != filesBySchema.cend(); ++it) {
            const XmlLintResult result = xmllint(it.value(), it.key());
            QVERIFY2(result.ok, qPrintable(result.output));
        }

        if (version != loaded)
            return; // the next test follows conversions
        // Nothing the input holds is missing from what was written.
        const QStringList missing = differences(archive.toStdString(), saved.toStdString(), false);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'\n')));
        // The saved model holds every payload now; what it models must come back.
        BcfData reloaded = loadArchive(saved.toStdString());
        fetchAllPayloads(reloaded);
        clearSourceFolders(reloaded);
        const BcfData expected = expectedAfterSave(data, version, reloaded);
        QVERIFY2(reloaded == expected, modelDifference(reloaded, expected).constData());
    }

    // Converted to the other version and back, an archive differs from one saved in its own
    // version only where a note of the two saves says so.
    void convertedAndBackDiffersOnlyAsNoted_data() { addOfficialRows(true); }
    void convertedAndBackDiffersOnlyAsNoted() {
        QFETCH(QString, archive);
        QFETCH(BcfVersion, version);
        BcfData data = loadArchive(archive.toStdString());
        const BcfVersion original = data.version;
        const std::string same = dir.filePath(QStringLiteral("same.bcf")).toStdString();
        const std::string there = dir.filePath(QStringLiteral("there.bcf")).toStdString();
        const std::string back = dir.filePath(QStringLiteral("back.bcf")).toStdString();
        saveArchive(same, data, original);
        BcfData converted = loadArchive(archive.toStdString());
        const SaveNotes thereNotes = saveArchive(there, converted, version);
        std::vector<SaveNote> notes = thereNotes.all();
        converted = loadArchive(there);
        const SaveNotes backNotes = saveArchive(back, converted, original);
        notes.insert(notes.end(), backNotes.all().begin(), backNotes.all().end());
        for (const QString& difference : differences(same, back, true)) {
            bool explained = false;
            for (const auto& [note, pattern] : kNoteExplains)
                explained = explained ||
                            (std::any_of(notes.begin(), notes.end(),
                                         [note](const SaveNote& n) { return n.text.starts_with(note); }) &&
                             QRegularExpression(QString::fromUtf8(pattern)).match(difference).hasMatch());
            QVERIFY2(explained, qPrintable(QStringLiteral("not in the notes: ") + difference));
        }
    }

    // Facts about particular archives that the generic comparison above takes on trust.
    void knownContent() {
        const BcfData maximum = loadArchive(officialArchive("2.1/Markup_MaximumInformation.bcf"));
        QCOMPARE(maximum.extensionSchema, std::string("extensions.xsd"));
        QCOMPARE(maximum.documents.size(), std::size_t(2));
        QCOMPARE(maximum.documents[0].filename, std::string("IfcPile_01.ifc"));
        QCOMPARE(maximum.documents[1].filename, std::string("markup.xsd"));
        QVERIFY(!maximum.topicTypes.empty()); // a default-namespace schema, not "xs:"
        QCOMPARE(maximum.markups.size(), std::size_t(2));
        QCOMPARE(maximum.markups[0].comments.size(), std::size_t(4));
        QCOMPARE(maximum.markups[0].comments[3].modifiedDate, std::string("2015-08-31T16:07:11Z"));
        QCOMPARE(maximum.markups[0].viewPoints.size(), std::size_t(3));
        QVERIFY(maximum.markups[0].topic.dueDate.has_value());
        QVERIFY(!maximum.markups[1].topic.dueDate.has_value());

        BcfData selection = loadArchive(officialArchive("3.0/Visualization_Component_selection.bcf"));
        QCOMPARE(selection.markups.size(), std::size_t(1));
        fetchAllPayloads(selection);
        const ViewPoint& viewPoint = selection.markups[0].viewPoints.at(0);
        QVERIFY(viewPoint.visualizationInfo.orthogonalCamera.has_value());
        QVERIFY(!viewPoint.visualizationInfo.hasPerspectiveCamera());
        QCOMPARE(viewPoint.visualizationInfo.selection.size(), std::size_t(3));
        QVERIFY(!viewPoint.snapshotData.empty());
    }

private:
    QTemporaryDir dir;
};

QTEST_GUILESS_MAIN(OfficialArchivesTest)
#include "test_official_archives.moc"
