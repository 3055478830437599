// The archive layer: entries written and read back, unsafe names, size limits, shared payloads,
// and loads that fail without disturbing the archive loaded before (their messages: tool goldens).
#include "../test_support.h"

#include "codec/archive.h"
#include "codec/bcf_error.h"
#include "codec/payloads.h"
#include "codec/zip/zip_archive.h"

#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>

using namespace bcf;
using namespace bcf::test;

namespace {

const std::string kOfficial =
    (testcasesDir() + QStringLiteral("/2.1/Markup_MaximumInformation.bcf")).toStdString();
const std::string kBroken = (dataDir() + QStringLiteral("/broken/")).toStdString();

// The reason of the BcfError that `action` throws, or "" when it throws nothing.
template <typename Action> std::string reasonOf(Action action) {
    try {
        action();
    } catch (const BcfError& error) {
        return error.reason();
    }
    return {};
}

} // namespace

class TestZipArchive : public QObject {
    Q_OBJECT

private slots:
    void failedLoadKeepsCurrentArchive() {
        const std::string markup = loadArchive(kOfficial).markups.front().topic.guid + "/markup.bcf";
        const std::string before = readArchiveEntry(markup);
        QVERIFY(!before.empty());
        for (const char* file : {"empty", "random-bytes", "truncated", "cut-central-directory", "no-version",
                                 "version-2.0", "version-unknown", "malformed-markup", "malformed-project",
                                 "crc-mismatch", "size-lie", "no-such-file", "."}) {
            QVERIFY2(!reasonOf([&] { loadArchive(kBroken + file + (*file == '.' ? "" : ".bcf")); }).empty(),
                     file);
            QCOMPARE(readArchiveEntry(markup), before);
        }
    }

    // Names with "../" or a leading "/" are only compared, never used as paths.
    void hostileNamesAreOnlyCompared() {
        const BcfData data = loadArchive(kBroken + "hostile-names.bcf");
        QCOMPARE(data.markups.size(), std::size_t(2));
        QCOMPARE(data.markups[0].sourceFolder.value(), std::string("../evil/"));
        QCOMPARE(data.markups[1].sourceFolder.value(), std::string("/absolute/"));
    }

