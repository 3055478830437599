// The instants that xs:dateTime texts stand for, so that dates written in different forms and
// time zones compare.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bcf {

// A point in time: seconds since 1970-01-01T00:00:00Z and the nanoseconds within that second.
struct Instant {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;
    auto operator<=>(const Instant&) const = default;
};

// The instant of an xs:dateTime ("2024-03-07T09:05:41.250+01:00"; a time without a zone counts as
// UTC, a blank in place of the "T" is read as one, a date alone is its midnight, and surrounding
// white space is ignored), or
// nothing for a text that is no date-time.
std::optional<Instant> parseDateTime(const std::string& text);

} // namespace bcf
