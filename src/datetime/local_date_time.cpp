#include "datetime/local_date_time.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace bcf {

namespace {

const QLocale& cLocale() {
    static const QLocale locale = QLocale::c();
    return locale;
}

// The calendar day and time of a value as written: 24:00 is the next day's midnight, a leap second
// the last second of its minute.
std::pair<QDate, QTime> writtenParts(const DateTime& value) {
    const QDate date(value.year, value.month, value.day);
    if (value.hour == 24)
        return {date.addDays(1), QTime(0, 0)};
    return {date, QTime(value.hour, value.minute, std::min(value.second, 59), value.nanoseconds / 1000000)};
}

// The forms of the locale set last; none while dates are shown in the English forms.
struct LocaleForms {
    QLocale locale;
    QString date, time;
};
std::optional<LocaleForms>& localeForms() {
    static std::optional<LocaleForms> forms;
    return forms;
}

// The wall-clock time of a value without an offset, in local time.
QDateTime wallClock(const DateTime& value) {
    const auto [date, time] = writtenParts(value);
    return QDateTime(date, time);
}

} // namespace

QDateTime localDateTime(const DateTime& value) {
    if (!value.utcOffset)
        return wallClock(value);
    return QDateTime::fromMSecsSinceEpoch(sortKey(value));
}

qint64 sortKey(const DateTime& value) {
    if (!value.utcOffset)
        return wallClock(value).toMSecsSinceEpoch();
    const Instant instant = value.instantAsUtc();
    return instant.seconds * 1000 + instant.nanoseconds / 1000000;
}

void setDateLocale(const std::optional<QLocale>& locale) {
    if (!locale) {
        localeForms().reset();
        return;
    }
    // Four digits for the year whatever the locale writes ("yy" in German's short form).
    QString date = locale->dateFormat(QLocale::ShortFormat);
    date.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    localeForms() = LocaleForms{*locale, date, locale->timeFormat(QLocale::ShortFormat)};
}

QString localCount(qint64 count) {
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    const std::optional<LocaleForms>& forms = localeForms();
    return (forms ? forms->locale : english).toString(count);
}

QString withLocalCount(QString text, qint64 count) {
    if (count > -1000 && count < 1000)
        return text; // no digits to group
    const QString digits = QString::number(count);
    // The whole number only, not digits inside a longer one.
    for (qsizetype at = text.indexOf(digits); at >= 0; at = text.indexOf(digits, at + 1)) {
        const qsizetype end = at + digits.size();
        if ((at == 0 || !text[at - 1].isDigit()) && (end == text.size() || !text[end].isDigit()))
            return text.replace(at, digits.size(), localCount(count));
    }
    return text;
}

QString formatDateTime(std::string_view text, DateTimeStyle style) {
    const std::optional<DateTime> value = readDateTime(text);
    if (!value)
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // A time without an offset is shown as written, also where local time skips it.
    auto [date, time] = writtenParts(*value);
    if (value->utcOffset) {
        const QDateTime local = localDateTime(*value);
        date = local.date();
        time = local.time();
    }
    if (const std::optional<LocaleForms>& forms = localeForms()) {
        QString shown = forms->locale.toString(date, forms->date);
        if (value->hasTime)
            shown += (style == DateTimeStyle::Window ? QStringLiteral(", ") : QStringLiteral(" ")) +
                     forms->locale.toString(time, forms->time);
        return shown;
    }
    // Formatted by hand: lists format thousands of dates when they open.
    const bool window = style == DateTimeStyle::Window;
    char out[48];
    int size = window
                   ? std::snprintf(out, sizeof out, "%02d.%02d.%04d", date.day(), date.month(), date.year())
                   : std::snprintf(out, sizeof out, "%04d-%02d-%02d", date.year(), date.month(), date.day());
    if (value->hasTime)
        size += std::snprintf(out + size, sizeof out - static_cast<std::size_t>(size),
                              window ? ", %02d:%02d" : " %02d:%02d", time.hour(), time.minute());
    return QString::fromLatin1(out, size);
}

std::string storedDateTimeText(const QDateTime& time) {
    // Whole minutes of offset, so that the wall-clock time and the offset written agree.
    const int offsetMinutes = time.offsetFromUtc() / 60;
    const QDateTime shown = time.toOffsetFromUtc(offsetMinutes * 60);
    const int magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    const QString offset = QStringLiteral("%1%2:%3")
                               .arg(offsetMinutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                               .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
                               .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
    return (cLocale().toString(shown, QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + QStringLiteral(".000") +
            offset)
        .toStdString();
}

} // namespace bcf
