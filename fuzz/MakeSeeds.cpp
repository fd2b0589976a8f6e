// Writes the reader fuzz seeds from the same builders the tests use:
// lum_fuzz_seeds OUT_DIR  ->  OUT_DIR/mp4/*, OUT_DIR/avi/*
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/Builders.h"

using namespace lum::test;

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
    const std::vector<std::pair<std::string, Bytes>> mp4 = {
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
    try {
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
