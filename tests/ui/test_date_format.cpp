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

    void formatsStoredTexts_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const char* stored, const char* shown) {
            QTest::newRow(name) << QString::fromUtf8(stored) << QString::fromUtf8(shown);
        };
        row("UTC in winter", "2024-03-07T09:05:00Z", "07.03.2024, 10:05");
        row("UTC in summer", "2024-07-01T21:45:00Z", "01.07.2024, 23:45");
        row("UTC into the next year", "2024-12-31T23:30:00z", "01.01.2025, 00:30");
        row("local offset", "2023-11-30T16:45:12+01:00", "30.11.2023, 16:45");
        row("negative offset", "2023-11-30T16:45:12-05:00", "30.11.2023, 22:45");
        row("offset without colon", "2024-03-07T12:00:00+0530", "07.03.2024, 07:30");
        row("fractional seconds, offset in hours", "2017-05-22T07:51:00.0429879+02", "22.05.2017, 07:51");
        row("no offset: as written", "2024-03-07T09:05", "07.03.2024, 09:05");
        row("blank for the T", "2024-03-07 09:05:00", "07.03.2024, 09:05");
        row("blank for the T, UTC", "2024-03-07 09:05:00Z", "07.03.2024, 10:05");
        row("unknown zone: as written", "2024-03-07T09:05:00 CET", "07.03.2024, 09:05");
        row("offset out of range: as written", "2024-03-07T09:05:00+25:00", "07.03.2024, 09:05");
        row("date alone", "2024-03-07", "07.03.2024");
        row("date with hour only", "2024-03-07T09", "07.03.2024");
        row("empty", "", "");
        row("year alone is shown as it is", "2024", "2024");
        row("free text is shown as it is", "next Tuesday, noon", "next Tuesday, noon");
    }

    void formatsStoredTexts() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(formatDateTime(stored.toStdString())), shown);
    }
};

QTEST_GUILESS_MAIN(TestDateFormat)
#include "test_date_format.moc"
