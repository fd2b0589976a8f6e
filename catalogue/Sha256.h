// SHA-256 (FIPS 180-4), for the hashes an evidence folder lists for its files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lum {

class Sha256 {
  public:
    Sha256();
    void Update(const void* data, std::size_t size);
    // The digest of everything given; the object is spent afterwards.
    std::array<std::uint8_t, 32> Final();
    // Final() as 64 lower-case hexadecimal digits.
    std::string HexFinal();

  private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;  // bytes given so far
};

std::string Sha256Hex(std::string_view bytes);
// The file's digest in hexadecimal, or nullopt when it cannot be read to its end.
std::optional<std::string> Sha256OfFile(const std::filesystem::path& path);

}  // namespace lum
