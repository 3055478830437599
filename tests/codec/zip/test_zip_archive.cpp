// Archive layer and whole-archive loading against broken, hostile and unusual ZIP files.
#include "codec/archive.h"
#include "codec/bcf_error.h"
#include "codec/payloads.h"
#include "codec/zip/zip_archive.h"

#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>

using namespace bcf;

namespace {

const std::string kBroken = BCF_BROKEN_DIR;
const std::string kOfficial = std::string(BCF_TESTCASES_DIR) + "/2.1/Markup_MaximumInformation.bcf";

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

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
    void brokenArchivesFailCleanly_data();
    void brokenArchivesFailCleanly();
    void hostileNamesReadSafely();
    void duplicateTopicGuidsCannotBeSaved();
    void zipBombIsRefusedAndCanBeRetried();
    void expansionBombsAreRefused_data();
    void expansionBombsAreRefused();
    void sharedSnapshotIsHeldOnce();
    void writtenEntriesReadBack();
    void compressedPayloadsAreStored_data();
    void compressedPayloadsAreStored();
    void unsafeNamesAreRefused_data();
    void unsafeNamesAreRefused();
    void lookupIsExact();
    void archiveCommentIsIgnored();
    void failedSaveLeavesTargetIntact();
    void savingOverTheLoadedFileWorks();
};

void TestZipArchive::brokenArchivesFailCleanly_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty file") << "empty.bcf"
                                << "bad zip";
    QTest::newRow("random bytes") << "random-bytes.bcf"
                                  << "didn't find end of central directory signature";
    QTest::newRow("truncated zip") << "truncated.bcf"
                                   << "didn't find end of central directory signature";
    QTest::newRow("central directory cut short") << "cut-central-directory.bcf"
                                                 << "bad zip";
    QTest::newRow("no bcf.version") << "no-version.bcf"
                                    << "not a BCF archive";
    QTest::newRow("BCF 2.0") << "version-2.0.bcf"
                             << "unsupported BCF version 2.0";
    QTest::newRow("unknown version") << "version-unknown.bcf"
                                     << "unrecognised BCF version \"4.0\"";
    QTest::newRow("malformed markup") << "malformed-markup.bcf"
                                      << "malformed XML";
    QTest::newRow("malformed project") << "malformed-project.bcf"
                                       << "malformed XML";
    QTest::newRow("CRC mismatch") << "crc-mismatch.bcf"
                                  << "file couldn't be read";
    QTest::newRow("size that lies") << "size-lie.bcf"
                                    << "file couldn't be read";
    QTest::newRow("missing file") << "no-such-file.bcf"
                                  << "bad zip";
    QTest::newRow("a directory") << "."
                                 << "bad zip";
}

void TestZipArchive::brokenArchivesFailCleanly() {
    QFETCH(QString, file);
    QFETCH(QString, reason);
    // A good archive is current before the failed load and must stay so.
    const BcfData good = loadArchive(kOfficial);
    const std::string guid = good.markups.front().topic.guid;
    const std::string markupBefore = readArchiveEntry(guid + "/markup.bcf");
    QVERIFY(!markupBefore.empty());

    const std::string path = kBroken + "/" + file.toStdString();
    QCOMPARE(QString::fromStdString(reasonOf([&] { loadArchive(path); })), reason);
    QCOMPARE(readArchiveEntry(guid + "/markup.bcf"), markupBefore);
}

void TestZipArchive::hostileNamesReadSafely() {
    // Names with "../" or a leading "/" are only compared, never used as paths.
    const BcfData data = loadArchive(kBroken + "/hostile-names.bcf");
    QCOMPARE(data.markups.size(), std::size_t(2));
    QCOMPARE(data.markups[0].sourceFolder.value(), std::string("../evil/"));
    QCOMPARE(data.markups[1].sourceFolder.value(), std::string("/absolute/"));

    const BcfData duplicates = loadArchive(kBroken + "/duplicate-names.bcf");
    QCOMPARE(duplicates.markups.size(), std::size_t(2));
    QCOMPARE(duplicates.markups[0].topic, duplicates.markups[1].topic);
}

