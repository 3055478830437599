#include "ui/mainwindow_p.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

namespace {

bool isDigits(const std::string& text, std::size_t first, std::size_t count) {
    if (text.size() < first + count)
        return false;
    for (std::size_t i = first; i < first + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

int number(const std::string& text, std::size_t first, std::size_t count) {
    return std::stoi(text.substr(first, count));
}

// "YYYY-MM-DD" at the start of the text.
bool startsWithDate(const std::string& text) {
    return isDigits(text, 0, 4) && text[4] == '-' && isDigits(text, 5, 2) && text[7] == '-' &&
           isDigits(text, 8, 2);
}

// "YYYY-MM-DDThh:mm" at the start of the text (a blank instead of the T is accepted too).
bool startsWithDateTime(const std::string& text) {
    return startsWithDate(text) && text.size() >= 16 &&
           (text[10] == 'T' || text[10] == 't' || text[10] == ' ') && isDigits(text, 11, 2) &&
           text[13] == ':' && isDigits(text, 14, 2);
}

// The UTC offset in seconds that ends the text at `pos` ("Z", "+01:00", "+0100", "-05"), or nothing
// when the text ends there without one or goes on with anything else.
std::optional<int> utcOffset(const std::string& text, std::size_t pos) {
    const std::string zone = text.substr(pos);
    if (zone == "Z" || zone == "z")
        return 0;
    if (zone.empty() || (zone[0] != '+' && zone[0] != '-') || !isDigits(zone, 1, 2))
        return std::nullopt;
    int minutes = 0;
    if (zone.size() == 6 && zone[3] == ':' && isDigits(zone, 4, 2))
        minutes = number(zone, 4, 2);
    else if (zone.size() == 5 && isDigits(zone, 3, 2))
        minutes = number(zone, 3, 2);
    else if (zone.size() != 3)
        return std::nullopt;
    const int seconds = (number(zone, 1, 2) * 60 + minutes) * 60;
    return zone[0] == '-' ? -seconds : seconds;
}

// The local time of a date-time that carries its offset from UTC, or nothing for any other text.
std::optional<QDateTime> localTimeOf(const std::string& text) {
    std::size_t pos = 16;
    int seconds = 0;
    if (pos < text.size() && text[pos] == ':' && isDigits(text, pos + 1, 2)) {
        seconds = number(text, pos + 1, 2);
        pos += 3;
        if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
            do
                ++pos;
            while (isDigits(text, pos, 1));
        }
    }
    const std::optional<int> offset = utcOffset(text, pos);
    if (!offset)
        return std::nullopt;
    const QDate date(number(text, 0, 4), number(text, 5, 2), number(text, 8, 2));
    // 24:00 and leap seconds are taken as the last minute of the day rather than refused.
    const QTime time(std::min(number(text, 11, 2), 23), std::min(number(text, 14, 2), 59),
                     std::min(seconds, 59));
    const QDateTime written(date, time, QTimeZone(*offset));
    if (!written.isValid())
        return std::nullopt;
    return written.toLocalTime();
}

} // namespace

std::string formatDateTime(const std::string& text) {
    if (startsWithDateTime(text)) {
        // A time with its offset or "Z" is shown in the local time of this machine, so that times
        // written in different zones compare on screen; a time without one is shown as written.
        if (const std::optional<QDateTime> local = localTimeOf(text))
            return QLocale::c().toString(*local, QStringLiteral("dd.MM.yyyy, HH:mm")).toStdString();
        return text.substr(8, 2) + "." + text.substr(5, 2) + "." + text.substr(0, 4) + ", " +
               text.substr(11, 2) + ":" + text.substr(14, 2);
    }
    if (startsWithDate(text))
        return text.substr(8, 2) + "." + text.substr(5, 2) + "." + text.substr(0, 4);
    // Anything else is shown as it stands rather than cut into meaningless pieces.
    return text;
}
