// The four-character identifiers that name AVI chunks and MP4 boxes.
#pragma once

namespace lum {

// Whether the four bytes at id are printable ASCII (0x20 to 0x7F): a chunk or
// box named otherwise is not one the camera wrote, and both readers treat it
// as the end of what can be trusted.
inline bool IsPrintableFourCC(const char* id) {
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<unsigned char>(id[i]);
        if (c < 0x20 || c >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace lum
