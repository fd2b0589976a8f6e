#include "BoundedFile.h"

#include "Paths.h"

namespace lum {

bool BoundedFile::Open(std::string_view utf8Path) {
    Close();
    stream_.rdbuf()->pubsetbuf(nullptr, 0);
    stream_.open(ToFsPath(utf8Path), std::ios::binary | std::ios::in);
    if (!stream_.is_open()) {
        return false;
    }
    stream_.seekg(0, std::ios::end);
    const std::streamoff end = stream_.tellg();
    if (!stream_ || end < 0) {
        Close();
        return false;
    }
    size_ = static_cast<std::uint64_t>(end);
    return true;
}

void BoundedFile::Close() {
    if (stream_.is_open()) {
        stream_.close();
    }
    stream_.clear();
    size_ = 0;
}

bool BoundedFile::ReadAt(std::uint64_t offset, void* out, std::size_t n) {
    if (!stream_.is_open() || offset > size_ || n > size_ - offset) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(offset));
    stream_.read(static_cast<char*>(out), static_cast<std::streamsize>(n));
    return static_cast<std::size_t>(stream_.gcount()) == n;
}

}  // namespace lum
