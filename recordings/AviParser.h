// Reader for RIFF AVI recordings (names ending in ".AVI").
#pragma once

#include <cstdint>
#include <string_view>

#include "VideoParser.h"

namespace lum {

// The short 8.3 naming (S0000001.AVI, 12345678.AVI right after a folder
// separator) that comes with a side ".TXT" telemetry file.
bool HasSideTextName(std::string_view utf8Path);

class CLumAviParser : public CLumParserBase {
  public:
    std::int32_t Parse(std::string_view utf8Path) override;

  private:
    bool ReadStreamHeader(std::uint64_t& cursor, std::uint64_t fileSize);
    bool truncated_ = false;
};

}  // namespace lum
