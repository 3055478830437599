// The display form of stored date-times in the issue list and the comments.
#include "ui/mainwindow_p.h"

#include <QtTest>

#include <ctime>

class TestDateFormat : public QObject {
    Q_OBJECT

private slots:
    // Local time is Berlin's: UTC+1 in winter, UTC+2 in summer.
    void initTestCase() {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    // Rows from tests/data/ui/date_formats.tsv: name, stored text, shown text.
    void formatsStoredTexts_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QFile table(QStringLiteral(BCF_TEST_DATA_DIR "/ui/date_formats.tsv"));
        QVERIFY(table.open(QIODevice::ReadOnly | QIODevice::Text));
        while (!table.atEnd()) {
            const QStringList columns = QString::fromUtf8(table.readLine()).chopped(1).split(u'\t');
            if (columns.size() == 3)
                QTest::newRow(columns[0].toUtf8().constData()) << columns[1] << columns[2];
        }
    }

    void formatsStoredTexts() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(formatDateTime(stored.toStdString())), shown);
    }
};

QTEST_GUILESS_MAIN(TestDateFormat)
#include "test_date_format.moc"
