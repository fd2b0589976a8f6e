// Lets each distinct message through at most once per interval, and less often the longer
// it goes on: after its n-th showing a message waits interval x 2^(n-1), at most 64
// intervals. An engine that repeats a complaint many times a second, or once for every
// recording, leaves a handful of lines an hour instead of a terminal full. Safe to call
// from any thread; Qt-free so it can be tested with a clock of its own.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace lum {

class LogRateLimiter {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // At most `capacity` distinct messages are remembered; when a new one finds no room,
    // those not written for a whole interval are forgotten, and if that frees nothing the
    // new message is held back until room comes.
    explicit LogRateLimiter(std::chrono::milliseconds interval = std::chrono::minutes(1),
                            Clock clock = std::chrono::steady_clock::now,
                            std::size_t capacity = 512);

    // Empty when the message must not be written now; otherwise how many times it came
    // and was held back since it was last written.
    std::optional<std::size_t> Admit(std::string_view message);

  private:
    struct Seen {
        std::chrono::steady_clock::time_point lastWritten;
        std::size_t heldBack = 0;
        // How long this message waits before it may be written again.
        std::chrono::milliseconds wait;
    };

    std::chrono::milliseconds interval_;
    Clock clock_;
    std::size_t capacity_;
    std::mutex mutex_;
    std::unordered_map<std::string, Seen> seen_;
};

}  // namespace lum
