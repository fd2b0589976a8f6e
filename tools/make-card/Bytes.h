// The byte writers the card tool uses (the shared kit under their short names)
// and the loads it needs to patch what it wrote.
#pragma once

#include <cstdint>
#include <string_view>

#include "tools/bytes/ByteWriter.h"

namespace lum::card {

using bytes::Box;
using bytes::Bytes;
using bytes::Chunk;
using bytes::PutBe16;
using bytes::PutBe32;
using bytes::PutLe16;
using bytes::PutLe32;
using bytes::PutLe64;
using bytes::PutLeDouble;
using bytes::PutLeFloat;
inline void Put(Bytes& out, const Bytes& more) {
    bytes::Append(out, more);
}
inline void PutText(Bytes& out, std::string_view s) {
    bytes::AppendText(out, s);
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

}  // namespace lum::card
