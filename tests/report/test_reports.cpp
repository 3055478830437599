// Issue reports written to real files and read back as a user's tools read them: the PDF through
// poppler's pdftotext, pdfinfo and pdfimages, the XLSX by unzipping its XML, the CSV by parsing.
#include "test_support.h"

#include "codec/archive.h"
#include "codec/zip/zip_archive.h"
#include "report/report.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace bcf;

namespace {

const std::string kGuidA = "a0000000-0000-4000-8000-000000000001";
const std::string kGuidB = "b0000000-0000-4000-8000-000000000002";

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const char* program, const QStringList& arguments) {
    QProcess process;
    process.start(QString::fromUtf8(program), arguments);
    Run result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result = {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                  QString::fromUtf8(process.readAllStandardError())};
    return result;
}

// RFC 4180: comma-separated fields, CRLF line ends, quoted fields with doubled quotes.
QList<QStringList> parseCsv(const QByteArray& bytes) {
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return {};
    const QString text = QString::fromUtf8(bytes.mid(3));
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
            field += text[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u',')
            row.append(std::exchange(field, {}));
        else if (!quoted && c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            row.append(std::exchange(field, {}));
            rows.append(std::exchange(row, {}));
            ++i;
        } else
            field += c;
    }
    return rows;
}

// The cells of the first sheet as text; cells with a date style as "yyyy-MM-dd[ HH:mm]".
QList<QStringList> readXlsx(const QString& path, QString& sheetXml) {
    ZipArchive zip;
    zip.load(path.toStdString());
    QStringList shared;
    QXmlStreamReader strings(QByteArray::fromStdString(zip.read("xl/sharedStrings.xml").value_or("")));
    while (!strings.atEnd()) {
        strings.readNext();
        if (strings.isStartElement() && strings.name() == u"si")
            shared.append(QString());
        else if (strings.isStartElement() && strings.name() == u"t")
            shared.last() += strings.readElementText();
    }
    sheetXml = QString::fromStdString(zip.read("xl/worksheets/sheet1.xml").value_or(""));
    QList<QStringList> rows;
    QXmlStreamReader sheet(sheetXml);
    while (!sheet.atEnd()) {
        sheet.readNext();
        if (sheet.isStartElement() && sheet.name() == u"row")
            rows.append(QStringList(15));
        if (!sheet.isStartElement() || sheet.name() != u"c")
            continue;
        const QXmlStreamAttributes a = sheet.attributes();
        const int column = a.value(QStringLiteral("r")).at(0).unicode() - 'A';
        const bool isString = a.value(QStringLiteral("t")) == u"s";
        const bool dateStyle = !isString && !a.value(QStringLiteral("s")).isEmpty();
        sheet.readNextStartElement();
        const QString value = sheet.readElementText();
        if (isString) {
            rows.last()[column] = shared.value(value.toInt());
        } else if (dateStyle) {
            const double serial = value.toDouble();
            const QDateTime moment =
                QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addMSecs(qRound64(serial * 86400000));
            rows.last()[column] =
                moment.toString(serial == std::floor(serial) ? QStringLiteral("yyyy-MM-dd")
                                                             : QStringLiteral("yyyy-MM-dd HH:mm"));
        } else {
            rows.last()[column] = value;
        }
    }
    return rows;
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString archive;

    QString file(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        // Two topics: one with every reported field, text that CSV must quote, a small and a wide
        // snapshot; one with few fields and a snapshot that is no image.
        archive = test::dataDir() + QStringLiteral("/report/two-topics.bcf");
    }

    void spreadsheetRows_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("CSV, formula-like text kept plain") << QStringLiteral("rows.csv");
        QTest::newRow("XLSX, dates as dates") << QStringLiteral("rows.xlsx");
    }
    void spreadsheetRows() {
        QFETCH(QString, name);
        // Written from a freshly loaded archive, as the command line does.
        const BcfData data = loadArchive(archive.toStdString());
        const QString path = dir.filePath(name);
        writeReport(path.toStdString(), data, {0, 1}, {});
        // The golden rows are in local time (UTC+2); CSV keeps formula-like text plain with an
        // apostrophe, XLSX as a string cell, which is never a formula.
        const std::string golden = test::readFile(test::dataDir() + QStringLiteral("/report/two-topics.csv"));
        if (name.endsWith(QStringLiteral(".csv"))) {
            const std::string written = test::readFile(path);
            QVERIFY2(written == golden, qPrintable(test::firstDifference(written, golden)));
            return;
        }
        QList<QStringList> expected = parseCsv(QByteArray::fromStdString(golden));
        QCOMPARE(expected.size(), 3);
        expected[1][12].remove(0, 1);
        QString sheet;
        QCOMPARE(readXlsx(path, sheet), expected);
        QVERIFY(sheet.contains(QStringLiteral(
            "<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>")));
        QVERIFY(sheet.contains(QStringLiteral("<autoFilter ref=\"A1:O3\"/>")));
        QVERIFY(sheet.contains(QStringLiteral("<col min=\"1\" max=\"1\" width=\"38.")));
    }

    void pdfPagesTextAndSnapshots_data() {
        QTest::addColumn<PaperSize>("paper");
        QTest::addColumn<QString>("pageSize");
        QTest::newRow("A4") << PaperSize::A4 << QStringLiteral("595 x 842 pts (A4)");
        QTest::newRow("Letter") << PaperSize::Letter << QStringLiteral("612 x 792 pts (letter)");
    }
    void pdfPagesTextAndSnapshots() {
        QFETCH(PaperSize, paper);
        QFETCH(QString, pageSize);
        const BcfData data = loadArchive(archive.toStdString());
        const QString path = file("report.pdf");
        writeReport(path.toStdString(), data, {1, 0}, {paper, archive.toStdString()});

        const QString info = run(PDFINFO, {path}).out;
        QVERIFY2(info.contains(QStringLiteral("Page size:       ") + pageSize), qPrintable(info));
        QVERIFY(info.contains(QStringLiteral("Pages:           3")));
        // The text as pdftotext extracts it: every field, in report order, dates in local time.
        QString text = run(PDFTOTEXT, {path, QStringLiteral("-")}).out;
        text.replace(QRegularExpression(QStringLiteral("\nDate: [^\n]*")), QStringLiteral("\nDate: (now)"));
        const std::string golden =
            test::readFile(test::dataDir() + QStringLiteral("/report/two-topics.pdf.txt"));
        QVERIFY2(text.toStdString() == golden, qPrintable(test::firstDifference(text.toStdString(), golden)));

        // Printed at its own size (a pixel per 1/96 inch) when it fits; the wide one at the page
        // width, its pixels cut down to the PDF's 300 dpi.
        const QStringList images = run(PDFIMAGES, {QStringLiteral("-list"), path}).out.split(u'\n').mid(2, 2);
        QCOMPARE(images.size(), 2);
        const QStringList small = images[0].simplified().split(u' ');
        const QStringList wide = images[1].simplified().split(u' ');
        QCOMPARE(small.mid(3, 2), QStringList({QStringLiteral("120"), QStringLiteral("60")}));
        QCOMPARE(small[12], QStringLiteral("96"));
        QCOMPARE(wide[12], QStringLiteral("300"));
    }

    void commandLine_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstColumn"); // A and B stand for the topics' GUIDs
        QTest::newRow("every topic") << QString() << 0 << QStringLiteral("A B");
        QTest::newRow("status in any case") << QStringLiteral("--status OPEN") << 0 << QStringLiteral("A");
        QTest::newRow("two statuses")
            << QStringLiteral("--status closed --status Open") << 0 << QStringLiteral("A B");
        QTest::newRow("label in any case")
            << QStringLiteral("--label statik --label Dach") << 0 << QStringLiteral("A");
        QTest::newRow("type and status both")
            << QStringLiteral("--type clash --status closed") << 0 << QString();
        QTest::newRow("unknown option, file kept")
            << QStringLiteral("--colour red") << 2 << QStringLiteral("old");
        QTest::newRow("option without value") << QStringLiteral("--type") << 2 << QStringLiteral("old");
    }
    void commandLine() {
        QFETCH(QString, options);
        QFETCH(int, exitCode);
        QFETCH(QString, firstColumn);
        const QString out = file("cli.csv");
        QVERIFY(test::writeFile(out, "\xEF\xBB\xBFold\r\n"));
        const Run result = run(BCF_TOOL, QStringList({QStringLiteral("report"), archive, out}) +
                                             options.split(u' ', Qt::SkipEmptyParts));
        QCOMPARE(result.exitCode, exitCode);
        QList<QStringList> rows = parseCsv(QByteArray::fromStdString(test::readFile(out)));
        if (exitCode == 0)
            rows.removeFirst();
        QStringList guids;
        for (const QStringList& row : rows)
            guids.append(row.first());
        firstColumn.replace(u'A', QString::fromStdString(kGuidA))
            .replace(u'B', QString::fromStdString(kGuidB));
        QCOMPARE(guids, firstColumn.split(u' ', Qt::SkipEmptyParts));
    }

    void failuresLeaveTheFileAlone_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("cancel");
        for (const char* format : {"pdf", "xlsx", "csv"}) {
            QTest::addRow("%s cancelled", format) << QString::fromUtf8(format) << true;
            QTest::addRow("%s in a missing folder", format) << QString::fromUtf8(format) << false;
        }
    }
    void failuresLeaveTheFileAlone() {
        QFETCH(QString, format);
        QFETCH(bool, cancel);
        QTemporaryDir target;
        const QString path = cancel ? target.filePath(QStringLiteral("r.") + format)
                                    : target.filePath(QStringLiteral("missing/r.") + format);
        QVERIFY(!cancel || test::writeFile(path, "old"));
        const BcfData data = loadArchive(archive.toStdString());
        try {
            writeReport(path.toStdString(), data, {0, 1}, {},
                        [](std::size_t done, std::size_t) { return done < 1; });
            QFAIL("no error");
        } catch (const ReportCancelled&) {
            QVERIFY(cancel);
        } catch (const std::exception& error) {
            QVERIFY2(!cancel, error.what());
        }
        QCOMPARE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden).size(), cancel ? 1 : 0);
        QCOMPARE(test::readFile(path), cancel ? std::string("old") : std::string());
        // The command line names the file and the reason.
        const Run result =
            run(BCF_TOOL, {QStringLiteral("report"), archive, target.filePath(QStringLiteral("no/r.csv"))});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(
            result.err.startsWith(QStringLiteral("bcf: ") + target.filePath(QStringLiteral("no/r.csv: "))),
            qPrintable(result.err));
    }
};

QTEST_MAIN(ReportTest)
#include "test_reports.moc"
