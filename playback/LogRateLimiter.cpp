#include "playback/LogRateLimiter.h"

#include <iterator>
#include <utility>

namespace lum {

LogRateLimiter::LogRateLimiter(std::chrono::milliseconds interval, Clock clock,
                               std::size_t capacity)
    : interval_(interval), clock_(std::move(clock)), capacity_(capacity) {}

std::optional<std::size_t> LogRateLimiter::Admit(std::string_view message) {
    const auto now = clock_();
    const std::lock_guard lock(mutex_);
    const auto found = seen_.find(std::string(message));
    if (found != seen_.end()) {
        Seen& seen = found->second;
        if (now - seen.lastWritten < interval_) {
            ++seen.heldBack;
            return std::nullopt;
        }
        const std::size_t heldBack = seen.heldBack;
        seen = {now, 0};
        return heldBack;
    }
    if (seen_.size() >= capacity_) {
        for (auto it = seen_.begin(); it != seen_.end();) {
            it = now - it->second.lastWritten >= interval_ ? seen_.erase(it) : std::next(it);
        }
        if (seen_.size() >= capacity_) {
            return std::nullopt;
        }
    }
    seen_.emplace(std::string(message), Seen{now, 0});
    return 0;
}

}  // namespace lum