    // `kind`: "stored" or "deflated" as written, "" either, or the error that refuses the name.
    void writtenEntryReadsBack_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("kind");
        QByteArray noise(8192, 0);
        for (char& c : noise)
            c = char(QRandomGenerator::global()->generate());
        const QByteArray xml =
            QByteArray("<Markup><Topic Guid=\"x\"><Title>a title</Title></Topic></Markup>\n").repeated(100);
        const QString refused = QStringLiteral("write error");
        QTest::newRow("XML deflated") << QByteArray("t/markup.bcf") << xml << QStringLiteral("deflated");
        QTest::newRow("PNG stored") << QByteArray("t/s.png") << "\x89PNG\r\n\x1a\n" + xml
                                    << QStringLiteral("stored");
        QTest::newRow("PDF stored") << QByteArray("a.pdf") << "%PDF-1.7\n" + xml << QStringLiteral("stored");
        QTest::newRow("random bytes stored") << QByteArray("x") << noise << QStringLiteral("stored");
        QTest::newRow("empty entry") << QByteArray("t/empty.png") << QByteArray() << QString();
        QTest::newRow("UTF-8 name") << QByteArray("caf\xc3\xa9.txt") << QByteArray("utf-8") << QString();
        for (const char* name : {"", "/etc/markup.bcf", "a/../../markup.bcf", "./markup.bcf", "a//markup.bcf",
                                 "C:markup.bcf", "a\\markup.bcf", "documents/", "bcf.version"})
            QTest::addRow("name '%s' refused", name) << QByteArray(name) << QByteArray("x") << refused;
    }
    void writtenEntryReadsBack() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, kind);
        ZipArchive out;
        out.writeEntry("bcf.version", "<Version/>");
        const std::string reason = reasonOf([&] { out.writeEntry(name.toStdString(), bytes.toStdString()); });
        QCOMPARE(QString::fromStdString(reason), kind == QStringLiteral("write error") ? kind : QString());
        // Entries come back in write order, exactly as named, with no folder entries.
        ZipArchive in;
        in.loadBytes(out.finish(), "memory");
        const std::vector<ZipEntryInfo> entries = in.entries();
        QCOMPARE(entries.size(), std::size_t(reason.empty() ? 2 : 1));
        QCOMPARE(entries.front().filename + in.read("bcf.version").value(),
                 std::string("bcf.version<Version/>"));
        QVERIFY(!in.read("t").has_value());
        if (!reason.empty())
            return;
        QCOMPARE(entries.back().filename, name.toStdString());
        QCOMPARE(in.read(name.toStdString()).value(), bytes.toStdString());
        const bool stored = entries.back().compressedSize == entries.back().uncompressedSize;
        QVERIFY(kind.isEmpty() || kind == (stored ? QStringLiteral("stored") : QStringLiteral("deflated")));
    }

    void lookupIsExact() {
        loadArchive(kOfficial);
        QVERIFY(!readArchiveEntry("bcf.version").empty());
        for (const std::string name : {"BCF.version", "./bcf.version", "\\bcf.version", "bcf.version/"})
            QVERIFY2(readArchiveEntry(name).empty(), name.c_str());
        QVERIFY(readArchiveEntry(std::string("bcf.version\0x", 13)).empty());
    }

    void archiveCommentIsIgnoredAndDropped() {
        ZipArchive out;
        out.writeEntry("bcf.version", "<?xml version=\"1.0\"?>\n<Version VersionId=\"3.0\" />\n");
        std::string bytes = out.finish();
        const std::string comment = "written by a tool that leaves comments";
        bytes[bytes.size() - 2] = static_cast<char>(comment.size());
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("comment.bcf")).toStdString();
        QVERIFY(writeFile(QString::fromStdString(path), bytes + comment));
        BcfData data = loadArchive(path);
        QCOMPARE(data.version, BcfVersion::V3_0);
        saveArchive(path, data, BcfVersion::V3_0);
        QVERIFY(readFile(QString::fromStdString(path)).find(comment) == std::string::npos);
        // A model that no version can be written for is refused, the file kept.
        BcfData fresh;
        QCOMPARE(reasonOf([&] { saveArchive(path, fresh, fresh.version); }), std::string("write error"));
        QCOMPARE(loadArchive(path).version, BcfVersion::V3_0);
    }

    // Small archives that expand beyond what one archive may cost in all: 250 MB of empty elements
    // in one markup file, and three snapshots of 185 MB each, every one of them within the entry cap.
    void expansionBombsAreRefused() {
        const std::string limit = "archive too large to open (limit 512 MiB)";
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("bomb.bcf")).toStdString();
        const std::string elements = QByteArray("<a/>").repeated(62'500'000).toStdString();
        ZipArchive markupBomb;
        markupBomb.writeEntry("bcf.version", "<Version VersionId=\"2.1\"/>");
        markupBomb.writeEntryRef("t/markup.bcf", elements);
        markupBomb.save(path);
        QCOMPARE(reasonOf([&] { loadArchive(path); }), limit);

        const std::string zeros(185'000'000, '\0');
        ZipArchive snapshotBomb;
        snapshotBomb.writeEntry("bcf.version", "<Version VersionId=\"2.1\"/>");
        std::string markup = "<Markup><Topic Guid=\"t\"/>";
        for (const std::string i : {"0", "1", "2"}) {
            markup += "<Viewpoints Guid=\"v" + i + "\"><Snapshot>s" + i + ".png</Snapshot></Viewpoints>";
            snapshotBomb.writeEntryRef("t/s" + i + ".png", zeros);
        }
        snapshotBomb.writeEntry("t/markup.bcf", markup + "</Markup>");
        snapshotBomb.save(path);
        QVERIFY(std::filesystem::file_size(path) < 1'000'000);
        BcfData data = loadArchive(path);
        QCOMPARE(data.markups.front().viewPoints.size(), std::size_t(3));
        for (ViewPoint& viewPoint : data.markups.front().viewPoints) {
            const std::string reason = reasonOf([&] { fetchSnapshot(data.markups.front(), viewPoint); });
            viewPoint.snapshotData.clear(); // what was fetched before still counts
            QCOMPARE(reason, &viewPoint == &data.markups.front().viewPoints.back() ? limit : std::string());
        }
    }

    // Viewpoints that name one image hold one buffer, extracted and counted once.
    void sharedSnapshotIsHeldOnce() {
        BcfData data = loadArchive(kBroken + "../regressions/shared-snapshot-2.1.bcf");
        Markup& markup = data.markups.front();
        QCOMPARE(markup.viewPoints.size(), std::size_t(20));
        for (ViewPoint& viewPoint : markup.viewPoints)
            fetchSnapshot(markup, viewPoint);
        const SharedBytes& first = markup.viewPoints.front().snapshotData;
        QCOMPARE(first.size(), std::size_t(4104));
        for (const ViewPoint& viewPoint : markup.viewPoints)
            QVERIFY(viewPoint.snapshotData.sharesBufferWith(first));
        QVERIFY(currentArchive().budget().used() < 2 * first.size() + 4096);
    }
};

QTEST_GUILESS_MAIN(TestZipArchive)
#include "test_zip_archive.moc"
