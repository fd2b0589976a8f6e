// The per-second telemetry blocks and the side text file of a recording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "RecordingTypes.h"

namespace lum {

inline constexpr std::size_t kMovBlockSize = 176;
inline constexpr std::size_t kIndexBlockSize = 136;
inline constexpr std::size_t kMovAccelStride = 20;
inline constexpr std::size_t kIndexAccelStride = 12;
// Blocks start this far after the position the file lists for them.
inline constexpr std::uint64_t kBlockLead = 16;

// One block: a GPS sample (all zero unless the fix is valid) and five
// acceleration samples, a fifth of a second apart.
void DecodeTelemetryBlock(const std::uint8_t* block, std::size_t accelStride, GpsSample& gps,
                          GSensorSample accel[5]);

// The side ".TXT" file: one record per completed line.
void ParseSideText(std::string_view text, std::vector<GpsSample>& gps,
                   std::vector<GSensorSample>& accel);

// The side file's path for an AVI recording's path: its extension swapped for
// ".TXT" (or ".txt" to match ".avi"); empty when the path is not an AVI recording.
std::string SideTextPath(std::string_view recordingPath);

}  // namespace lum
