// Tests that convert dates pin the time zone so they mean the same everywhere.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace lum::test {

// POSIX TZ strings need no zone database: "JST-9" is UTC+9 all year.
inline void SetTimeZone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
}

// Seconds since 1970 of a UTC calendar time, computed independently of the C library.
inline std::int64_t UtcEpoch(int y, int m, int d, int hh, int mm, int ss) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = era * 146097 + doe - 719468;
    return days * 86400 + hh * 3600 + mm * 60 + ss;
}

}  // namespace lum::test
