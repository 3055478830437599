// The display form of stored date-times in the issue list and the comments.
#include "ui/mainwindow_p.h"

#include <QtTest>

class TestDateFormat : public QObject {
    Q_OBJECT

private slots:
    void formatsStoredTexts_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("UTC date-time")
            << QStringLiteral("2024-03-07T09:05:00Z") << QStringLiteral("07.03.2024, 09:05");
        QTest::newRow("offset keeps the written wall-clock time")
            << QStringLiteral("2023-11-30T16:45:12+01:00") << QStringLiteral("30.11.2023, 16:45");
        QTest::newRow("fractional seconds")
            << QStringLiteral("2017-05-22T07:51:00.0429879Z") << QStringLiteral("22.05.2017, 07:51");
        QTest::newRow("minutes without seconds")
            << QStringLiteral("2024-03-07T09:05") << QStringLiteral("07.03.2024, 09:05");
        QTest::newRow("date alone") << QStringLiteral("2024-03-07") << QStringLiteral("07.03.2024");
        QTest::newRow("date with hour only")
            << QStringLiteral("2024-03-07T09") << QStringLiteral("07.03.2024");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("year alone is shown as it is") << QStringLiteral("2024") << QStringLiteral("2024");
        QTest::newRow("free text is shown as it is")
            << QStringLiteral("next Tuesday, noon") << QStringLiteral("next Tuesday, noon");
    }

    void formatsStoredTexts() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(formatDateTime(stored.toStdString())), shown);
    }
};

QTEST_GUILESS_MAIN(TestDateFormat)
#include "test_date_format.moc"
