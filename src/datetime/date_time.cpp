#include "datetime/date_time.h"

#include <QLocale>

#include <algorithm>
#include <cstdio>

namespace bcf {

namespace {

// The widest offset from UTC any zone has: UTC-12:00 to UTC+14:00, taken as +-14:00 either way.
constexpr int kMaxOffsetMinutes = 14 * 60;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The `count` digits at `at` as a number; false when the text has no such digits there.
bool digitsAt(std::string_view text, std::size_t at, std::size_t count, int& out) {
    if (at + count > text.size())
        return false;
    out = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i]))
            return false;
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

// The offset from UTC in seconds that `zone` names ("Z", "z", "+01:00", "+0100", "-05"), when that
// is the whole rest of the text and a real offset.
std::optional<int> readOffset(std::string_view zone) {
    if (zone == "Z" || zone == "z")
        return 0;
    int hours = 0, minutes = 0;
    if (zone.size() < 3 || (zone[0] != '+' && zone[0] != '-') || !digitsAt(zone, 1, 2, hours))
        return std::nullopt;
    const bool colon = zone.size() == 6 && zone[3] == ':' && digitsAt(zone, 4, 2, minutes);
    const bool plain = zone.size() == 5 && digitsAt(zone, 3, 2, minutes);
    if (zone.size() != 3 && !colon && !plain)
        return std::nullopt;
    const int total = hours * 60 + minutes;
    if (minutes > 59 || total > kMaxOffsetMinutes)
        return std::nullopt;
    return (zone[0] == '-' ? -total : total) * 60;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

const QLocale& cLocale() {
    static const QLocale locale = QLocale::c();
    return locale;
}

} // namespace

QDateTime DateTimeValue::local() const {
    if (!utcOffset)
        return QDateTime(date, time);
    return QDateTime::fromMSecsSinceEpoch(sortKey());
}

qint64 DateTimeValue::sortKey() const {
    if (!utcOffset)
        return QDateTime(date, time).toMSecsSinceEpoch();
    static const qint64 epochDay = QDate(1970, 1, 1).toJulianDay();
    return (date.toJulianDay() - epochDay) * 86'400'000 + time.msecsSinceStartOfDay() -
           qint64(*utcOffset) * 1000;
}

std::optional<DateTimeValue> readDateTime(std::string_view text) {
    text = trimmed(text);
    int year = 0, month = 0, day = 0;
    if (!digitsAt(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || !digitsAt(text, 5, 2, month) ||
        text[7] != '-' || !digitsAt(text, 8, 2, day))
        return std::nullopt;
    DateTimeValue value;
    value.date = QDate(year, month, day);
    value.time = QTime(0, 0);
    if (!value.date.isValid())
        return std::nullopt;

    int hour = 0, minute = 0, second = 0, millis = 0;
    const bool separator = text.size() > 10 && (text[10] == 'T' || text[10] == 't' || text[10] == ' ');
    if (!separator || !digitsAt(text, 11, 2, hour) || text.size() < 16 || text[13] != ':' ||
        !digitsAt(text, 14, 2, minute))
        return value;
    std::size_t at = 16;
    if (at < text.size() && text[at] == ':' && digitsAt(text, at + 1, 2, second)) {
        at += 3;
        // Fractions beyond milliseconds (.NET writes seven digits) are cut, not rounded.
        if (at + 1 < text.size() && (text[at] == '.' || text[at] == ',') && isDigit(text[at + 1])) {
            int scale = 100;
            for (++at; at < text.size() && isDigit(text[at]); ++at, scale /= 10)
                millis += (text[at] - '0') * scale;
        }
    }
    value.hasTime = true;
    // 24:00 and leap seconds are taken as the last minute and second rather than refused.
    value.time = QTime(std::min(hour, 23), std::min(minute, 59), std::min(second, 59), millis);
    value.utcOffset = readOffset(text.substr(at));
    return value;
}

QString formatDateTime(std::string_view text, DateTimeStyle style) {
    const std::optional<DateTimeValue> value = readDateTime(text);
    if (!value)
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QDate date = value->date;
    QTime time = value->time;
    if (value->utcOffset) {
        const QDateTime local = value->local();
        date = local.date();
        time = local.time();
    }
    // Formatted by hand: lists format thousands of dates when they open.
    const bool window = style == DateTimeStyle::Window;
    char shown[48];
    int size =
        window ? std::snprintf(shown, sizeof shown, "%02d.%02d.%04d", date.day(), date.month(), date.year())
               : std::snprintf(shown, sizeof shown, "%04d-%02d-%02d", date.year(), date.month(), date.day());
    if (value->hasTime)
        size += std::snprintf(shown + size, sizeof shown - static_cast<std::size_t>(size),
                              window ? ", %02d:%02d" : " %02d:%02d", time.hour(), time.minute());
    return QString::fromLatin1(shown, size);
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