void TestZipArchive::duplicateTopicGuidsCannotBeSaved() {
    BcfData data = loadArchive(kBroken + "/duplicate-topic-guids.bcf");
    QCOMPARE(data.markups.size(), std::size_t(2));
    QTemporaryDir dir;
    const std::string target = dir.filePath(QStringLiteral("out.bcf")).toStdString();
    writeFile(target, "previous content");
    QCOMPARE(reasonOf([&] { saveArchive(target, data, BcfVersion::V3_0); }),
             std::string("duplicate topic GUID"));
    QCOMPARE(fileBytes(target), std::string("previous content"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
}

void TestZipArchive::zipBombIsRefusedAndCanBeRetried() {
    for (const char* file : {"zip-bomb.bcf", "zip-bomb-lying-size.bcf"}) {
        BcfData data = loadArchive(kBroken + "/" + file);
        Markup& markup = data.markups.front();
        ViewPoint& viewPoint = markup.viewPoints.front();
        QCOMPARE(reasonOf([&] { fetchSnapshot(markup, viewPoint); }), std::string("file couldn't be read"));
        QCOMPARE(viewPoint.snapshotLoaded, 0);
        QVERIFY(viewPoint.snapshotData.empty());
    }
}

// Small archives that expand beyond what one archive may cost in all: 250 MB of empty elements
// in one markup file, and three snapshots of 185 MB each, every one of them within the entry cap.
void TestZipArchive::expansionBombsAreRefused_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("unit");
    QTest::addColumn<int>("copies");
    QTest::newRow("markup of empty elements") << "t/markup.bcf" << QByteArray("<a/>") << 1;
    QTest::newRow("three snapshots") << "t/s%1.png" << QByteArray(1, '\0') << 3;
}

void TestZipArchive::expansionBombsAreRefused() {
    QFETCH(QString, entry);
    QFETCH(QByteArray, unit);
    QFETCH(int, copies);
    const std::string limit = "archive too large to open (limit 512 MiB)";
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("bomb.bcf")).toStdString();
    {
        const std::size_t size = copies == 1 ? 250'000'000 : 185'000'000;
        const std::string bytes =
            QByteArray(unit).repeated(static_cast<qsizetype>(size / unit.size())).toStdString();
        ZipArchive out;
        out.writeEntry("bcf.version", "<Version VersionId=\"2.1\"/>");
        std::string viewpoints;
        for (int i = 0; i < copies; ++i)
            viewpoints += "<Viewpoints Guid=\"v" + std::to_string(i) + "\"><Snapshot>s" + std::to_string(i) +
                          ".png</Snapshot></Viewpoints>";
        if (copies > 1)
            out.writeEntry("t/markup.bcf", "<Markup><Topic Guid=\"t\"/>" + viewpoints + "</Markup>");
        for (int i = 0; i < copies; ++i)
            out.writeEntryRef(entry.arg(i).toStdString(), bytes);
        out.save(path);
    }
    QVERIFY(std::filesystem::file_size(path) < 1'000'000);
    if (copies == 1) {
        QCOMPARE(reasonOf([&] { loadArchive(path); }), limit);
        return;
    }
    BcfData data = loadArchive(path);
    Markup& markup = data.markups.front();
    for (int i = 0; i < copies; ++i) {
        ViewPoint& viewPoint = markup.viewPoints[static_cast<std::size_t>(i)];
        const std::string reason = reasonOf([&] { fetchSnapshot(markup, viewPoint); });
        viewPoint.snapshotData.clear(); // what was fetched before still counts
        QCOMPARE(reason, i + 1 < copies ? std::string() : limit);
    }
}

// Viewpoints that name one image hold one buffer, extracted and counted once.
void TestZipArchive::sharedSnapshotIsHeldOnce() {
    BcfData data = loadArchive(kBroken + "/../regressions/shared-snapshot-2.1.bcf");
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

void TestZipArchive::writtenEntriesReadBack() {
    ZipArchive out;
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary.push_back(static_cast<char>(i));
    out.writeEntry("bcf.version", "<Version/>");
    out.writeEntry("topic/markup.bcf", "<Markup/>");
    out.writeEntry("topic/empty.png", "");
    out.writeEntry("topic/binary.png", binary);
    out.writeEntry("caf\xc3\xa9.txt", "utf-8 name");

    ZipArchive in;
    in.loadBytes(out.finish(), "memory");
    std::vector<std::string> names;
    for (const ZipEntryInfo& entry : in.entries())
        names.push_back(entry.filename);
    // Entries appear in write order, exactly as named, with no folder entries.
    QCOMPARE(names, (std::vector<std::string>{"bcf.version", "topic/markup.bcf", "topic/empty.png",
                                              "topic/binary.png", "caf\xc3\xa9.txt"}));
    QCOMPARE(in.read("topic/binary.png").value(), binary);
    QCOMPARE(in.read("topic/empty.png").value(), std::string());
    QCOMPARE(in.read("caf\xc3\xa9.txt").value(), std::string("utf-8 name"));
    QVERIFY(!in.read("topic").has_value());
}

void TestZipArchive::compressedPayloadsAreStored_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("stored");
    QByteArray noise(8192, 0);
    for (char& c : noise)
        c = char(QRandomGenerator::global()->generate());
    const QByteArray text =
        QByteArray("<Markup><Topic Guid=\"x\"><Title>a title</Title></Topic></Markup>\n").repeated(100);
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n") + text << true;
    QTest::newRow("PDF") << QByteArray("%PDF-1.7\n") + text << true;
    QTest::newRow("random bytes of unknown kind") << noise << true;
    QTest::newRow("XML") << text << false;
}

