#include "codec/date_time.h"

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

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

Instant DateTime::instantAsUtc() const {
    const std::int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return Instant{((days * 24 + hour) * 60 + minute) * 60 + second - utcOffset.value_or(0), nanoseconds};
}

std::optional<DateTime> readDateTime(std::string_view text) {
    text = trimmed(text);
    DateTime value;
    if (!digitsAt(text, 0, 4, value.year) || text.size() < 10 || text[4] != '-' ||
        !digitsAt(text, 5, 2, value.month) || text[7] != '-' || !digitsAt(text, 8, 2, value.day) ||
        value.year < 1 || value.month < 1 || value.month > 12 || value.day < 1 ||
        value.day > daysInMonth(value.year, value.month))
        return std::nullopt;
    value.whole = text.size() == 10;

    const bool separator = text.size() > 10 && (text[10] == 'T' || text[10] == 't' || text[10] == ' ');
    if (!separator || text.size() < 16 || !digitsAt(text, 11, 2, value.hour) || text[13] != ':' ||
        !digitsAt(text, 14, 2, value.minute) || value.hour > 24 || value.minute > 59) {
        value.hour = value.minute = 0;
        return value;
    }
    std::size_t at = 16;
    if (at < text.size() && text[at] == ':' && digitsAt(text, at + 1, 2, value.second) &&
        value.second <= 60) {
        at += 3;
        // Fractions beyond nanoseconds (none are written) are cut, not rounded.
        if (at + 1 < text.size() && (text[at] == '.' || text[at] == ',') && isDigit(text[at + 1])) {
            std::int32_t scale = 100000000;
            for (++at; at < text.size() && isDigit(text[at]); ++at, scale /= 10)
                value.nanoseconds += (text[at] - '0') * scale;
        }
    } else {
        value.second = 0;
    }
    if (value.hour == 24 && (value.minute != 0 || value.second != 0 || value.nanoseconds != 0)) {
        value.hour = 0;
        return value;
    }
    value.hasTime = true;
    value.utcOffset = at == text.size() ? std::optional<int>() : readOffset(text.substr(at));
    value.whole = at == text.size() || value.utcOffset.has_value();
    return value;
}

std::optional<Instant> parseDateTime(const std::string& text) {
    const std::optional<DateTime> value = readDateTime(text);
    if (!value || !value->whole)
        return std::nullopt;
    return value->instantAsUtc();
}

namespace {

// True when `text` (read as `value`) is already written as xs:dateTime writes it:
// "yyyy-MM-ddThh:mm:ss", an optional fraction after a dot, and "Z" or "+hh:mm" or nothing.
bool hasSchemaForm(std::string_view text, const DateTime& value) {
    text = trimmed(text);
    if (!value.hasTime || value.hour == 24 || text.size() < 19 || text[10] != 'T' || text[16] != ':')
        return false;
    std::size_t at = 19;
    if (at < text.size() && text[at] == '.')
        for (++at; at < text.size() && isDigit(text[at]);)
            ++at;
    const std::string_view zone = text.substr(at);
    return zone.empty() || zone == "Z" || (zone.size() == 6 && zone[3] == ':');
}

} // namespace

std::optional<std::string> schemaDateTime(const std::string& text) {
    std::optional<DateTime> value = readDateTime(text);
    if (!value || !value->whole || value->second > 59)
        return std::nullopt;
    if (hasSchemaForm(text, *value))
        return text;
    DateTime& v = *value;
    if (v.hour == 24) { // the end of a day is the start of the next
        v.hour = 0;
        if (++v.day > daysInMonth(v.year, v.month)) {
            v.day = 1;
            if (++v.month > 12) {
                v.month = 1;
                if (++v.year > 9999)
                    return std::nullopt;
            }
        }
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", v.year, v.month, v.day, v.hour,
                  v.minute, v.second);
    std::string out = buffer;
    if (v.nanoseconds > 0) {
        std::snprintf(buffer, sizeof buffer, ".%09d", static_cast<int>(v.nanoseconds));
        std::string fraction = buffer;
        fraction.erase(fraction.find_last_not_of('0') + 1);
        out += fraction;
    }
    if (v.utcOffset && *v.utcOffset == 0) {
        out += 'Z';
    } else if (v.utcOffset) {
        const int minutes = (*v.utcOffset < 0 ? -*v.utcOffset : *v.utcOffset) / 60;
        std::snprintf(buffer, sizeof buffer, "%c%02d:%02d", *v.utcOffset < 0 ? '-' : '+', minutes / 60,
                      minutes % 60);
        out += buffer;
    }
    return out;
}

} // namespace bcf
