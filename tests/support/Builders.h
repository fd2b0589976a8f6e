// Small builders that write MP4-family boxes and AVI chunks, so each test case
// and each fuzz seed is a few readable lines instead of an opaque binary.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "recordings/RecordingTypes.h"
#include "tools/bytes/ByteWriter.h"

namespace lum::test {

using bytes::Append;
using bytes::AppendText;
using bytes::Be16;
using bytes::Be32;
using bytes::Box;
using bytes::BoxWithSize;
using bytes::Bytes;
using bytes::ChunkWithSize;
using bytes::Le16;
using bytes::Le32;
using bytes::Le64;
using bytes::LeDouble;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        Append(out, p);
    }
    return out;
}
inline Bytes Text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}
inline Bytes Zeros(std::size_t n) {
    return Bytes(n, 0);
}

// ---- ISO base-media boxes (big-endian headers) ----

inline Bytes Box(std::string_view type, std::initializer_list<Bytes> children) {
    return Box(type, Cat(children));
}

inline Bytes Ftyp() {
    return Box("ftyp", Cat({Text("isom"), Be32(0x200), Text("isomavc1")}));
}

inline Bytes Mdhd(std::uint32_t timescale, std::uint32_t duration) {
    return Box("mdhd", Cat({Be32(0), Be32(0), Be32(0), Be32(timescale), Be32(duration), Be32(0)}));
}

// A visual sample entry: width at payload offset 24, height at 26.
inline Bytes Avc1(std::uint16_t width, std::uint16_t height) {
    return Box("avc1",
               Cat({Zeros(6), Be16(1), Zeros(16), Be16(width), Be16(height), Be32(0x00480000),
                    Be32(0x00480000), Be32(0), Be16(1), Zeros(32), Be16(0x18), Be16(0xFFFF)}));
}

inline Bytes Stsd(const Bytes& entry) {
    return Box("stsd", Cat({Be32(0), Be32(1), entry}));
}

inline Bytes VideoTrak(std::uint16_t width, std::uint16_t height, std::uint32_t timescale,
                       std::uint32_t duration) {
    return Box("trak", {Box("tkhd", Zeros(84)),
                        Box("mdia", {Mdhd(timescale, duration), Box("hdlr", Zeros(24)),
                                     Box("minf", {Box("stbl", {Stsd(Avc1(width, height))})})})});
}

// A sound sample entry: channels at stsd payload offset 32, bits at 34, rate at 40.
inline Bytes SoundEntry(std::uint16_t channels, std::uint16_t bits, std::uint16_t rate) {
    return Box("sowt", Cat({Zeros(6), Be16(1), Zeros(8), Be16(channels), Be16(bits), Be16(0),
                            Be16(0), Be16(rate), Be16(0)}));
}

inline Bytes Stco(const std::vector<std::uint32_t>& offsets) {
    Bytes p = Cat({Be32(0), Be32(static_cast<std::uint32_t>(offsets.size()))});
    for (std::uint32_t o : offsets) {
        Append(p, Be32(o));
    }
    return Box("stco", p);
}

inline Bytes AudioTrak(std::uint16_t channels, std::uint16_t bits, std::uint16_t rate,
                       const std::vector<std::uint32_t>& chunkOffsets) {
    return Box("trak",
               {Box("mdia", {Mdhd(rate, rate * 60u),
                             Box("minf", {Box("stbl", {Stsd(SoundEntry(channels, bits, rate)),
                                                       Stco(chunkOffsets)})})})});
}

// "gps " index: entry count, then (offset, size) pairs.
inline Bytes GpsIndexBox(const std::vector<std::uint32_t>& offsets) {
    Bytes p = Cat({Be32(0), Be32(static_cast<std::uint32_t>(offsets.size()))});
    for (std::uint32_t o : offsets) {
        Append(p, Cat({Be32(o), Be32(136)}));
    }
    return Box("gps ", p);
}

// ---- Telemetry records ----

