// Read-only file access for the container readers: every read names its offset
// and length and either succeeds whole or fails; nothing reads past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string_view>

namespace lum {

class BoundedFile {
  public:
    BoundedFile() = default;
    BoundedFile(const BoundedFile&) = delete;
    BoundedFile& operator=(const BoundedFile&) = delete;

    // Opens the file unbuffered: the readers ask for a few small pieces and
    // should not pull in more of a large recording than those.
    bool Open(std::string_view utf8Path);
    bool IsOpen() const { return stream_.is_open(); }
    void Close();
    std::uint64_t Size() const { return size_; }

    // Reads exactly n bytes at offset; false (and nothing trusted) otherwise.
    bool ReadAt(std::uint64_t offset, void* out, std::size_t n);

  private:
    std::ifstream stream_;
    std::uint64_t size_ = 0;
};

// Byte access helpers for payloads that were already read into memory.
inline std::uint32_t LoadBe32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}
inline std::uint16_t LoadBe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t LoadLe32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
inline std::uint64_t LoadBe64(const std::uint8_t* p) {
    return (std::uint64_t{LoadBe32(p)} << 32) | LoadBe32(p + 4);
}

}  // namespace lum
