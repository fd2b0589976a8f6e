// Read-only file access for the container readers: every read names its offset
// and length and either succeeds whole or fails; nothing reads past the end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lum {

class BoundedFile {
  public:
    BoundedFile() = default;
    ~BoundedFile() { Close(); }
    BoundedFile(const BoundedFile&) = delete;
    BoundedFile& operator=(const BoundedFile&) = delete;

    // Opens a regular file for reading; a folder, a pipe or a device is refused
    // without waiting for a writer. Size and status come from that one open.
    bool Open(std::string_view utf8Path);
    bool IsOpen() const { return handle_ >= 0; }
    void Close();
    std::uint64_t Size() const { return size_; }
    std::int64_t ModificationTime() const { return modificationTime_; }  // seconds since 1970
    bool ReadOnly() const { return readOnly_; }                          // nobody may write it

    // Reads exactly n bytes at offset; false (and nothing trusted) otherwise.
    // Small reads are served from a window of the file read once, so a reader
    // walking headers costs one system call for many of them.
    bool ReadAt(std::uint64_t offset, void* out, std::size_t n);

    static constexpr std::size_t kWindowSize = 8192;

  private:
    bool ReadDirect(std::uint64_t offset, std::uint8_t* out, std::size_t n);

    int handle_ = -1;
    std::uint64_t size_ = 0;
    std::int64_t modificationTime_ = 0;
    bool readOnly_ = false;
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
    std::array<std::uint8_t, kWindowSize> window_;
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
