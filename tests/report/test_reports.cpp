// Issue reports written to real files and read back as a user's tools read them (the CSV as text,
// the XLSX's sheet XML, the PDF through poppler), each compared whole with a golden file in
// tests/data/report. BCF_UPDATE_GOLDEN=1 rewrites the golden files instead of comparing.
#include "test_support.h"

#include "codec/archive.h"
#include "codec/zip/zip_archive.h"
#include "report/report.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace bcf;
using namespace bcf::test;

namespace {

QString run(const char* program, const QStringList& arguments) {
    QProcess process;
    process.start(QString::fromUtf8(program), arguments);
    return process.waitForFinished(60000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// Compares `actual` with the golden file at `path`; BCF_UPDATE_GOLDEN=1 rewrites the file instead.
void checkGolden(const QString& path, const std::string& actual) {
    if (qEnvironmentVariableIsSet("BCF_UPDATE_GOLDEN"))
        QVERIFY(writeFile(path, actual));
    const std::string expected = readFile(path);
    QVERIFY2(actual == expected, qPrintable(path + QStringLiteral(": ") + firstDifference(actual, expected)));
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT

    // Two topics: one with every reported field, text that CSV must quote, a small and a wide
    // snapshot; one with few fields and a snapshot that is no image. Times are shown at UTC+2.
    const QString archive = dataDir() + QStringLiteral("/report/two-topics.bcf");

private slots:
    void reportMatchesGolden_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<PaperSize>("paper");
        QTest::addColumn<std::vector<int>>("rows");
        QTest::newRow("CSV keeps formula-like text plain")
            << QStringLiteral("two-topics.csv") << PaperSize::A4 << std::vector{0, 1};
        QTest::newRow("XLSX holds dates as dates")
            << QStringLiteral("two-topics.xlsx") << PaperSize::A4 << std::vector{0, 1};
        QTest::newRow("PDF on A4 in report order")
            << QStringLiteral("two-topics-a4.pdf") << PaperSize::A4 << std::vector{1, 0};
        QTest::newRow("PDF on Letter")
            << QStringLiteral("two-topics-letter.pdf") << PaperSize::Letter << std::vector{1, 0};
        QTest::newRow("PDF of one topic")
            << QStringLiteral("one-topic.pdf") << PaperSize::A4 << std::vector{0};
    }
    void reportMatchesGolden() {
        QFETCH(QString, name);
        QFETCH(PaperSize, paper);
        QFETCH(std::vector<int>, rows);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        // Written from a freshly loaded archive, as the command line does.
        const BcfData data = loadArchive(archive.toStdString());
        QString text;
        writeReport(path.toStdString(), data, rows, {paper, archive.toStdString()},
                    [&text](std::size_t done, std::size_t total) {
                        text += QStringLiteral("progress %1 of %2\n").arg(done).arg(total);
                        return true;
                    });
        if (name.endsWith(QStringLiteral(".csv"))) {
            text += QString::fromStdString(readFile(path));
        } else if (name.endsWith(QStringLiteral(".xlsx"))) {
            ZipArchive zip;
            zip.load(path.toStdString());
            for (const char* entry : {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/styles.xml"})
                text += QStringLiteral("=== %1\n").arg(QLatin1String(entry)) +
                        QString::fromStdString(zip.read(entry).value_or("missing"))
                            .replace(QStringLiteral("><"), QStringLiteral(">\n<"));
        } else {
            // Page count and size, the images as placed (size and pixels per inch), then the text.
            static const QRegularExpression page(QStringLiteral("^Page.*$"),
                                                 QRegularExpression::MultilineOption);
            for (const QRegularExpressionMatch& match : page.globalMatch(run(PDFINFO, {path})))
                text += match.captured() + u'\n';
            for (const QString& line : run(PDFIMAGES, {QStringLiteral("-list"), path}).split(u'\n'))
                text += line.simplified().split(u' ').mid(0, 14).join(u' ') + u'\n'; // not the byte sizes
            text += run(PDFTOTEXT, {path, QStringLiteral("-")});
            static const QRegularExpression now(QStringLiteral("\nDate: [^\n]*"));
            text.replace(now, QStringLiteral("\nDate: (now)"));
        }
        checkGolden(dataDir() + QStringLiteral("/report/") + name + QStringLiteral(".txt"),
                    text.toStdString());
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
        const QString path =
            target.filePath((cancel ? QStringLiteral("r.") : QStringLiteral("missing/r.")) + format);
        QVERIFY(!cancel || writeFile(path, "old"));
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
        QCOMPARE(readFile(path), cancel ? std::string("old") : std::string());
    }
};

QTEST_MAIN(ReportTest)
#include "test_reports.moc"
