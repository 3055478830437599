// "Export report…" in the window: the topics the issue list shows, in its order, go to the file the save
// dialog names, in the format of its suffix or of the chosen file type; a failure names the file.
#include "ui_test_support.h"

#include <QStandardPaths>

using namespace uitest;

class TestReportExport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;

private slots:
    void initTestCase() {
        // The file dialog keeps its last folder in the settings: these go to a test location, emptied first,
        // so the folders of this test reach no other test and no earlier run this.
        QStandardPaths::setTestModeEnabled(true);
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).removeRecursively();
    }
    void init() {
        window = std::make_unique<MainWindow>();
        openArchive(*window, testCase("2.1/Markup_MaximumInformation.bcf"));
    }
    void cleanup() { window.reset(); }

    // The file written (its start, the whole text of a CSV) and the messages, compared with
    // tests/data/ui/test_report_export/writesTheShownRows_<row>.txt.
    void writesTheShownRows_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("hideFirst");
        QTest::newRow("CSV by file type, one row hidden")
            << u"CSV file (*.csv)"_s << u"a"_s << u"a.csv"_s << true;
        QTest::newRow("CSV by suffix, every row")
            << u"PDF report (*.pdf)"_s << u"b.CSV"_s << u"b.CSV"_s << false;
        QTest::newRow("XLSX by file type") << u"Excel workbook (*.xlsx)"_s << u"c"_s << u"c.xlsx"_s << false;
        QTest::newRow("PDF by file type") << u"PDF report (*.pdf)"_s << u"d"_s << u"d.pdf"_s << true;
        QTest::newRow("a target that can't be created") << QString() << u"/sys/r.csv"_s << QString() << false;
    }
    void writesTheShownRows() {
        QFETCH(QString, filter);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(bool, hideFirst);
        child<QTreeWidget>(window.get(), "twIssues")->topLevelItem(0)->setHidden(hideFirst);
        QVERIFY(answerFileDialog(child<QToolButton>(window.get(), "tbExportReport"),
                                 QDir(dir.path()).filePath(typed), filter));
        QString outcome = takeMessages(*window).join(QLatin1Char('\n'));
        QFile file(dir.filePath(written));
        if (!written.isEmpty() && file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll(); // its first bytes, and the whole text of a CSV file
            outcome += QString::fromLatin1(bytes.left(4).toHex(' ')) + QLatin1Char('\n');
            if (written.endsWith(u"csv"_s, Qt::CaseInsensitive))
                outcome += QString::fromUtf8(bytes);
        }
        compareWithGolden(outcome, dir.path());
    }
};

UI_TEST_MAIN(TestReportExport)
#include "test_report_export.moc"
