// Stored date-times as the window and the reports show and sort them and as saves write them,
// over every form of tests/data/ui/date_formats.tsv.
#include "codec/date_time.h"
#include "datetime/local_date_time.h"

#include <QtTest>

#include <ctime>

namespace {

struct FormRow {
    QString name, stored, shown, saved;
};

// The rows of the table: name, stored text, shown text, saved text.
const QList<FormRow>& formRows() {
    static const QList<FormRow> rows = [] {
        QList<FormRow> read;
        QFile table(QStringLiteral(BCF_TEST_DATA_DIR "/ui/date_formats.tsv"));
        if (table.open(QIODevice::ReadOnly | QIODevice::Text)) {
            while (!table.atEnd()) {
                const QStringList columns = QString::fromUtf8(table.readLine()).chopped(1).split(u'\t');
                if (columns.size() == 4 && !columns[0].startsWith(u'#'))
                    read.append({columns[0], columns[1], columns[2], columns[3]});
            }
        }
        return read;
    }();
    return rows;
}

// The moment a shown text stands for ("07.03.2024, 10:05", or a day at midnight); invalid for others.
QDateTime shownMoment(const QString& shown) {
    const QDateTime time = QDateTime::fromString(shown, QStringLiteral("dd.MM.yyyy, HH:mm"));
    return time.isValid() ? time : QDate::fromString(shown, QStringLiteral("dd.MM.yyyy")).startOfDay();
}

} // namespace

class TestDateFormat : public QObject {
    Q_OBJECT

private slots:
    // Local time is Berlin's: UTC+1 in winter, UTC+2 in summer.
    void initTestCase() {
        qputenv("TZ", "Europe/Berlin");
        tzset();
        QVERIFY(formRows().size() > 10);
    }

    void readsEveryForm_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("saved");
        for (const FormRow& row : formRows())
            QTest::newRow(row.name.toUtf8().constData()) << row.stored << row.shown << row.saved;
    }

    // Shown as the table says, by the reports as the same moment in their form, sorted against
    // every other row of the table as the shown texts are, and written by saves as xs:dateTime.
    void readsEveryForm() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, saved);
        const std::string text = stored.toStdString();
        const std::optional<std::string> written = bcf::schemaDateTime(text);
        QCOMPARE(written ? QString::fromStdString(*written) : u"-"_qs, saved == u"="_qs ? stored : saved);
        QCOMPARE(bcf::formatDateTime(text), shown);
        QString report = shown;
        report.replace(QRegularExpression(QStringLiteral("^(\\d\\d)\\.(\\d\\d)\\.(\\d{4})(, )?")),
                       QStringLiteral("\\3-\\2-\\1"));
        report.replace(QRegularExpression(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d)(\\d)")),
                       QStringLiteral("\\1 \\2"));
        QCOMPARE(bcf::formatDateTime(text, bcf::DateTimeStyle::Report), report);

        const QDateTime moment = shownMoment(shown);
        const std::optional<bcf::DateTime> value = bcf::readDateTime(text);
        QCOMPARE(value.has_value(), moment.isValid());
        // Merging compares the same instant the list sorts by.
        if (value && value->utcOffset)
            QCOMPARE(bcf::parseDateTime(text)->seconds, bcf::sortKey(*value) / 1000);
        for (const FormRow& other : formRows()) {
            const QDateTime otherMoment = shownMoment(other.shown);
            if (!moment.isValid() || !otherMoment.isValid() || moment == otherMoment)
                continue;
            const bool before =
                bcf::sortKey(*value) < bcf::sortKey(*bcf::readDateTime(other.stored.toStdString()));
            QVERIFY2(before == (moment < otherMoment), qPrintable(u"sorted against "_qs + other.name));
        }
    }

    // The last days of every month of common, leap and century years: a day the calendar has is
    // shown as that day and its end is saved as the start of the next; a day beyond it is shown as
    // written and not saved.
    void lastDaysOfEveryMonth() {
        for (const int year : {2023, 2024, 2100, 2000})
            for (int month = 1; month <= 12; ++month)
                for (int day = 28; day <= 32; ++day) {
                    const QDate date(year, month, day);
                    const QString stored = QString::asprintf("%d-%02d-%02dT24:00:00Z", year, month, day);
                    const std::optional<std::string> saved = bcf::schemaDateTime(stored.toStdString());
                    QCOMPARE(saved ? QString::fromStdString(*saved) : u"-"_qs,
                             date.isValid() ? date.addDays(1).toString(Qt::ISODate) + u"T00:00:00Z"_qs
                                            : u"-"_qs);
                    QCOMPARE(bcf::formatDateTime(stored.left(10).toStdString()),
                             date.isValid() ? date.toString(u"dd.MM.yyyy"_qs) : stored.left(10));
                }
    }
};

QTEST_GUILESS_MAIN(TestDateFormat)
#include "test_date_format.moc"
