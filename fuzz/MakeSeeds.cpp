// Writes the fuzz seeds from the same builders the tests use, hostile cases
// that once went wrong among them:
// lum_fuzz_seeds OUT_DIR  ->  OUT_DIR/{mp4,avi,telemetry,writers}/*
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/Builders.h"

using namespace lum::test;

namespace {

// A GPS record with a valid fix at these coordinates.
Bytes FixAt(double latitude, double longitude) {
    lum::GpsSample s;
    s.latitude = latitude;
    s.longitude = longitude;
    s.fixFlags = 1;
    return GpsRecord(s);
}

// The telemetry target's input: a 32-byte description of the recording, then its bytes.
Bytes TelemetryInput(std::uint8_t source, std::uint8_t countThirds, std::uint32_t durationMs,
                     std::uint32_t gpsAttributes, std::uint32_t gsensorAttributes,
                     std::uint32_t gpsOffset, std::uint32_t gpsSize, std::uint32_t gsensorOffset,
                     std::uint32_t gsensorSize, std::uint16_t stride, const Bytes& file) {
    return Cat({Bytes{source, countThirds}, Le32(durationMs), Le32(gpsAttributes),
                Le32(gsensorAttributes), Le32(gpsOffset), Le32(gpsSize), Le32(gsensorOffset),
                Le32(gsensorSize), Le16(stride), file});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lum_fuzz_seeds OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const Bytes telemetry = Cat({Box("gpsa", Attributes(5, 0)), Box("gsea", Attributes(0, 4)),
                                 Box("IDIT", Text("2014-01-01 12:00:00")),
                                 Box("gps0", GpsPayload(12, 2, {2014, 1, 1, 12, 0, 0})),
                                 Box("gsen", GsensorPayload(30))});
    const Bytes video = VideoTrak(1920, 1080, 90000, 5400000);
    std::vector<std::pair<std::string, Bytes>> mp4 = {
        {"telemetry", Cat({Ftyp(), telemetry, Box("moov", {video}), Box("mdat", Zeros(32))})},
        {"mov-blocks",
         Cat({Ftyp(), Box("moov", {video, AudioTrak(1, 16, 8000, {100, 40000, 80000})}),
              Box("mdat", Zeros(64))})},
        {"gps-index", Cat({Ftyp(), GpsIndexBox({1000, 2000, 3000}), Box("moov", {video})})},
        {"moov-first", Cat({Ftyp(), Box("moov", {Box("mvhd", Zeros(100)), video}), telemetry})},
    };
    const Bytes head = AviHeaderList(40000, 1500, 1280, 720);
    const std::vector<std::pair<std::string, Bytes>> avi = {
        {"telemetry",
         Riff({head, Chunk("gpsa", Attributes(1, 0)), Chunk("IDIT", Text("2014-01-01 12:00:00")),
               Chunk("gps0", GpsPayload(4, 0, {2014, 1, 1, 12, 0, 0})),
               Chunk("gsen", GsensorPayload(20)), Movi(64), Chunk("idx1", Zeros(16))})},
        {"plain", Riff({head, Chunk("JUNK", Zeros(3)), Movi(16)})},
        {"truncated-movi", Riff({head, ChunkWithSize("LIST", 1u << 20, Text("movi"))})},
    };
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Bytes hostile = Cat({FixAt(-1e300, 13944.0), FixAt(nan, 13944.0), FixAt(3539.0, inf),
                               FixAt(-inf, -inf), FixAt(-0.0, -0.0), FixAt(1e-300, 20000.0)});
    const Bytes moov = Box("moov", {VideoTrak(640, 360, 1000, 2000)});
    // The hostile cases as recordings too: the walk meets them before the decoder does.
    mp4.push_back({"hostile-coordinates", Cat({Ftyp(), Box("gps0", hostile), moov})});
    mp4.push_back({"gsen-1-byte", Cat({Ftyp(), moov, Box("gsen", Zeros(1))})});
    mp4.push_back({"gsen-2-bytes", Cat({Ftyp(), moov, Box("gsen", Zeros(2))})});

    BlockFields fields;
    fields.accel[0][0] = -24;
    Bytes blocks;
    PlaceAt(blocks, 16, TelemetryBlock(176, 20, fields));
    PlaceAt(blocks, 216, TelemetryBlock(176, 20, fields));
    PlaceAt(blocks, 416, TelemetryBlock(176, 20, fields));
    Bytes indexBlocks;
    PlaceAt(indexBlocks, 16, TelemetryBlock(136, 12, fields));
    const Bytes sideText = Text(
        "12,00,01,A,S,3350.500000,W,7040.250000,42.5,0.0,14,1,2,-40,16,5,x,4\n"
        "12,00,02,A,N,3539.5\n,E,13944.7,5,0,14,1,2,0,0,0,z,4\n");
    const Bytes gsen = GsensorPayload(30);
    const std::uint32_t hostileSize = static_cast<std::uint32_t>(hostile.size());
    const std::vector<std::pair<std::string, Bytes>> telemetrySeeds = {
        {"blocks", TelemetryInput(0, 1, 2000, 0, 0, 0, 0, 0, 0, 200, blocks)},
        {"index-blocks", TelemetryInput(1, 1, 2000, 0, 0, 0, 0, 0, 0, 0, indexBlocks)},
        {"side-text", TelemetryInput(2, 0, 2000, 0, 0, 0, 0, 0, 0, 0, sideText)},
        {"payloads",
         TelemetryInput(3, 0, 2000, 5, 0x400, 0, hostileSize, hostileSize,
                        static_cast<std::uint32_t>(gsen.size()), 0, Cat({hostile, gsen}))},
        {"gsen-1-byte", TelemetryInput(3, 0, 2000, 0, 0, 0, 0, 0, 1, 0, Zeros(1))},
        {"gsen-2-bytes", TelemetryInput(3, 0, 2000, 0, 0, 0, 0, 0, 2, 0, Zeros(2))},
        // Far more samples than one second can carry.
        {"oversized-payloads",
         TelemetryInput(3, 0, 1000, 255, 0, 0, 64 * 32, 64 * 32, 3000, 0,
                        Cat({GpsPayload(64, 0, {2014, 1, 1, 0, 0, 0}), GsensorPayload(1000)}))},
    };
    const std::vector<std::pair<std::string, Bytes>> writerSeeds = {
        {"hostile", Cat({Bytes{4}, Text("S\xFF.MP4"), hostile})},
        {"dated", Cat({Bytes{0}, GpsPayload(3, 1, {2014, 1, 1, 12, 0, 0})})},
    };
    try {
        for (const auto& [name, bytes] : telemetrySeeds) {
            WriteFile(out / "telemetry" / name, bytes);
        }
        for (const auto& [name, bytes] : writerSeeds) {
            WriteFile(out / "writers" / name, bytes);
        }
        for (const auto& [name, bytes] : mp4) {
            WriteFile(out / "mp4" / name, bytes);
        }
        for (const auto& [name, bytes] : avi) {
            WriteFile(out / "avi" / name, bytes);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
