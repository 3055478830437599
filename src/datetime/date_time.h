// Date-times as BCF files store them (xs:dateTime, xs:date and what tools write instead): read
// once into their calendar fields and offset, shown in local time, sorted by the moment they name.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>
#include <string>
#include <string_view>

namespace bcf {

// A stored date or date-time, read.
struct DateTimeValue {
    QDate date;
    QTime time; // midnight for a date alone
    bool hasTime = false;
    // Seconds east of UTC when the text names a readable offset ("Z", "+01:00", "+0100", "+01");
    // nothing for a time without one, which is the wall-clock time as written.
    std::optional<int> utcOffset;

    // The moment in local time: converted from its offset, or the wall-clock time taken as local.
    QDateTime local() const;
    // Milliseconds since 1970-01-01 UTC of that moment.
    qint64 sortKey() const;
};

// Reads "2024-03-07T09:05:41.250+01:00" and its kin: a lower-case "t" or a blank for the "T",
// seconds and fractions optional, an offset with or without its colon or minutes, "Z" in either
// case; surrounding blanks ignored. A zone that can't be read (" CET", "+25:00") leaves the time as
// written; a date followed by anything but a time is the date alone. Nothing for a text that does
// not start with a valid yyyy-MM-dd date.
std::optional<DateTimeValue> readDateTime(std::string_view text);

// The forms dates are shown in.
enum class DateTimeStyle {
    Window, // "07.03.2024, 10:05"; "07.03.2024" for a date alone
    Report, // "2024-03-07 10:05"; "2024-03-07" for a date alone
};

// `text` as `style` shows it: a time with an offset in local time, one without as written. A text
// that is no date is shown as it stands.
QString formatDateTime(std::string_view text, DateTimeStyle style = DateTimeStyle::Window);

// `time` as new records store it: its wall-clock time in whole seconds and its offset from UTC
// in whole minutes, 2024-03-07T09:05:41.000+01:00.
std::string storedDateTimeText(const QDateTime& time);

} // namespace bcf
