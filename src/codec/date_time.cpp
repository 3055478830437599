#include "codec/date_time.h"

#include <string_view>

namespace bcf {

namespace {

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

} // namespace

std::optional<Instant> parseDateTime(const std::string& whole) {
    std::string_view text = whole;
    while (!text.empty() &&
           (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    std::size_t at = 0;
    // Reads exactly `digits` digits at `at`.
    auto number = [&](std::size_t digits, int& out) {
        if (at + digits > text.size())
            return false;
        out = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            out = out * 10 + (text[i] - '0');
        }
        at += digits;
        return true;
    };
    auto expect = [&](char c) {
        if (at >= text.size() || text[at] != c)
            return false;
        ++at;
        return true;
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!number(4, year) || !expect('-') || !number(2, month) || !expect('-') || !number(2, day) ||
        month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    const std::int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    // A date alone, as some tools write where a date-time belongs, is its midnight.
    if (at == text.size())
        return Instant{days * 86400, 0};
    if (text[at] != 'T' && text[at] != ' ')
        return std::nullopt;
    ++at;
    if (!number(2, hour) || !expect(':') || !number(2, minute) || !expect(':') || !number(2, second) ||
        hour > 24 || minute > 59 || second > 60)
        return std::nullopt;
    std::int32_t nanoseconds = 0;
    if (at < text.size() && text[at] == '.') {
        std::int32_t scale = 100000000;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, scale /= 10)
            nanoseconds += (text[at] - '0') * scale;
    }
    int offsetMinutes = 0;
    if (at < text.size() && text[at] == 'Z') {
        ++at;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        const int sign = text[at++] == '-' ? -1 : 1;
        int hours = 0, minutes = 0;
        if (!number(2, hours) || !expect(':') || !number(2, minutes) || hours > 14 || minutes > 59)
            return std::nullopt;
        offsetMinutes = sign * (hours * 60 + minutes);
    }
    if (at != text.size())
        return std::nullopt;
    return Instant{((days * 24 + hour) * 60 + minute - offsetMinutes) * 60 + second, nanoseconds};
}

} // namespace bcf
