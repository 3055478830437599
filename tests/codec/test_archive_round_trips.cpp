// Whole models saved to real archive files and loaded back, in both versions and across them.
#include "test_support.h"

#include "codec/archive.h"
#include "codec/bcf_error.h"
#include "codec/zip/zip_archive.h"

#include <QTemporaryDir>
#include <QTest>

using namespace bcf;
using namespace bcf::test;

Q_DECLARE_METATYPE(bcf::BcfVersion)
Q_DECLARE_METATYPE(bcf::BcfData)

namespace {

QByteArray joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += name + "\n";
    return QByteArray::fromStdString(text);
}

bool allPayloadsHeld(const BcfData& data) {
    for (const Markup& markup : data.markups)
        for (const ViewPoint& viewPoint : markup.viewPoints)
            if (viewPoint.snapshotLoaded != 1 || viewPoint.visualizationLoaded != 1)
                return false;
    for (const DocumentInfo& document : data.documents)
        if (document.dataLoaded != 1)
            return false;
    return true;
}

bool noPayloadHeld(const BcfData& data) {
    for (const Markup& markup : data.markups)
        for (const ViewPoint& viewPoint : markup.viewPoints)
            if (viewPoint.snapshotLoaded != 0 || viewPoint.visualizationLoaded != 0)
                return false;
    for (const DocumentInfo& document : data.documents)
        if (document.dataLoaded != 0)
            return false;
    return true;
}

} // namespace

class ArchiveRoundTripsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.isValid()); }

    // The model is saved in each version of `path` in turn and loaded back after each save; the
    // loaded model is saved next without fetching anything first, as the main window does.
    void savedModelLoadsBack_data() {
        QTest::addColumn<BcfVersion>("built");
        QTest::addColumn<QList<BcfVersion>>("path");
        const BcfVersion v21 = BcfVersion::V2_1;
        const BcfVersion v30 = BcfVersion::V3_0;
        QTest::newRow("2.1 saved as 2.1") << v21 << QList<BcfVersion>{v21};
        QTest::newRow("3.0 saved as 3.0") << v30 << QList<BcfVersion>{v30};
        QTest::newRow("2.1 saved as 3.0") << v21 << QList<BcfVersion>{v30};
        QTest::newRow("3.0 saved as 2.1") << v30 << QList<BcfVersion>{v21};
        QTest::newRow("2.1 through 3.0 back to 2.1") << v21 << QList<BcfVersion>{v30, v21};
        QTest::newRow("3.0 through 2.1 back to 3.0") << v30 << QList<BcfVersion>{v21, v30};
        QTest::newRow("3.0 saved twice as 3.0") << v30 << QList<BcfVersion>{v30, v30};
    }
    void savedModelLoadsBack() {
        QFETCH(BcfVersion, built);
        QFETCH(QList<BcfVersion>, path);
        BcfData data = sampleModel(built);
        BcfData expected = data;
        int step = 0;
        for (BcfVersion version : path) {
            const std::string file = dir.filePath(QStringLiteral("step%1.bcf").arg(++step)).toStdString();
            const BcfVersion loadedVersion = data.version;
            saveArchive(file, data, version);
            QVERIFY2(allPayloadsHeld(data), "a save leaves every payload in the model");
            QCOMPARE(data.version, loadedVersion);

            BcfData loaded = loadArchive(file);
            QVERIFY(noPayloadHeld(loaded));
            BcfData fetched = loaded;
            fetchAllPayloads(fetched);
            clearSourceFolders(fetched);
            expected = expectedAfterSave(expected, version, fetched);
            QVERIFY2(fetched == expected, modelDifference(fetched, expected).constData());
            data = std::move(loaded);
        }
    }

    // 3.0 stores a document under its GUID: documents from 2.1 get new, distinct, lower-case ones.
    void documentsFromTwoOneGetGuids() {
        BcfData data = sampleModel(BcfVersion::V2_1);
        const std::string file = dir.filePath(QStringLiteral("documents.bcf")).toStdString();
        saveArchive(file, data, BcfVersion::V3_0);
        const BcfData loaded = loadArchive(file);
        QCOMPARE(loaded.documents.size(), std::size_t(2));
        for (const DocumentInfo& document : loaded.documents) {
            QCOMPARE(document.guid.size(), std::size_t(36));
            QVERIFY(std::none_of(document.guid.begin(), document.guid.end(),
                                 [](char c) { return c >= 'A' && c <= 'Z'; }));
        }
        QVERIFY(loaded.documents[0].guid != loaded.documents[1].guid);
    }

    // 2.1 keeps documents at the root under their file names: names that 3.0 documents share,
    // or that BCF's own files use, must not collide there.
    void documentNamesStayDistinctInTwoOne_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two documents named alike")
            << QStringList{"report.pdf", "report.pdf", "report.pdf"}
            << QStringList{"report.pdf", "report (2).pdf", "report (3).pdf"};
        QTest::newRow("same name in different folders")
            << QStringList{"a/notes.txt", "b/notes.txt"} << QStringList{"notes.txt", "notes (2).txt"};
        QTest::newRow("names without extension")
            << QStringList{"README", "README"} << QStringList{"README", "README (2)"};
        QTest::newRow("names of the archive's own files")
            << QStringList{"project.bcfp", "bcf.version", "extensions.xml", "extensions.xsd"}
            << QStringList{"project (2).bcfp", "bcf (2).version", "extensions.xml", "extensions (2).xsd"};
        QTest::newRow("name a reader takes for a markup file")
            << QStringList{"markup.bcf", "old-markup.bcf"}
            << QStringList{"markup (2).bcf", "old-markup (2).bcf"};
    }
    void documentNamesStayDistinctInTwoOne() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, expected);
        BcfData data = sampleModel(BcfVersion::V3_0);
        data.markups.clear();
        data.documents.clear();
        for (qsizetype i = 0; i < names.size(); ++i)
            data.documents.push_back(DocumentInfo{"d0c0ffee-0000-4000-8000-00000000000" + std::to_string(i),
                                                  names[i].toStdString(),
                                                  1,
                                                  "bytes " + std::to_string(i),
                                                  {}});
        const std::string file = dir.filePath(QStringLiteral("names.bcf")).toStdString();
        saveArchive(file, data, BcfVersion::V2_1);
        BcfData loaded = loadArchive(file);
        fetchAllPayloads(loaded);
        QStringList actual;
        for (const DocumentInfo& document : loaded.documents)
            actual << QString::fromStdString(document.filename);
        QCOMPARE(actual, expected);
        for (std::size_t i = 0; i < loaded.documents.size(); ++i)
            QCOMPARE(loaded.documents[i].data, "bytes " + std::to_string(i));
    }

    void entriesInWritingOrder_data() {
        QTest::addColumn<BcfData>("data");
        QTest::addColumn<BcfVersion>("version");
        QTest::addColumn<QByteArray>("expected");
        BcfData empty;
        empty.projectId = "f0e1d2c3-b4a5-4697-8877-665544332211";
        QTest::newRow("empty model as 2.1")
            << empty << BcfVersion::V2_1 << QByteArray("bcf.version\nproject.bcfp\nextensions.xml\n");
        QTest::newRow("empty model as 3.0")
            << empty << BcfVersion::V3_0
            << QByteArray("bcf.version\nproject.bcfp\nextensions.xml\ndocuments.xml\n");
        QTest::newRow("3.0 without project id has no project file")
            << BcfData() << BcfVersion::V3_0 << QByteArray("bcf.version\nextensions.xml\ndocuments.xml\n");
        const std::string topic = fullMarkup().topic.guid + "/";
        const std::string minimal = minimalMarkup().topic.guid + "/";
        const std::string topics =
            topic + "markup.bcf\n" + topic + "viewpoint.bcfv\n" + topic + "bitmap.png\n" + topic +
            "snapshot.png\n" + topic + "7c3d2e1f-4a5b-4c6d-8e9f-a0b1c2d3e4f5.bcfv\n" + topic +
            "7c3d2e1f-4a5b-4c6d-8e9f-a0b1c2d3e4f5.png\n" + topic + "snippet.ifc\n" + minimal + "markup.bcf\n";
        QTest::newRow("sample as 2.1")
            << sampleModel(BcfVersion::V2_1) << BcfVersion::V2_1
            << QByteArray::fromStdString(
                   "bcf.version\nproject.bcfp\nextensions.xml\nreport.txt\ndrawing.pdf\n" + topics);
        QTest::newRow("sample as 3.0")
            << sampleModel(BcfVersion::V3_0) << BcfVersion::V3_0
            << QByteArray::fromStdString("bcf.version\nproject.bcfp\nextensions.xml\ndocuments.xml\n"
                                         "documents/d0c0ffee-0000-4000-8000-000000000001\n"
                                         "documents/d0c0ffee-0000-4000-8000-000000000002\n" +
                                         topics);
    }
    void entriesInWritingOrder() {
        QFETCH(BcfData, data);
        QFETCH(BcfVersion, version);
        QFETCH(QByteArray, expected);
        const std::string file = dir.filePath(QStringLiteral("entries.bcf")).toStdString();
        saveArchive(file, data, version);
        const QByteArray actual = joined(entryNames(file));
        QVERIFY2(actual == expected,
                 qPrintable(firstDifference(actual.toStdString(), expected.toStdString())));
    }

    // Once saved, a model holds every payload: it saves again after another archive was loaded.
    void secondSaveNeedsNoCurrentArchive() {
        BcfData original = sampleModel(BcfVersion::V3_0);
        const std::string first = dir.filePath(QStringLiteral("first.bcf")).toStdString();
        saveArchive(first, original, BcfVersion::V3_0);
        BcfData data = loadArchive(first);
        const std::string second = dir.filePath(QStringLiteral("second.bcf")).toStdString();
        saveArchive(second, data, BcfVersion::V3_0);
        loadArchive(second);

        BcfData unrelated;
        unrelated.projectId = "aaaaaaaa-0000-4000-8000-000000000000";
        const std::string other = dir.filePath(QStringLiteral("other.bcf")).toStdString();
        saveArchive(other, unrelated, BcfVersion::V3_0);
        loadArchive(other); // the current archive no longer holds any of data's payloads

        const std::string third = dir.filePath(QStringLiteral("third.bcf")).toStdString();
        saveArchive(third, data, BcfVersion::V3_0);
        QCOMPARE(joined(entryNames(third)), joined(entryNames(second)));
        BcfData reloaded = loadArchive(third);
        fetchAllPayloads(reloaded);
        clearSourceFolders(reloaded);
        const BcfData expected = expectedAfterSave(original, BcfVersion::V3_0, reloaded);
        QVERIFY2(reloaded == expected, modelDifference(reloaded, expected).constData());
    }

    // The loaded file stays in memory, so the model can be saved over it.
    void saveOverTheLoadedFile() {
        BcfData original = sampleModel(BcfVersion::V2_1);
        const std::string file = dir.filePath(QStringLiteral("same.bcf")).toStdString();
        saveArchive(file, original, BcfVersion::V2_1);
        BcfData data = loadArchive(file);
        saveArchive(file, data, BcfVersion::V3_0);
        BcfData reloaded = loadArchive(file);
        QCOMPARE(reloaded.version, BcfVersion::V3_0);
        fetchAllPayloads(reloaded);
        clearSourceFolders(reloaded);
        const BcfData expected = expectedAfterSave(expectedAfterSave(original, BcfVersion::V2_1, reloaded),
                                                   BcfVersion::V3_0, reloaded);
        QVERIFY2(reloaded == expected, modelDifference(reloaded, expected).constData());
    }

    // Archives of past findings: loaded, saved, loaded again with the same topics and documents
    // (exactly the same model where `exact`), saved once more; `notes` are what the save reports.
    void regressionArchivesLoadBack_data() {
        QTest::addColumn<QString>("file"); // below tests/data/regressions
        QTest::addColumn<BcfVersion>("to");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<int>("documents"); // after loading back; -1: as many as before
        const BcfVersion v21 = BcfVersion::V2_1;
        const BcfVersion v30 = BcfVersion::V3_0;
        const QString noBytes = QStringLiteral("documents without content left out");
        QTest::newRow("carriage returns, tabs, blank texts in 2.1")
            << "text-exact-2.1.bcf" << v21 << true << QStringList() << -1;
        QTest::newRow("carriage returns, tabs, blank texts in 3.0")
            << "text-exact-3.0.bcf" << v30 << true << QStringList() << -1;
        QTest::newRow("extension schema named like a markup file")
            << "extension-schema-named-like-markup-2.1.bcf" << v21 << false << QStringList() << -1;
        QTest::newRow("document GUID markup.bcf without bytes, as 3.0")
            << "document-guid-markup-without-bytes-3.0.bcf" << v30 << false
            << QStringList{QStringLiteral("document GUIDs replaced (not a GUID, or another document's)"),
                           noBytes}
            << -1;
        QTest::newRow("document GUID markup.bcf without bytes, as 2.1")
            << "document-guid-markup-without-bytes-3.0.bcf" << v21 << false
            << QStringList{QStringLiteral(
                               "document GUIDs and descriptions dropped (BCF 2.1 has no documents.xml)"),
                           noBytes}
            << 0;
        for (BcfVersion to : {v21, v30})
            QTest::addRow("twenty viewpoints sharing one snapshot, as %s", to == v21 ? "2.1" : "3.0")
                << "shared-snapshot-2.1.bcf" << to << (to == v21) << QStringList() << -1;
        QTest::newRow("viewpoint named markup.bcf, snapshot outside the topic")
            << "payload-names-unusable-2.1.bcf" << v21 << false
            << QStringList{QStringLiteral("viewpoint file names that cannot be entry names replaced"),
                           QStringLiteral("snapshot file names that cannot be entry names replaced")}
            << -1;
    }
    void regressionArchivesLoadBack() {
        QFETCH(QString, file);
        QFETCH(BcfVersion, to);
        QFETCH(bool, exact);
        QFETCH(QStringList, notes);
        QFETCH(int, documents);
        BcfData data = loadArchive((dataDir() + QStringLiteral("/regressions/") + file).toStdString());
        fetchAllPayloads(data);
        const std::string saved = dir.filePath(QStringLiteral("regression.bcf")).toStdString();
        const SaveNotes saveNotes = saveArchive(saved, data, to);
        QStringList written;
        for (const SaveNote& note : saveNotes.all())
            written << QString::fromStdString(note.text);
        QVERIFY2(written == notes, qPrintable(written.join(QStringLiteral("; "))));
        BcfData again = loadArchive(saved);
        QCOMPARE(again.markups.size(), data.markups.size());
        QCOMPARE(again.documents.size(), documents < 0 ? data.documents.size() : std::size_t(documents));
        fetchAllPayloads(again);
        if (exact) {
            clearSourceFolders(data);
            clearSourceFolders(again);
            QVERIFY2(again == data, modelDifference(again, data).constData());
        }
        saveArchive(dir.filePath(QStringLiteral("again.bcf")).toStdString(), again, to);
    }

    // A save that fails leaves the destination as it was.
    void failedSaveLeavesDestination_data() {
        QTest::addColumn<BcfData>("data");
        QTest::addColumn<BcfVersion>("version");
        BcfData duplicate = sampleModel(BcfVersion::V3_0);
        duplicate.markups[1].topic.guid = duplicate.markups[0].topic.guid;
        QTest::newRow("two topics with one GUID") << duplicate << BcfVersion::V3_0;
        BcfData unnamed = sampleModel(BcfVersion::V2_1);
        unnamed.markups[0].topic.guid.clear();
        QTest::newRow("topic without GUID") << unnamed << BcfVersion::V2_1;
        QTest::newRow("save version 2.0") << sampleModel(BcfVersion::V2_1) << BcfVersion::V2_0;
    }
    void failedSaveLeavesDestination() {
        QFETCH(BcfData, data);
        QFETCH(BcfVersion, version);
        const QString path = dir.filePath(QStringLiteral("keep.bcf"));
        const std::string before = "previous content";
        QVERIFY(writeFile(path, before));
        QVERIFY_THROWS_EXCEPTION(BcfError, saveArchive(path.toStdString(), data, version));
        QCOMPARE(readFile(path), before);
    }

private:
    QTemporaryDir dir;
};

QTEST_GUILESS_MAIN(ArchiveRoundTripsTest)
#include "test_archive_round_trips.moc"