void TestZipArchive::compressedPayloadsAreStored() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, stored);
    ZipArchive out;
    out.writeEntry("payload", bytes.toStdString());
    ZipArchive in;
    in.loadBytes(out.finish(), "memory");
    const ZipEntryInfo entry = in.entries().at(0);
    QCOMPARE(entry.compressedSize == entry.uncompressedSize, stored);
    QCOMPARE(in.read("payload").value(), bytes.toStdString());
}

void TestZipArchive::unsafeNamesAreRefused_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("withBytes");
    QTest::newRow("empty") << QByteArray("") << true;
    QTest::newRow("absolute") << QByteArray("/etc/markup.bcf") << true;
    QTest::newRow("parent folder") << QByteArray("a/../../markup.bcf") << true;
    QTest::newRow("dot folder") << QByteArray("./markup.bcf") << true;
    QTest::newRow("empty part") << QByteArray("a//markup.bcf") << true;
    QTest::newRow("drive letter") << QByteArray("C:markup.bcf") << true;
    QTest::newRow("backslash") << QByteArray("a\\markup.bcf") << true;
    QTest::newRow("folder entry with content") << QByteArray("documents/") << true;
}

void TestZipArchive::unsafeNamesAreRefused() {
    QFETCH(QByteArray, name);
    QFETCH(bool, withBytes);
    ZipArchive out;
    QCOMPARE(reasonOf([&] { out.writeEntry(name.toStdString(), withBytes ? "x" : ""); }),
             std::string("write error"));
    out.writeEntry("bcf.version", "x");
    QCOMPARE(reasonOf([&] { out.writeEntry("bcf.version", "y"); }), std::string("write error"));
}

void TestZipArchive::lookupIsExact() {
    loadArchive(kOfficial);
    QVERIFY(!readArchiveEntry("bcf.version").empty());
    QVERIFY(readArchiveEntry("BCF.version").empty());
    QVERIFY(readArchiveEntry("./bcf.version").empty());
    QVERIFY(readArchiveEntry("\\bcf.version").empty());
    QVERIFY(readArchiveEntry(std::string("bcf.version\0x", 13)).empty());
}

void TestZipArchive::archiveCommentIsIgnored() {
    ZipArchive out;
    out.writeEntry("bcf.version", "<?xml version=\"1.0\"?>\n<Version VersionId=\"3.0\" />\n");
    std::string bytes = out.finish();
    const std::string comment = "written by a tool that leaves comments";
    bytes[bytes.size() - 2] = static_cast<char>(comment.size());
    bytes += comment;
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("comment.bcf")).toStdString();
    writeFile(path, bytes);
    BcfData data = loadArchive(path);
    QCOMPARE(data.version, BcfVersion::V3_0);
    const std::string saved = dir.filePath(QStringLiteral("saved.bcf")).toStdString();
    saveArchive(saved, data, BcfVersion::V3_0);
    QVERIFY(fileBytes(saved).find(comment) == std::string::npos);
}

void TestZipArchive::failedSaveLeavesTargetIntact() {
    BcfData data = loadArchive(kOfficial);
    QTemporaryDir dir;
    // A folder that does not exist, and a target that is a folder.
    QCOMPARE(reasonOf([&] {
                 saveArchive(dir.filePath(QStringLiteral("missing/out.bcf")).toStdString(), data,
                             BcfVersion::V2_1);
             }),
             std::string("write error"));
    QCOMPARE(reasonOf([&] { saveArchive(dir.path().toStdString(), data, BcfVersion::V2_1); }),
             std::string("write error"));
    // A model that no version can be written for.
    const std::string target = dir.filePath(QStringLiteral("keep.bcf")).toStdString();
    writeFile(target, "previous content");
    BcfData fresh;
    QCOMPARE(reasonOf([&] { saveArchive(target, fresh, fresh.version); }), std::string("write error"));
    QCOMPARE(fileBytes(target), std::string("previous content"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
}

void TestZipArchive::savingOverTheLoadedFileWorks() {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("same.bcf")).toStdString();
    std::filesystem::copy_file(kOfficial, path);
    BcfData data = loadArchive(path);
    saveArchive(path, data, BcfVersion::V3_0);
    BcfData again = loadArchive(path);
    QCOMPARE(again.version, BcfVersion::V3_0);
    QCOMPARE(again.markups.size(), data.markups.size());
    for (std::size_t i = 0; i < data.markups.size(); ++i)
        for (std::size_t k = 0; k < data.markups[i].viewPoints.size(); ++k) {
            fetchSnapshot(again.markups[i], again.markups[i].viewPoints[k]);
            QCOMPARE(again.markups[i].viewPoints[k].snapshotData, data.markups[i].viewPoints[k].snapshotData);
        }
}

QTEST_GUILESS_MAIN(TestZipArchive)
#include "test_zip_archive.moc"
