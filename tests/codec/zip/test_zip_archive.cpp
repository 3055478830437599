// The archive layer: entries written and read back, unsafe names, what an archive may cost, and
// loads that fail without disturbing the archive loaded before.
#include "../test_support.h"
#include "codec/archive.h"
#include "codec/bcf_error.h"
#include "codec/payloads.h"
#include "codec/zip/crc32_p.h"
#include "codec/zip/zip_archive.h"
#include "codec/zip/zip_direct_p.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <zip.h>
#include <zlib.h>

using namespace bcf;
using namespace bcf::test;

namespace {

const std::string kOfficial =
    (testcasesDir() + QStringLiteral("/2.1/Markup_MaximumInformation.bcf")).toStdString();

// The reason of the BcfError that `action` throws (with `whole`, its whole message), or "" when it
// throws nothing.
template <typename Action> std::string reasonOf(Action action, bool whole = false) {
    try {
        action();
    } catch (const BcfError& error) {
        return whole ? error.what() : error.reason();
    }
    return {};
}

} // namespace

class TestZipArchive : public QObject {
    Q_OBJECT

private slots:
    // Entries are extracted straight from the file's bytes where they can be, and by libzip where
    // not: a fault in that path would only show as slower loads. Every entry of every official
    // archive must be taken by it, with libzip's bytes.
    void directExtractionTakesEveryOfficialEntry() {
        QDirIterator files(testcasesDir(), {QStringLiteral("*.bcf"), QStringLiteral("*.bcfzip")}, QDir::Files,
                           QDirIterator::Subdirectories);
        int archives = 0;
        while (files.hasNext()) {
            const std::string path = files.next().toStdString();
            const std::string file = readFile(QString::fromStdString(path));
            const std::vector<DirectEntry> directory = readCentralDirectory(file);
            int error = 0;
            zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
            QVERIFY2(zip, path.c_str());
            QCOMPARE(directory.size(), static_cast<std::size_t>(zip_get_num_entries(zip, 0)));
            for (std::size_t i = 0; i < directory.size(); ++i) {
                zip_stat_t st;
                QCOMPARE(zip_stat_index(zip, i, 0, &st), 0);
                QCOMPARE(std::string(directory[i].name), std::string(st.name));
                std::string expected(st.size, '\0');
                zip_file_t* entry = zip_fopen_index(zip, i, 0);
                QCOMPARE(zip_fread(entry, expected.data(), st.size), static_cast<zip_int64_t>(st.size));
                zip_fclose(entry);
                std::string direct(directory[i].uncompressedSize, '\0');
                QVERIFY2(extractDirect(file, directory[i], direct.data()) && direct == expected, st.name);
                QVERIFY2(extractDirect(file, directory[i], nullptr), st.name);
            }
            zip_close(zip);
            ++archives;
        }
        QVERIFY(archives > 20);
    }

