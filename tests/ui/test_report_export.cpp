// "Export report…" in the window: the topics the issue list shows, in its order, go to the file
// the save dialog names, in the format of its suffix or of the chosen file type; a failure names
// the file.
#include "test_editing_support.h"

#include "codec/model.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace editing_test;

namespace {

const QString kTwoTopics = QStringLiteral(BCF_TESTCASES_DIR "/2.1/Markup_MaximumInformation.bcf");

// Presses "Export report…" and answers the save dialog; false when no dialog came up.
bool exportReport(MainWindow& window, const QString& path, const QString& filter) {
    ModalDriver<QFileDialog> save([&](QFileDialog* dialog) { chooseFile(dialog, path, filter); });
    child<QToolButton>(window, "tbExportReport")->click();
    return save.fired();
}

} // namespace

class TestReportExport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase() {
        // The file dialog keeps its last folder in the settings: these go to a test location,
        // emptied first, so the folders of this test reach no other test and no earlier run this.
        QStandardPaths::setTestModeEnabled(true);
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).removeRecursively();
    }

    void writesTheShownRows_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("hideFirst");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("CSV by file type, one row hidden")
            << QStringLiteral("CSV file (*.csv)") << QStringLiteral("a") << QStringLiteral("a.csv") << true
            << QByteArray("\xEF\xBB\xBFGUID,");
        QTest::newRow("CSV by suffix, every row")
            << QStringLiteral("PDF report (*.pdf)") << QStringLiteral("b.CSV") << QStringLiteral("b.CSV")
            << false << QByteArray("\xEF\xBB\xBFGUID,");
        QTest::newRow("XLSX by file type") << QStringLiteral("Excel workbook (*.xlsx)") << QStringLiteral("c")
                                           << QStringLiteral("c.xlsx") << false << QByteArray("PK");
        QTest::newRow("PDF by file type") << QStringLiteral("PDF report (*.pdf)") << QStringLiteral("d")
                                          << QStringLiteral("d.pdf") << true << QByteArray("%PDF-");
    }
    void writesTheShownRows() {
        QFETCH(QString, filter);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(bool, hideFirst);
        QFETCH(QByteArray, start);
        MainWindow window;
        openArchive(window, kTwoTopics);
        auto* issues = child<QTreeWidget>(window, "twIssues");
        issues->topLevelItem(0)->setHidden(hideFirst);
        QVERIFY(exportReport(window, dir.filePath(typed), filter));
        QCOMPARE(takeErrorMessage(window), QString());

        QFile file(dir.filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith(start));
        if (!written.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
            return;
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(),
                 hideFirst ? 3 : 5); // header, the topics (the first has a two-line comment), end
        const QByteArray firstGuid = window.bcfData().markups[0].topic.guid.c_str();
        QCOMPARE(bytes.contains(firstGuid), !hideFirst);
        QVERIFY(bytes.contains(QByteArray(window.bcfData().markups[1].topic.guid.c_str())));
    }

    void failureNamesTheFile() {
        MainWindow window;
        openArchive(window, kTwoTopics);
        // Nothing can be created in /sys, not even by root.
        const QString path = QStringLiteral("/sys/report.csv");
        QVERIFY(exportReport(window, path, QString()));
        const QString message = takeErrorMessage(window);
        QVERIFY2(message.startsWith(QStringLiteral("Exporting the report failed: ") + path +
                                    QStringLiteral("\n\n")),
                 qPrintable(message));
        QVERIFY(message.size() > path.size() + 32); // and the reason
    }
};

EDITING_TEST_MAIN(TestReportExport)
#include "test_report_export.moc"
