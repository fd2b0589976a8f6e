#include "LocalTime.h"

#include <ctime>

namespace lum {

std::optional<std::int64_t> LocalDateTimeToEpoch(int year, int month, int day, int hour, int minute,
                                                 int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(t);
}

std::optional<std::int64_t> LocalClock::ToEpoch(int year, int month, int day, int hour, int minute,
                                                int second) {
    const auto sameHour = [&](const Hour& h) {
        return h.used && h.hour == hour && h.day == day && h.month == month && h.year == year;
    };
    const Hour* found = nullptr;
    for (const Hour& h : hours_) {
        if (sameHour(h)) {
            found = &h;
            break;
        }
    }
    if (found == nullptr) {
        Hour& slot = hours_[next_];
        next_ = (next_ + 1) % hours_.size();
        slot =
            Hour{true, year, month, day, hour, LocalDateTimeToEpoch(year, month, day, hour, 0, 0)};
        found = &slot;
    }
    if (!found->start) {
        return std::nullopt;
    }
    return *found->start + std::int64_t{minute} * 60 + second;
}

std::optional<LocalDateTime> EpochToLocalDateTime(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
#ifdef _WIN32
    if (localtime_s(&tm, &t) != 0) {
        return std::nullopt;
    }
#else
    if (localtime_r(&t, &tm) == nullptr) {
        return std::nullopt;
    }
#endif
    return LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                         tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

bool IsValidClock(int month, int day, int hour, int minute, int second) {
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 && hour <= 23 &&
           minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

}  // namespace lum
