// Value types that the readers, the catalogue and the views hand to each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lum {

inline constexpr std::size_t kMaxTelemetryBlocks = 700;
// Cameras never list more than a minute of index entries; 60, not 64 or 700.
inline constexpr std::size_t kMaxGpsIndexEntries = 60;

inline constexpr std::uint8_t EntryFlagNameLocked = 0x01;
inline constexpr std::uint8_t EntryFlagReadOnly = 0x02;

// What a container reader finds out about a recording without decoding video.
struct TelemetryIndex {
    std::uint64_t gpsDataOffset = 0;
    std::uint32_t gpsDataSize = 0;
    std::uint64_t gsensorDataOffset = 0;
    std::uint32_t gsensorDataSize = 0;
    // Only the listed blocks are kept: blockOffsets.size() == blockCount, so an
    // entry without blocks costs no more than an empty vector.
    std::vector<std::uint64_t> blockOffsets;
    std::uint32_t blockCount = 0;
    std::vector<std::uint64_t> gpsIndexOffsets;  // gpsIndexOffsets.size() == gpsIndexCount
    std::uint32_t gpsIndexCount = 0;
    std::uint8_t hasSideText = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::int64_t startTime = 0;      // seconds since 1970, camera clock read as local time
    std::int64_t lengthSeconds = 0;  // AVI only
    std::uint32_t durationMs = 0;
    std::uint64_t fileSize = 0;
    std::uint32_t gpsAttributes = 0;      // byte 0: GPS records per second (0 = 1)
    std::uint32_t gsensorAttributes = 0;  // byte 1: G-sensor full scale in g (0 = 8)
};

// One recording file of the catalogue. Strings are UTF-8.
struct RecordingEntry {
    std::int32_t groupStart = 0;
    std::uint8_t flags = 0;
    std::string fileName;
    std::string rootFolder;
    std::string subFolder;
    TelemetryIndex telemetry;
};

// The 32-byte GPS record: the in-memory sample and the "gps0" record format alike.
struct GpsSample {
    double latitude = 0;   // ddmm.mmmm, negative for south
    double longitude = 0;  // dddmm.mmmm, negative for west
    std::int32_t altitude = 0;
    std::int16_t speedKmh = 0;
    std::uint8_t year = 0;  // year - 2000; 0 = no date
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t headingHalfDegrees = 0;
    std::uint8_t fixFlags = 0;  // bit 0: valid fix
    std::uint8_t reserved2 = 0;
    std::uint8_t reserved3 = 0;
};
static_assert(sizeof(GpsSample) == 32, "GpsSample is a binding 32-byte record");
static_assert(offsetof(GpsSample, longitude) == 8);
static_assert(offsetof(GpsSample, altitude) == 16);
static_assert(offsetof(GpsSample, speedKmh) == 20);
static_assert(offsetof(GpsSample, year) == 22);
static_assert(offsetof(GpsSample, second) == 27);
static_assert(offsetof(GpsSample, headingHalfDegrees) == 28);
static_assert(offsetof(GpsSample, fixFlags) == 29);
static_assert(offsetof(GpsSample, reserved3) == 31);

inline constexpr std::size_t kGpsRecordSize = 32;

// Decodes one little-endian 32-byte record whatever the host byte order.
GpsSample DecodeGpsSample(const std::uint8_t* record);

struct GSensorSample {
    std::int8_t x = 0;
    std::int8_t y = 0;
    std::int8_t z = 0;
};
static_assert(sizeof(GSensorSample) == 3, "GSensorSample is a binding 3-byte record");

inline constexpr std::size_t kGSensorRecordSize = 3;

enum class RecordingKind { Emergency, Manual, Parking, Normal, Event };

// String-table id of the kind's display name.
int KindStringId(RecordingKind kind);
// English display name (used by the command line and logs-free tools).
std::string_view KindEnglishName(RecordingKind kind);

RecordingKind KindOf(std::string_view fileName, std::uint8_t flags, std::uint8_t hasSideText);
inline RecordingKind KindOf(const RecordingEntry& e) {
    return KindOf(e.fileName, e.flags, e.telemetry.hasSideText);
}

// rootFolder, subFolder and fileName joined with one separator between parts.
std::string FullPath(const RecordingEntry& entry);

bool HasGps(const RecordingEntry& entry);
double RecordsPerSecond(const RecordingEntry& entry);
double GSensorFullScale(const RecordingEntry& entry);

// v is in dd.mmmm form (the NMEA value already divided by 100).
double NmeaToDegrees(double v);
// Converts both in place; false when either result is 200 or more.
bool NmeaPairToDegrees(double& latitude, double& longitude);

// The coordinate rule every consumer applies before plotting or showing a sample:
// a valid fix whose NMEA values divided by 100 lie strictly between -200 and 200
// (so never NaN or infinite).
bool IsPlottable(const GpsSample& s);

}  // namespace lum
