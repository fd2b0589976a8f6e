// The camera's calendar clock read as local time of the viewing computer.
#pragma once

#include <cstdint>
#include <optional>

namespace lum {

// Seconds since 1970 for a local date and time, daylight saving decided for that
// date; nullopt when the C library cannot represent it.
std::optional<std::int64_t> LocalDateTimeToEpoch(int year, int month, int day, int hour, int minute,
                                                 int second);

struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::optional<LocalDateTime> EpochToLocalDateTime(std::int64_t seconds);

// The ranges both readers demand before they trust a clock reading.
bool IsValidClock(int month, int day, int hour, int minute, int second);

}  // namespace lum
