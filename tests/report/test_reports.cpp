// Issue reports written to real files and read back as a user's tools read them (the CSV as text,
// the XLSX's sheet XML, the PDF through poppler), each compared whole with a golden file in
// tests/data/report. BCF_UPDATE_GOLDEN=1 rewrites the golden files instead of comparing.
#include "codec/archive.h"
#include "codec/zip/zip_archive.h"
#include "report/report.h"
#include "test_support.h"

#include <QBuffer>
#include <QDir>
#include <QFontInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace bcf;
using namespace bcf::test;

namespace {

QString run(const char* program, const QStringList& arguments) {
    QProcess process;
    process.start(QString::fromUtf8(program), arguments);
    return process.waitForFinished(60000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT

    // Two topics: one with every reported field, text that CSV must quote, a small and a wide
    // snapshot; one with few fields and a snapshot that is no image. Times are shown at UTC+2.
    const QString archive = dataDir() + QStringLiteral("/report/two-topics.bcf");

private slots:
    // The PDF's page breaks and line breaks follow the font's metrics: the reports are drawn in
    // DejaVu Sans (Debian's fonts-dejavu-core, which scripts/deps.sh installs), whatever other
    // fonts the machine has.
    void initTestCase() {
        const QFont font(QStringLiteral("DejaVu Sans"));
        QVERIFY2(QFontInfo(font).family() == font.family(),
                 "DejaVu Sans is missing: install fonts-dejavu-core (scripts/deps.sh)");
        QGuiApplication::setFont(font);
        // Numbers as a German user's programs print them ("38,7"), which no file may carry.
        QVERIFY2(std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr,
                 "the de_DE.UTF-8 locale is missing (scripts/deps.sh generates it)");
    }

    // `file` is written where r.pdf, r.xlsx and r.csv hold "old" (letter.pdf on Letter paper), of the
    // topics `rows` in that order; the progress callback cancels after `cancelAfter` topics (0: never).
    void reportMatchesGolden_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("cancelAfter");
        QTest::addColumn<int>("extraComments");
        QTest::addColumn<bool>("extraSnapshots");
        const QString both = QStringLiteral("0 1");
        for (const QString& type : {QStringLiteral("pdf"), QStringLiteral("xlsx"), QStringLiteral("csv")}) {
            QTest::addRow("%s cancelled keeps the file", qPrintable(type))
                << QStringLiteral("r.") + type << both << 1 << 0 << false;
            QTest::addRow("%s in a missing folder", qPrintable(type))
                << QStringLiteral("missing/r.") + type << both << 0 << 0 << false;
        }
        QTest::newRow("CSV keeps formula-like text plain")
            << QStringLiteral("r.csv") << both << 0 << 0 << false;
        QTest::newRow("XLSX holds dates as dates") << QStringLiteral("r.xlsx") << both << 0 << 0 << false;
        QTest::newRow("PDF on Letter")
            << QStringLiteral("letter.pdf") << QStringLiteral("1 0") << 0 << 0 << false;
        QTest::newRow("PDF of one topic")
            << QStringLiteral("r.pdf") << QStringLiteral("0") << 0 << 0 << false;
        QTest::newRow("PDF topic over several pages")
            << QStringLiteral("r.pdf") << QStringLiteral("0") << 0 << 90 << false;
        // A gray JPEG and a gray PNG stored as their files are (still gray), a PNG with transparency
        // as a JPEG with a soft mask.
        QTest::newRow("PDF keeps JPEG and PNG files")
            << QStringLiteral("r.pdf") << QStringLiteral("0") << 0 << 0 << true;
    }
    void reportMatchesGolden() {
        QFETCH(QString, file);
        QFETCH(QString, rows);
        QFETCH(int, cancelAfter);
        QFETCH(int, extraComments);
        QFETCH(bool, extraSnapshots);
        std::vector<int> topics;
        for (const QString& row : rows.split(u' '))
            topics.push_back(row.toInt());
        const PaperSize paper = file == QStringLiteral("letter.pdf") ? PaperSize::Letter : PaperSize::A4;
        QTemporaryDir dir;
        for (const char* old : {"r.pdf", "r.xlsx", "r.csv"})
            QVERIFY(writeFile(dir.filePath(QLatin1String(old)), "old"));
        const QString path = dir.filePath(file);
        // Written from a freshly loaded archive, as the command line does.
        BcfDocument document = loadArchive(archive.toStdString());
        BcfData& data = document.data;
        Comment comment;
        comment.date = "2024-03-07T09:05:00Z";
        for (int i = 0; i < extraComments; ++i) {
            comment.comment = i == 1
                                  ? "\u05e9\u05dc\u05d5\u05dd 1" // Hebrew, set from the right margin
                                  : "Comment " + std::to_string(i) + (i == 0 ? "\r\nwritten on Windows" : "");
            data.markups[0].comments.push_back(comment);
        }
        QImage gray(64, 32, QImage::Format_Grayscale8);
        gray.fill(128);
        QImage translucent(64, 32, QImage::Format_ARGB32);
        translucent.fill(qRgba(0, 128, 128, 100));
        for (const auto& [name, image, format] :
             {std::tuple("gray.jpg", gray, "jpeg"), std::tuple("gray.png", gray, "png"),
              std::tuple("translucent.png", translucent, "png")}) {
            if (!extraSnapshots)
                break;
            QByteArray bytes;
            QBuffer buffer(&bytes);
            QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, format));
            ViewPoint viewPoint;
            viewPoint.guid = std::string("f0000000-0000-4000-8000-00000000000") +
                             char('1' + data.markups[0].viewPoints.size());
            viewPoint.snapshot = name;
            viewPoint.snapshotData = bytes.toStdString();
            viewPoint.snapshotLoaded = 1;
            data.markups[0].viewPoints.push_back(viewPoint);
        }
        QString text;
        try {
            writeReport(path.toStdString(), document, topics, {paper, archive.toStdString()},
                        [&](std::size_t done, std::size_t total) {
                            text += QStringLiteral("progress %1 of %2\n").arg(done).arg(total);
                            return int(done) != cancelAfter;
                        });
        } catch (const ReportCancelled&) {
            text += QStringLiteral("cancelled\n");
        } catch (const std::exception& error) {
            text += QStringLiteral("error: %1\n").arg(QString::fromUtf8(error.what()));
        }
        const bool written = QFileInfo::exists(path) && readFile(path) != "old";
        if (written && file.endsWith(QStringLiteral(".csv"))) {
            text += QString::fromStdString(readFile(path));
        } else if (written && file.endsWith(QStringLiteral(".xlsx"))) {
            ZipArchive zip;
            zip.load(path.toStdString());
            for (const char* entry : {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/styles.xml"})
                text += QStringLiteral("=== %1\n").arg(QLatin1String(entry)) +
                        QString::fromStdString(zip.read(entry).value_or("missing"))
                            .replace(QStringLiteral("><"), QStringLiteral(">\n<"));
        } else if (written) {
            // Title, creator, page count and size, the images as placed (size and pixels per inch),
            // then the text as laid out on the pages, its indents and gaps kept.
            static const QRegularExpression page(QStringLiteral("(?m)^(Title|Creator|Page).*$"));
            for (const QRegularExpressionMatch& match : page.globalMatch(run(PDFINFO, {path})))
                text += match.captured() + u'\n';
            // Not the object numbers, which count the fonts' objects too, nor the byte sizes.
            for (const QString& line : run(PDFIMAGES, {QStringLiteral("-list"), path}).split(u'\n')) {
                const QStringList columns = line.simplified().split(u' ');
                text += (columns.mid(0, 10) + columns.mid(12, 2)).join(u' ') + u'\n';
            }
            text += run(PDFTOTEXT, {QStringLiteral("-layout"), path, QStringLiteral("-")});
            static const QRegularExpression now(QStringLiteral("\nDate: [^\n]*"));
            text.replace(now, QStringLiteral("\nDate: (now)"));
        }
        // No temporary file is left behind, and only `file` may have changed.
        for (const QString& name :
             QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            text += name + (readFile(dir.filePath(name)) == "old" ? QStringLiteral(" old\n")
                                                                  : QStringLiteral(" new\n"));
        const QString name = QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'-');
        const QString difference =
            goldenDifference(dataDir() + QStringLiteral("/report/") + name + QStringLiteral(".txt"),
                             maskFolders(text, {{dir.path(), QStringLiteral("DIR")}}).toStdString());
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // A text longer than a spreadsheet cell holds is cut between two characters and says how much
    // is left out, in every format; so is a long list of labels.
    void longTextsAreCut_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("csv") << QStringLiteral("r.csv");
        QTest::newRow("xlsx") << QStringLiteral("r.xlsx");
    }
    void longTextsAreCut() {
        QFETCH(QString, file);
        BcfDocument document = loadArchive(archive.toStdString());
        Topic& topic = document.data.markups[1].topic;
        std::string title;
        for (int i = 0; i < 40000; ++i)
            title += "\u00e9";
        topic.title = title;
        topic.labels.assign(20000, "label"); // 139,998 characters with their separators
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        writeReport(path.toStdString(), document, {1}, {ReportOptions()});
        std::string text = readFile(path);
        if (file.endsWith(QStringLiteral(".xlsx"))) {
            ZipArchive zip;
            zip.load(path.toStdString());
            text = zip.read("xl/sharedStrings.xml").value_or("missing");
        }
        const std::string kept = title.substr(0, 2 * 32703);
        QVERIFY(text.find(kept + "\u2026 (7297 more character") != std::string::npos);
        QVERIFY(text.find(kept + "\u00e9") == std::string::npos);
        QVERIFY(text.find("\u2026 (107295 more character") != std::string::npos);
    }
};

QTEST_MAIN(ReportTest)
#include "test_reports.moc"