    // The CRC of entries is computed by carry-less multiplication where the processor has it: it
    // must be zlib's for every length around the 16- and 64-byte blocks it folds, continued or not.
    void crcIsZlibs() {
        std::string bytes(70'000, '\0');
        std::uint32_t state = 7;
        for (char& c : bytes)
            c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
        for (const std::size_t size :
             {0, 1, 15, 16, 63, 64, 127, 128, 129, 143, 144, 191, 192, 255, 1000, 70'000})
            for (const std::uint32_t start : {0u, 0xdeadbeefu}) {
                const auto* data = reinterpret_cast<const Bytef*>(bytes.data() + 1); // unaligned
                const std::size_t n = std::min(size, bytes.size() - 1);
                QCOMPARE(crc32Update(start, data, n), static_cast<std::uint32_t>(crc32_z(start, data, n)));
            }
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
            QByteArray("<Markup><Topic><Title>a title</Title></Topic></Markup>\n").repeated(100);
        const QString refused = QStringLiteral("write error");
        const QString stored = QStringLiteral("stored");
        QTest::newRow("XML deflated") << QByteArray("t/markup.bcf") << xml << QStringLiteral("deflated");
        QTest::newRow("PNG stored") << QByteArray("t/s.png") << "\x89PNG\r\n\x1a\n" + xml << stored;
        QTest::newRow("PDF stored") << QByteArray("a.pdf") << "%PDF-1.7\n" + xml << stored;
        QTest::newRow("WebP stored") << QByteArray("s.webp") << "RIFFsizeWEBP" + xml << stored;
        QTest::newRow("random bytes stored") << QByteArray("x") << noise << stored;
        // Larger than the buffer the archive passes through on its way into the file.
        QByteArray large(3 << 20, 0);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(large.data()), large.size() / 4);
        QTest::newRow("3 MiB stored") << QByteArray("t/large.png") << large << stored;
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
        // Entries come back in write order, exactly as named, from the file saved.
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("out.bcf")).toStdString();
        out.save(path);
        int error = 0; // every local header agrees with the central directory
        if (zip_t* checked = zip_open(path.c_str(), ZIP_CHECKCONS | ZIP_RDONLY, &error))
            zip_discard(checked);
        QCOMPARE(error, 0);
        ZipArchive in;
        in.load(path);
        const std::vector<ZipEntryInfo> entries = in.entries();
        QCOMPARE(entries.size(), std::size_t(reason.empty() ? 2 : 1));
        QCOMPARE(entries.front().filename + in.read("bcf.version").value(),
                 std::string("bcf.version<Version/>"));
        // Lookups are exact: no case folding, no path normalisation, no folder entries.
        for (const std::string other : {"t", "BCF.version", "./bcf.version", "\\bcf.version", "bcf.version/"})
            QVERIFY2(!in.read(other).has_value(), other.c_str());
        QVERIFY(!in.read(std::string("bcf.version\0x", 13)).has_value());
        if (!reason.empty())
            return;
        QCOMPARE(entries.back().filename, name.toStdString());
        QCOMPARE(in.read(name.toStdString()).value(), bytes.toStdString());
        const bool stored = entries.back().compressedSize == entries.back().uncompressedSize;
        QVERIFY(kind.isEmpty() || kind == (stored ? QStringLiteral("stored") : QStringLiteral("deflated")));
    }

    // An entry of another compression method than stored or deflated comes through libzip.
    void bzip2EntryReadsBack() {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("bzip2.bcf")).toStdString();
        const std::string text = QByteArray("<Component IfcGuid=\"x\"/>\n").repeated(1000).toStdString();
        int error = 0;
        zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        QVERIFY(zip);
        const zip_int64_t index =
            zip_file_add(zip, "v.bcfv", zip_source_buffer(zip, text.data(), text.size(), 0), 0);
        QVERIFY(index >= 0 && zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_BZIP2, 0) == 0);
        QVERIFY(zip_close(zip) == 0);
        ZipArchive in;
        in.load(path);
        QCOMPARE(in.read("v.bcfv").value(), text);
        QCOMPARE(in.check("v.bcfv").value(), text.size());
        EntryBuffer buffer = in.readBuffer("v.bcfv").value(); // what the readers parse in place
        QCOMPARE(std::string(buffer.data(), buffer.size()), text);
    }

    // An entry encrypted with a password this viewer is never given is refused by name, never read as
    // its encrypted bytes; one whose local header alone claims encryption reads as libzip reads it.
    void encryptedEntryIsRefused_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("onlyLocalHeader");
        QTest::addColumn<QString>("expected");
        const QString refused = QStringLiteral("file couldn't be read: t/markup.bcf (No password provided)");
        QTest::newRow("stored") << ZIP_CM_STORE << false << refused;
        QTest::newRow("deflated") << ZIP_CM_DEFLATE << false << refused;
        QTest::newRow("only the local header says so") << ZIP_CM_STORE << true << QString();
    }
    void encryptedEntryIsRefused() {
        QFETCH(int, method);
        QFETCH(bool, onlyLocalHeader);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("locked.bcf")).toStdString();
        const std::string text = "<Markup><Topic Guid=\"t\"/></Markup>";
        int error = 0;
        zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        QVERIFY(zip);
        const zip_int64_t index =
            zip_file_add(zip, "t/markup.bcf", zip_source_buffer(zip, text.data(), text.size(), 0), 0);
        QVERIFY(index >= 0 && zip_set_file_compression(zip, zip_uint64_t(index), method, 0) == 0);
        if (!onlyLocalHeader)
            QVERIFY(zip_file_set_encryption(zip, zip_uint64_t(index), ZIP_EM_TRAD_PKWARE, "secret") == 0);
        QVERIFY(zip_close(zip) == 0);
        if (onlyLocalHeader) {
            QFile file(QString::fromStdString(path));
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(6) && file.write("\1", 1) == 1);
        }
        ZipArchive in;
        in.load(path);
        QCOMPARE(
            QString::fromStdString(reasonOf([&] { QCOMPARE(in.read("t/markup.bcf").value(), text); }, true)),
            expected);
        QCOMPARE(QString::fromStdString(reasonOf(
                     [&] {
                         EntryBuffer buffer = in.readBuffer("t/markup.bcf").value();
                         QCOMPARE(std::string(buffer.data(), buffer.size()), text);
                     },
                     true)),
                 expected);
    }

    // Names that differ only in case are two entries, each read as its own.
    void namesDifferingInCaseAreTwoEntries() {
        ZipArchive out;
        out.writeEntry("t/Snapshot.png", "upper");
        out.writeEntry("t/snapshot.png", "lower");
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("case.bcf")).toStdString();
        out.save(path);
        ZipArchive in;
        in.load(path);
        QCOMPARE(in.read("t/snapshot.png").value(), std::string("lower"));
        QCOMPARE(in.read("t/Snapshot.png").value(), std::string("upper"));
    }

    // Small archives that expand beyond what one archive may cost in all: 250 MB of empty elements
    // in one markup file, and three snapshots of 185 MB each, every one of them within the entry cap.
    void expansionBombsAreRefused() {
        const std::string limit = "archive too large to open (limit 512 MiB)";
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("bomb.bcf")).toStdString();
        const std::string elements = QByteArray("<a/>").repeated(62'500'000).toStdString();
        const std::string zeros(185'000'000, '\0');
        std::string markup = "<Markup><Topic Guid=\"t\"/>";
        ZipArchive bomb;
        bomb.writeEntry("bcf.version", "<Version VersionId=\"2.1\"/>");
        bomb.writeEntryRef("m/markup.bcf", elements);
        bomb.save(path);
        QCOMPARE(reasonOf([&] { loadArchive(path); }), limit);
        ZipArchive snapshots;
        snapshots.writeEntry("bcf.version", "<Version VersionId=\"2.1\"/>");
        for (const std::string i : {"0", "1", "2"}) {
            markup += "<Viewpoints Guid=\"v" + i + "\"><Snapshot>s" + i + ".png</Snapshot></Viewpoints>";
            snapshots.writeEntryRef("t/s" + i + ".png", zeros);
        }
        snapshots.writeEntry("t/markup.bcf", markup + "</Markup>");
        snapshots.save(path);
        QVERIFY(std::filesystem::file_size(path) < 1'000'000);
        BcfDocument document = loadArchive(path);
        BcfData& data = document.data;
        std::vector<ViewPoint>& viewPoints = data.markups.front().viewPoints;
        QCOMPARE(viewPoints.size(), std::size_t(3));
        for (ViewPoint& viewPoint : viewPoints) {
            const std::string reason =
                reasonOf([&] { fetchSnapshot(*document.archive, data.markups.front(), viewPoint); });
            viewPoint.snapshotData.clear(); // what was fetched before still counts
            QCOMPARE(reason, &viewPoint == &viewPoints.back() ? limit : std::string());
        }
    }

    // Kept files that do not fit in memory together: the save fails and writes nothing, rather
    // than leave one out.
    void saveBeyondTheBudgetWritesNothing() {
        const std::string zeros(185'000'000, '\0');
        ZipArchive in;
        in.writeEntry("bcf.version", "<Version VersionId=\"2.1\"/>");
        for (const std::string i : {"0", "1", "2"})
            in.writeEntryRef("tool/state" + i + ".bin", zeros);
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("in.bcf")).toStdString();
        in.save(path);
        BcfDocument document = loadArchive(path);
        const std::string target = dir.filePath(QStringLiteral("saved.bcf")).toStdString();
        QCOMPARE(reasonOf([&] { saveArchive(target, document, BcfVersion::V2_1); }),
                 std::string("archive too large to save (limit 512 MiB)"));
        QVERIFY(!std::filesystem::exists(target));
    }

    // More kept files than a classic ZIP directory counts: every one is saved (ZIP64).
    void everyKeptFileIsSaved() {
        const std::size_t files = 70'000;
        ZipArchive in;
        in.writeEntry("bcf.version", "<Version VersionId=\"2.1\"/>");
        in.writeEntry("t/markup.bcf",
                      "<Markup><Topic Guid=\"0b8a1f4e-3c2d-4e5f-8a9b-0c1d2e3f4a5b\"/></Markup>");
        for (std::size_t i = 0; i < files; ++i)
            in.writeEntry("t/kept-" + std::to_string(i) + ".txt", std::to_string(i));
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("in.bcf")).toStdString();
        in.save(path);
        BcfDocument document = loadArchive(path);
        QCOMPARE(document.data.markups.front().otherFiles.size(), files);
        const std::string saved = dir.filePath(QStringLiteral("saved.bcf")).toStdString();
        saveArchive(saved, document, BcfVersion::V2_1);
        ZipArchive out;
        out.load(saved);
        const std::vector<ZipEntryInfo> entries = out.entries();
        QCOMPARE(std::count_if(entries.begin(), entries.end(),
                               [](const ZipEntryInfo& entry) {
                                   return entry.filename.find("/kept-") != std::string::npos;
                               }),
                 std::ptrdiff_t(files));
        QCOMPARE(out.read("0b8a1f4e-3c2d-4e5f-8a9b-0c1d2e3f4a5b/kept-69999.txt").value(),
                 std::string("69999"));
    }
};

QTEST_GUILESS_MAIN(TestZipArchive)
#include "test_zip_archive.moc"
