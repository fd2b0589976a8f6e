// The byte writers that build the files the readers take: integers of either
// byte order, ISO base-media boxes and RIFF chunks. The sample-card tool writes
// its recordings with them and the tests and fuzz seeds build their fixtures
// with them, so a fixture and a sample card are laid out by the same code.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace lum::bytes {

using Bytes = std::vector<std::uint8_t>;

// Byte by byte: GCC 12 at -O2 misreads range inserts into small vectors as overflows.
inline void Append(Bytes& out, const Bytes& more) {
    out.reserve(out.size() + more.size());
    for (std::uint8_t b : more) {
        out.push_back(b);
    }
}
inline void AppendText(Bytes& out, std::string_view s) {
    for (char c : s) {
        out.push_back(static_cast<std::uint8_t>(c));
    }
}

inline void PutBe16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}
inline void PutBe32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}
inline void PutLe16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void PutLe32(Bytes& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}
inline void PutLe64(Bytes& out, std::uint64_t v) {
    for (int shift = 0; shift < 64; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}
inline void PutLeDouble(Bytes& out, double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    PutLe64(out, bits);
}
inline void PutLeFloat(Bytes& out, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    PutLe32(out, bits);
}

// The same integers as byte strings of their own, for writing a layout as a list.
template <typename T>
Bytes Written(void (*put)(Bytes&, T), T v) {
    Bytes b;
    put(b, v);
    return b;
}
inline Bytes Be16(std::uint16_t v) {
    return Written(PutBe16, v);
}
inline Bytes Be32(std::uint32_t v) {
    return Written(PutBe32, v);
}
inline Bytes Le16(std::uint16_t v) {
    return Written(PutLe16, v);
}
inline Bytes Le32(std::uint32_t v) {
    return Written(PutLe32, v);
}
inline Bytes Le64(std::uint64_t v) {
    return Written(PutLe64, v);
}
inline Bytes LeDouble(double d) {
    return Written(PutLeDouble, d);
}

// An ISO base-media box whose header claims size, whatever the payload's length.
inline Bytes BoxWithSize(std::string_view type, std::uint32_t size, const Bytes& payload) {
    Bytes b;
    PutBe32(b, size);
    AppendText(b, type.substr(0, 4));
    Append(b, payload);
    return b;
}
// An ISO base-media box: big-endian size including the 8-byte header, then the type.
inline Bytes Box(std::string_view type, const Bytes& payload) {
    return BoxWithSize(type, static_cast<std::uint32_t>(payload.size() + 8), payload);
}

// A RIFF chunk whose header claims size, unpadded, whatever the payload's length.
inline Bytes ChunkWithSize(std::string_view id, std::uint32_t size, const Bytes& payload) {
    Bytes b;
    AppendText(b, id.substr(0, 4));
    PutLe32(b, size);
    Append(b, payload);
    return b;
}
// A RIFF chunk: identifier, little-endian payload size, payload, and the pad
// byte RIFF wants after an odd payload.
inline Bytes Chunk(std::string_view id, const Bytes& payload) {
    Bytes b = ChunkWithSize(id, static_cast<std::uint32_t>(payload.size()), payload);
    if (payload.size() % 2 != 0) {
        b.push_back(0);
    }
    return b;
}

}  // namespace lum::bytes
