// A synthetic card of small recordings of every kind and telemetry layout,
// shared by the scan benchmark and its card writer.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/Builders.h"

namespace lum::bench {

using namespace lum::test;

inline std::string Stamp(int i) {
    // One recording a minute from 2014-01-01 08:00 on.
    const int minutes = 8 * 60 + i;
    char buf[32];
    std::snprintf(buf, sizeof buf, "14%02d%02d-%02d%02d00", 1 + minutes / (24 * 60 * 28) % 12,
                  1 + minutes / (24 * 60) % 28, minutes / 60 % 24, minutes % 60);
    return buf;
}

inline std::string Idit(int i) {
    const std::string s = Stamp(i);
    return "20" + s.substr(0, 2) + "-" + s.substr(2, 2) + "-" + s.substr(4, 2) + " " +
           s.substr(7, 2) + ":" + s.substr(9, 2) + ":" + s.substr(11, 2);
}

inline Bytes Mp4Payloads(int i) {
    return Cat({Ftyp(), Box("gpsa", Attributes(1, 0)), Box("gsea", Attributes(0, 8)),
                Box("IDIT", Text(Idit(i))), Box("gps0", GpsPayload(60, 0, {2014, 1, 1, 8, 0, 0})),
                Box("gsen", GsensorPayload(600)),
                Box("moov", {VideoTrak(1920, 1080, 90000, 5400000)}), Box("mdat", Zeros(2048))});
}

inline Bytes MovBlocks(int i, int seconds = 60) {
    std::vector<std::uint32_t> offsets(static_cast<std::size_t>(seconds));
    auto build = [&] {
        return Cat(
            {Ftyp(), Box("IDIT", Text(Idit(i))),
             Box("moov", {VideoTrak(1280, 720, 1000, 60000), AudioTrak(1, 16, 8000, offsets)})});
    };
    const std::uint32_t base = static_cast<std::uint32_t>(build().size()) + 8;
    for (std::uint32_t k = 0; k < offsets.size(); ++k) {
        offsets[k] = base + k * 200;
    }
    Bytes image = build();
    Bytes media;
    for (std::uint32_t k = 0; k < offsets.size(); ++k) {
        BlockFields f;
        f.second = static_cast<int>(k);
        PlaceAt(media, std::uint64_t{k} * 200 + 32768 + 16, TelemetryBlock(176, 20, f));
    }
    Append(image, Box("mdat", media));
    return image;
}

inline Bytes Avi(int i) {
    return Riff({AviHeaderList(33333, 1800, 1280, 720), Chunk("IDIT", Text(Idit(i))),
                 Chunk("gps0", GpsPayload(60, 0, {2014, 1, 1, 8, 0, 0})),
                 Chunk("gsen", GsensorPayload(600)), Movi(2048), Chunk("idx1", Zeros(64))});
}

// count recordings of every kind and layout in four folders below out.
inline void WriteBenchCard(const std::filesystem::path& out, int count) {
    static const char* kPrefixes[] = {"FILE", "FILE", "FILE", "EMER",
                                      "MANU", "PARK", "SOS_", "FILG"};
    static const char* kFolders[] = {"DCIM/100MEDIA", "DCIM/101MEDIA", "DCIM/EVENT",
                                     "DCIM/PARKING"};
    for (int i = 0; i < count; ++i) {
        const std::string stem = std::string(kPrefixes[i % 8]) + Stamp(i);
        const std::filesystem::path folder = out / kFolders[i % 4];
        switch (i % 5) {
            case 0:
            case 1:
            case 2:
                WriteFile(folder / (stem + ".MP4"), Mp4Payloads(i));
                break;
            case 3:
                WriteFile(folder / (stem + ".MOV"), MovBlocks(i));
                break;
            default:
                WriteFile(folder / (stem + ".AVI"), Avi(i));
                break;
        }
    }
}

}  // namespace lum::bench
