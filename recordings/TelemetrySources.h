// The per-second telemetry blocks and the side text file of a recording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
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

// The side ".TXT" file: one record per completed line, at most maxRecords of them.
void ParseSideText(std::string_view text, std::vector<GpsSample>& gps,
                   std::vector<GSensorSample>& accel,
                   std::size_t maxRecords = std::numeric_limits<std::size_t>::max());

// Where the telemetry bytes come from: the opened file, or memory.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Exactly n bytes at offset, or false.
    virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t n) = 0;
    // A hint: the reads that follow lie within [offset, offset + size), which is
    // at most twice the bytes they ask for; a file may fetch that span at once.
    virtual void WillRead(std::uint64_t /*offset*/, std::uint64_t /*size*/) {}
};

class MemorySource final : public ByteSource {
  public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t n) override;

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// The most samples a recording is believed to carry: a camera writes at most this
// many G-sensor samples a second, and nothing is decoded past twice what the
// recording's duration can hold (GPS at its declared rate) or past the ceilings.
inline constexpr std::size_t kMaxGSensorPerSecond = 200;
inline constexpr std::size_t kGpsSampleCeiling = std::size_t{1} << 16;
inline constexpr std::size_t kGSensorSampleCeiling = std::size_t{1} << 20;
std::size_t MaxGpsSamples(std::uint32_t durationMs, double recordsPerSecond);
std::size_t MaxGSensorSamples(std::uint32_t durationMs);

enum class TelemetrySource { kNone, kBlocks, kIndexBlocks, kSideText, kPayloads };

// The samples of one recording and how the views are to take them.
struct DecodedTelemetry {
    TelemetrySource source = TelemetrySource::kNone;
    std::vector<GpsSample> gps;
    std::vector<GSensorSample> gsensor;
    // The scale the samples are meant with: 8 g for blocks and side text, the
    // recording's own for payloads.
    double gsensorFullScale = 8.0;
    // Whether the curve is given the samples (a payload source without a
    // G-sensor payload only clears it).
    bool curveLoaded = false;
    // Set when the source fixes the GPS rate.
    bool rateKnown = false;
    double recordsPerSecond = 1.0;
};

// Decodes a recording's telemetry from its bytes, or from its side text when
// sideText is set. Reads only what the recording's duration can carry.
DecodedTelemetry DecodeTelemetry(const RecordingEntry& entry, ByteSource& bytes, bool sideText);

// The side file's path for an AVI recording's path: its extension swapped for
// ".TXT" (or ".txt" to match ".avi"); empty when the path is not an AVI recording.
std::string SideTextPath(std::string_view recordingPath);

}  // namespace lum
