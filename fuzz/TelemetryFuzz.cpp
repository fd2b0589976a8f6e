// The sample decoding of all four telemetry sources, from memory: the first 32
// bytes describe the recording (source, counts, offsets, sizes, attributes,
// duration), the rest are the bytes of its file or of its side text.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "catalogue/RecordingCatalogue.h"
#include "recordings/BoundedFile.h"
#include "recordings/DrivingEvents.h"
#include "recordings/TelemetrySources.h"

namespace {

constexpr std::size_t kHeader = 32;

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeader) {
        return 0;
    }
    lum::RecordingEntry entry;
    lum::TelemetryIndex& t = entry.telemetry;
    const int source = data[0] & 3;
    const std::uint32_t count = data[1] * 3u;  // up to 765: past the 700 cap too
    t.durationMs = lum::LoadLe32(data + 2);
    t.gpsAttributes = lum::LoadLe32(data + 6);
    t.gsensorAttributes = lum::LoadLe32(data + 10);
    t.gpsDataOffset = lum::LoadLe32(data + 14);
    t.gpsDataSize = lum::LoadLe32(data + 18);
    t.gsensorDataOffset = lum::LoadLe32(data + 22);
    t.gsensorDataSize = lum::LoadLe32(data + 26);
    const std::uint32_t stride = data[30] | (std::uint32_t{data[31]} << 8);
    if (source == 0 || source == 1) {
        auto& offsets = source == 0 ? t.blockOffsets : t.gpsIndexOffsets;
        offsets.resize(std::min<std::size_t>(count, lum::kMaxTelemetryBlocks));
        for (std::uint32_t k = 0; k < count && k < lum::kMaxTelemetryBlocks; ++k) {
            offsets[k] = t.gpsDataOffset + std::uint64_t{k} * stride;
        }
        (source == 0 ? t.blockCount : t.gpsIndexCount) = count;
    }
    lum::MemorySource bytes(data + kHeader, size - kHeader);
    const lum::DecodedTelemetry d = lum::DecodeTelemetry(entry, bytes, source == 2);

    // Never more samples than the recording can carry.
    if (d.source == lum::TelemetrySource::kBlocks ||
        d.source == lum::TelemetrySource::kIndexBlocks) {
        Check(d.gps.size() <= lum::kMaxTelemetryBlocks && d.gsensor.size() == d.gps.size() * 5);
    } else {
        Check(d.gps.size() <= lum::MaxGpsSamples(t.durationMs, 255.0));
        Check(d.gsensor.size() <= lum::MaxGSensorSamples(t.durationMs));
    }
    Check(d.gsensorFullScale > 0 && d.gsensorFullScale <= 255);
    // The events and trip figures of whatever was decoded: finite numbers, each
    // event inside its own time span, the events in order of their start.
    const lum::DriveAnalysis drive = lum::AnalyseDrive(
        {d.gps, d.gsensor, d.gsensorFullScale, d.rateKnown ? d.recordsPerSecond : 1.0, t.durationMs,
         static_cast<lum::RecordingKind>(data[1] % 5)},
        {});
    Check(std::isfinite(drive.trip.distanceMetres) && drive.trip.distanceMetres >= 0);
    Check(std::isfinite(drive.trip.maxAccelerationG) && std::isfinite(drive.trip.averageSpeedKmh));
    for (std::size_t k = 0; k < drive.events.size(); ++k) {
        const lum::DrivingEvent& e = drive.events[k];
        Check(std::isfinite(e.peak) && e.startMs <= e.endMs);
        Check(!e.hasPosition || (std::isfinite(e.latitude) && std::isfinite(e.longitude)));
        Check(k == 0 || drive.events[k - 1].startMs <= e.startMs);
    }
    // Every point the map is given is a finite position it can draw, written in full in
    // a few characters, with a speed a car can drive or none.
    for (const lum::MapTrackPoint& p : lum::MapTrack(d.gps)) {
        Check(std::isfinite(p.at.latitude) && std::isfinite(p.at.longitude));
        Check(std::fabs(p.at.latitude) < 210 && std::fabs(p.at.longitude) < 210);
        Check(lum::FormatFixed6(p.at.latitude).size() <= 11);
        Check(p.speedKmh >= -1 && p.speedKmh <= lum::kMaxCarSpeedKmh);
    }
    return 0;
}
