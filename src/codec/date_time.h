// Date-times as BCF files store them (xs:dateTime, xs:date and what tools write instead), read
// once into their calendar fields and their offset from UTC. The one reader of the project: merging
// compares the instants, the window and the reports show and sort them (src/datetime).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bcf {

// A point in time: seconds since 1970-01-01T00:00:00Z and the nanoseconds within that second.
struct Instant {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;
    auto operator<=>(const Instant&) const = default;
};

// A stored date or date-time, read.
struct DateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    bool hasTime = false;
    // As written: 24:00:00 (the end of the day) and a leap second are kept.
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::int32_t nanoseconds = 0;
    // Seconds east of UTC when the text names a readable offset ("Z", "+01:00", "+0100", "+01");
    // nothing for a time without one, which is a wall-clock time as written.
    std::optional<int> utcOffset;
    // False when text follows what was read: a zone that can't be read (" CET", "+25:00") after a
    // time, anything but a time after a date.
    bool whole = true;

    // The instant, a time without an offset taken as UTC.
    Instant instantAsUtc() const;
};

// Reads "2024-03-07T09:05:41.250+01:00" and its kin: a lower-case "t" or a blank for the "T",
// seconds and fractions optional, an offset with or without its colon or minutes, "Z" in either
// case; surrounding blanks ignored. Nothing for a text that does not start with a valid yyyy-MM-dd
// date.
std::optional<DateTime> readDateTime(std::string_view text);

// The instant of a whole date-time text (a date alone is its midnight, a time without a zone
// counts as UTC), or nothing for a text that is no date-time.
std::optional<Instant> parseDateTime(const std::string& text);

// The text as an xs:dateTime that a schema accepts: `text` itself when it is one already, else the
// date-time it reads as, written in that form ("2024-03-07" as "2024-03-07T00:00:00", "+0100" as
// "+01:00", 24:00 as midnight of the next day); nothing for a text that is no date-time (junk after
// it, a leap second).
std::optional<std::string> schemaDateTime(const std::string& text);

} // namespace bcf
