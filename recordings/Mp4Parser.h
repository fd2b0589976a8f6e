// Reader for ISO base-media recordings (".MP4", ".MOV", ".3GP" and anything not ".AVI").
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "VideoParser.h"

namespace lum {

class CLum3gpParser : public CLumParserBase {
  public:
    std::int32_t Parse(std::string_view utf8Path) override;

    // Walks sibling boxes from cursor within limit bytes. Returns the payload
    // size of the first box of that type and leaves cursor at its payload, or 0.
    std::uint32_t FindBox(std::string_view type, std::uint64_t& cursor, std::uint64_t limit);
    // FindBox for each type in turn, each inside the payload found before.
    std::uint32_t FindPath(std::initializer_list<std::string_view> types, std::uint64_t& cursor,
                           std::uint64_t limit);

  private:
    void ReadGpsIndex(std::uint64_t payload, std::uint32_t size);
    void ReadMoov(std::uint64_t payload, std::uint32_t size, bool upperMov);
    void ReadDuration(std::uint64_t payload, std::uint32_t size);
    void ReadFrameSize(std::uint64_t payload, std::uint32_t size);
    void ReadBlockOffsets(std::uint64_t moovPayload, std::uint32_t moovSize);
};

}  // namespace lum
