#include "playback/LogRateLimiter.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace lum {

namespace {
// The longest wait, in intervals: a message still coming after an hour shows once an hour.
constexpr int kLongestWait = 64;
}  // namespace

LogRateLimiter::LogRateLimiter(std::chrono::milliseconds interval, Clock clock,
                               std::size_t capacity)
    : interval_(interval), clock_(std::move(clock)), capacity_(capacity) {}

std::optional<std::size_t> LogRateLimiter::Admit(std::string_view message) {
    const auto now = clock_();
    const std::lock_guard lock(mutex_);
    const auto found = seen_.find(std::string(message));
    if (found != seen_.end()) {
        Seen& seen = found->second;
        if (now - seen.lastWritten < seen.wait) {
            ++seen.heldBack;
            return std::nullopt;
        }
        const std::size_t heldBack = seen.heldBack;
        seen = {now, 0, std::min(seen.wait * 2, interval_ * kLongestWait)};
        return heldBack;
    }
    if (seen_.size() >= capacity_) {
        for (auto it = seen_.begin(); it != seen_.end();) {
            it = now - it->second.lastWritten >= it->second.wait ? seen_.erase(it) : std::next(it);
        }
        if (seen_.size() >= capacity_) {
            return std::nullopt;
        }
    }
    seen_.emplace(std::string(message), Seen{now, 0, interval_});
    return 0;
}

}  // namespace lum