struct ClockReading {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

inline Bytes GpsRecord(const GpsSample& s) {
    Bytes b = Cat({LeDouble(s.latitude), LeDouble(s.longitude),
                   Le32(static_cast<std::uint32_t>(s.altitude)),
                   Le16(static_cast<std::uint16_t>(s.speedKmh))});
    for (std::uint8_t v : {s.year, s.month, s.day, s.hour, s.minute, s.second, s.headingHalfDegrees,
                           s.fixFlags, s.reserved2, s.reserved3}) {
        b.push_back(v);
    }
    return b;
}

inline GpsSample DatedSample(const ClockReading& c) {
    GpsSample s;
    s.latitude = 3539.5110;
    s.longitude = 13944.7296;
    s.speedKmh = 42;
    s.year = static_cast<std::uint8_t>(c.year - 2000);
    s.month = static_cast<std::uint8_t>(c.month);
    s.day = static_cast<std::uint8_t>(c.day);
    s.hour = static_cast<std::uint8_t>(c.hour);
    s.minute = static_cast<std::uint8_t>(c.minute);
    s.second = static_cast<std::uint8_t>(c.second);
    s.fixFlags = 1;
    return s;
}

// n records, the first `undated` of them without a date, the rest counting on from c.
inline Bytes GpsPayload(int n, int undated, const ClockReading& c) {
    Bytes p;
    for (int k = 0; k < n; ++k) {
        if (k < undated) {
            Append(p, GpsRecord(GpsSample{}));
        } else {
            ClockReading t = c;
            t.second += (k - undated) % 60;
            Append(p, GpsRecord(DatedSample(t)));
        }
    }
    return p;
}

inline Bytes GsensorPayload(int n) {
    Bytes p;
    for (int i = 0; i < n; ++i) {
        p.push_back(std::uint8_t(i));
        p.push_back(std::uint8_t(-i));
        p.push_back(16);
    }
    return p;
}

inline Bytes Attributes(std::uint8_t b0, std::uint8_t b1) {
    return {b0, b1, 0, 0};
}

// A one-minute 640 x 360 MP4 whose start time is the "IDIT" text.
inline Bytes MinuteMp4(const std::string& idit) {
    return Cat({Ftyp(), Box("IDIT", Text(idit)), Box("moov", {VideoTrak(640, 360, 1000, 60000)})});
}

// ---- RIFF AVI chunks (little-endian sizes) ----

// Unpadded, so that a test lays out every byte itself.
inline Bytes Chunk(std::string_view id, const Bytes& payload) {
    return ChunkWithSize(id, static_cast<std::uint32_t>(payload.size()), payload);
}
inline Bytes List(std::string_view type, std::initializer_list<Bytes> children) {
    Bytes payload = Text(type.substr(0, 4));
    for (const Bytes& c : children) {
        Append(payload, c);
    }
    return Chunk("LIST", payload);
}
inline Bytes Riff(std::initializer_list<Bytes> children) {
    Bytes payload = Text("AVI ");
    for (const Bytes& c : children) {
        Append(payload, c);
    }
    return Chunk("RIFF", payload);
}

inline Bytes Avih(std::uint32_t usPerFrame, std::uint32_t frames) {
    return Chunk("avih", Cat({Le32(usPerFrame), Le32(0), Le32(0), Le32(0x10), Le32(frames), Le32(0),
                              Le32(2), Le32(0), Zeros(24)}));
}
inline Bytes Strh(std::string_view type) {
    return Chunk("strh", Cat({Text(type), Zeros(52)}));
}
inline Bytes VideoStrf(std::uint32_t width, std::uint32_t height) {
    return Chunk("strf", Cat({Le32(40), Le32(width), Le32(height), Le16(1), Le16(24), Zeros(24)}));
}
inline Bytes AudioStrf() {
    return Chunk("strf", Cat({Le16(1), Le16(1), Le32(8000), Zeros(10)}));
}

inline Bytes AviHeaderList(std::uint32_t usPerFrame, std::uint32_t frames, std::uint32_t width,
                           std::uint32_t height) {
    return List("hdrl",
                {Avih(usPerFrame, frames), List("strl", {Strh("vids"), VideoStrf(width, height)}),
                 List("strl", {Strh("auds"), AudioStrf()})});
}
inline Bytes Movi(std::size_t frameBytes) {
    return List("movi", {Chunk("00dc", Zeros(frameBytes))});
}

// ---- Files ----

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);

// A fresh folder below the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Writes bytes to a file below the folder and returns its UTF-8 path.
    std::string Write(std::string_view relative, const Bytes& bytes) const;

  private:
    std::filesystem::path path_;
};

}  // namespace lum::test

namespace lum::test {

// The fields of a per-second telemetry block (".MOV" 176 bytes, "gps " index 136).
struct BlockFields {
    int hour = 12, minute = 0, second = 0, year = 2014, month = 1, day = 1;
    char status = 'A', ns = 'N', ew = 'E';
    float latitude = 3539.511f, longitude = 13944.7296f, speed = 42.9f;
    std::int32_t accel[5][3] = {};
};

inline Bytes TelemetryBlock(std::size_t size, std::size_t stride, const BlockFields& f) {
    Bytes b(size, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            b[at + i] = std::uint8_t(v >> (8 * i));
        }
    };
    auto putFloat = [&](std::size_t at, float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        put32(at, bits);
    };
    put32(28, std::uint32_t(f.hour));
    put32(32, std::uint32_t(f.minute));
    put32(36, std::uint32_t(f.second));
    put32(40, std::uint32_t(f.year));
    put32(44, std::uint32_t(f.month));
    put32(48, std::uint32_t(f.day));
    b[52] = std::uint8_t(f.status);
    b[53] = std::uint8_t(f.ns);
    b[54] = std::uint8_t(f.ew);
    putFloat(56, f.latitude);
    putFloat(60, f.longitude);
    putFloat(64, f.speed);
    for (std::size_t k = 0; k < 5; ++k) {
        for (std::size_t a = 0; a < 3; ++a) {
            put32(72 + k * stride + a * 4, std::uint32_t(f.accel[k][a]));
        }
    }
    return b;
}

// Writes blocks into a byte image at the given positions (+16), growing it as needed.
inline void PlaceAt(Bytes& image, std::uint64_t at, const Bytes& block) {
    if (image.size() < at + block.size()) {
        image.resize(at + block.size(), 0);
    }
    std::copy(block.begin(), block.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace lum::test
