// The camera's calendar clock read as local time of the viewing computer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace lum {

// Seconds since 1970 for a local date and time, daylight saving decided for that
// date; nullopt when the C library cannot represent it.
std::optional<std::int64_t> LocalDateTimeToEpoch(int year, int month, int day, int hour, int minute,
                                                 int second);

// LocalDateTimeToEpoch for the many readings of one scan. The C library looks
// at the time-zone setting on every conversion; here it is asked once per hour
// of the calendar and the minutes and seconds are added, which gives the same
// result wherever daylight saving changes on the hour. Keep one per scan, so a
// new scan sees a changed time zone.
class LocalClock {
  public:
    std::optional<std::int64_t> ToEpoch(int year, int month, int day, int hour, int minute,
                                        int second);

  private:
    struct Hour {
        bool used = false;
        int year = 0, month = 0, day = 0, hour = 0;
        std::optional<std::int64_t> start;
    };
    std::array<Hour, 8> hours_{};
    std::size_t next_ = 0;
};

struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::optional<LocalDateTime> EpochToLocalDateTime(std::int64_t seconds);

// The ranges both readers demand before they trust a clock reading.
bool IsValidClock(int month, int day, int hour, int minute, int second);

}  // namespace lum
