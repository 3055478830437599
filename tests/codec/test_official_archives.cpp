// The official BCF test archives: each one loads, saves as 2.1 and as 3.0 with every XML entry
// valid against the official schema of the version written, and loads back with the same content.
#include "test_support.h"

#include "codec/archive.h"
#include "codec/documents.h"
#include "codec/project.h"
#include "codec/zip/zip_archive.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <pugixml.hpp>
#include <set>

using namespace bcf;
using namespace bcf::test;

Q_DECLARE_METATYPE(bcf::BcfVersion)

namespace {

// The entries of a saved archive that hold payload bytes rather than XML our writers made.
std::set<std::string> payloadEntries(const BcfData& data, BcfVersion version) {
    std::set<std::string> names;
    for (const DocumentInfo& document : data.documents)
        names.insert(documentEntryName(document, version));
    for (const Markup& markup : data.markups)
        for (const ViewPoint& viewPoint : markup.viewPoints) {
            names.insert(markup.topic.guid + "/" + viewPoint.snapshot);
            for (const Bitmap& bitmap : viewPoint.visualizationInfo.bitmaps.value_or(std::vector<Bitmap>()))
                names.insert(markup.topic.guid + "/" + bitmap.reference);
        }
    return names;
}

std::string officialArchive(const char* name) {
    return (testcasesDir() + u'/' + QString::fromUtf8(name)).toStdString();
}

} // namespace

class OfficialArchivesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.isValid()); }

    void savedArchiveIsValidAndKeepsContent_data() {
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
                    QTest::addRow("%s %s saved as %s", qPrintable(folder), qPrintable(readable), text)
                        << path << version;
            }
        }
        QVERIFY2(count == 21, "the official archives were not found where CMake said");
    }
    void savedArchiveIsValidAndKeepsContent() {
        QFETCH(QString, archive);
        QFETCH(BcfVersion, version);
        BcfData data = loadArchive(archive.toStdString());
        const QString saved = dir.filePath(QStringLiteral("saved.bcf"));
        saveArchive(saved.toStdString(), data, version);

        // Every entry that is not a payload is XML from our writers: validate it against the
        // schema its root element calls for, in the version written.
        ZipArchive written;
        written.load(saved.toStdString());
        const std::set<std::string> payloads = payloadEntries(data, version);
        const std::string extensions = extensionsEntryName(data, version);
        QMap<QString, QStringList> filesBySchema;
        int index = 0;
        for (const ZipEntryInfo& entry : written.entries()) {
            if (payloads.contains(entry.filename))
                continue;
            const std::string bytes = written.read(entry.filename).value_or(std::string());
            pugi::xml_document document;
            QVERIFY2(parseXml(document, bytes), entry.filename.c_str());
            const QString root = QString::fromUtf8(document.document_element().name());
            const QString schema = schemaFor(root, version);
            // 2.1's extensions schema is a sample xmllint cannot load: well-formedness only.
            const bool wellFormedOnly = version == BcfVersion::V2_1 && entry.filename == extensions;
            QVERIFY2(!schema.isEmpty() || wellFormedOnly,
                     qPrintable(QStringLiteral("unexpected entry %1 (%2)")
                                    .arg(QString::fromStdString(entry.filename), root)));
            // Named after the entry so that xmllint's messages say which one failed.
            const QString file = dir.filePath(QStringLiteral("%1-%2").arg(++index).arg(
                QString::fromStdString(entry.filename).replace(u'/', u'_')));
            QVERIFY(writeFile(file, bytes));
            filesBySchema[wellFormedOnly ? QString() : schema] << file;
        }
        for (auto it = filesBySchema.cbegin(); it != filesBySchema.cend(); ++it) {
            const XmlLintResult result = xmllint(it.value(), it.key());
            QVERIFY2(result.ok, qPrintable(result.output));
        }

        // The saved model holds every payload now; what it models must come back.
        BcfData reloaded = loadArchive(saved.toStdString());
        fetchAllPayloads(reloaded);
        clearSourceFolders(reloaded);
        const BcfData expected = expectedAfterSave(data, version, reloaded);
        QVERIFY2(reloaded == expected, modelDifference(reloaded, expected).constData());
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
