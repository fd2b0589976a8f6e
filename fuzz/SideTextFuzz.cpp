// The side ".TXT" telemetry parser on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "recordings/TelemetrySources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<lum::GpsSample> gps;
    std::vector<lum::GSensorSample> accel;
    lum::ParseSideText(text, gps, accel);
    std::size_t lineFeeds = 0;
    for (char c : text) {
        lineFeeds += c == '\n';
    }
    // One record per completed line at most, and the two arrays stay in step.
    if (gps.size() != accel.size() || gps.size() > lineFeeds) {
        __builtin_trap();
    }
    return 0;
}
