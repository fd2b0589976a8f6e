// Shared driver of the reader fuzz targets: the readers take a path, so each
// input is written to a private temporary file and parsed under a given name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "recordings/Paths.h"
#include "recordings/RecordingTypes.h"
#include "recordings/VideoParser.h"

namespace lum::fuzz {

inline std::filesystem::path ScratchFolder() {
    static const std::filesystem::path dir = [] {
        std::random_device rd;
        auto p = std::filesystem::temp_directory_path() / ("lum-fuzz-" + std::to_string(rd()));
        std::filesystem::create_directories(p);
        return p;
    }();
    return dir;
}

inline std::string WriteInput(const std::uint8_t* data, std::size_t size, const char* name) {
    const std::filesystem::path p = ScratchFolder() / name;
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return FromFsPath(p);
}

// What every successful parse must guarantee, whatever the bytes were.
inline void CheckInvariants(const TelemetryIndex& t, std::size_t size) {
    const bool ok = t.width != 0 && t.height != 0 && t.durationMs != 0 && t.fileSize == size &&
                    t.blockCount <= kMaxTelemetryBlocks && t.gpsIndexCount <= kMaxGpsIndexEntries &&
                    t.gpsDataOffset + t.gpsDataSize <= size &&
                    t.gsensorDataOffset + t.gsensorDataSize <= size;
    if (!ok) {
        __builtin_trap();
    }
    for (std::size_t i = t.blockCount; i < kMaxTelemetryBlocks; ++i) {
        if (t.blockOffsets[i] != 0) {
            __builtin_trap();
        }
    }
}

template <class Parser>
void ParseAs(const std::uint8_t* data, std::size_t size, const char* name) {
    const std::string path = WriteInput(data, size, name);
    TelemetryIndex t;
    t.width = 0xBEEF;
    Parser parser;
    parser.SetTarget(&t);
    if (parser.Parse(path) == 0) {
        CheckInvariants(t, size);
    } else if (t.width != 0xBEEF) {
        __builtin_trap();  // a failed parse must leave the target alone
    }
}

}  // namespace lum::fuzz
