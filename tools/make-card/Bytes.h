// Byte writers for the boxes, chunks and records the card tool puts into files.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace lum::card {

using Bytes = std::vector<std::uint8_t>;

inline void Put(Bytes& out, const Bytes& more) {
    out.reserve(out.size() + more.size());
    for (std::uint8_t b : more) {
        out.push_back(b);
    }
}
inline void PutText(Bytes& out, std::string_view s) {
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
inline void PutLe32(Bytes& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}
inline void PutLe16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
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

inline std::uint32_t LoadBe32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}
inline std::uint32_t LoadLe32(const std::uint8_t* p) {
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 |
           std::uint32_t{p[0]};
}
inline void StoreLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// An ISO base-media box: big-endian size including the 8-byte header, then the type.
inline Bytes Box(std::string_view type, const Bytes& payload) {
    Bytes b;
    PutBe32(b, static_cast<std::uint32_t>(payload.size() + 8));
    PutText(b, type.substr(0, 4));
    Put(b, payload);
    return b;
}

// A RIFF chunk: identifier, little-endian payload size, payload, and the pad
// byte RIFF wants after an odd payload.
inline Bytes Chunk(std::string_view id, const Bytes& payload) {
    Bytes b;
    PutText(b, id.substr(0, 4));
    PutLe32(b, static_cast<std::uint32_t>(payload.size()));
    Put(b, payload);
    if (payload.size() % 2 != 0) {
        b.push_back(0);
    }
    return b;
}

}  // namespace lum::card
