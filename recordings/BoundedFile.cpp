// The one file of the core that talks to the operating system directly: a scan
// opens thousands of recordings, and one open, one status query and positioned
// reads on one descriptor are all a reader needs.
#include "BoundedFile.h"

#include <algorithm>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "Paths.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace lum {

#ifdef _WIN32

bool BoundedFile::Open(std::string_view utf8Path) {
    Close();
    const int fd = _wopen(ToFsPath(utf8Path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        return false;
    }
    struct _stat64 st;
    if (_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG || st.st_size < 0) {
        _close(fd);
        return false;
    }
    handle_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    modificationTime_ = static_cast<std::int64_t>(st.st_mtime);
    readOnly_ = (st.st_mode & _S_IWRITE) == 0;
    return true;
}

void BoundedFile::Close() {
    if (handle_ >= 0) {
        _close(handle_);
    }
    handle_ = -1;
    size_ = 0;
    modificationTime_ = 0;
    readOnly_ = false;
    windowLength_ = 0;
}

bool BoundedFile::ReadDirect(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
    if (_lseeki64(handle_, static_cast<__int64>(offset), SEEK_SET) < 0) {
        return false;
    }
    while (n > 0) {
        const unsigned part = n > (1u << 30) ? (1u << 30) : static_cast<unsigned>(n);
        const int got = _read(handle_, out, part);
        if (got <= 0) {
            return false;
        }
        out += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

#else

bool BoundedFile::Open(std::string_view utf8Path) {
    Close();
    const std::string path(utf8Path);
    // Non-blocking, so a pipe that carries a recording's name cannot hold the
    // scan until someone writes into it; it is refused just below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    modificationTime_ = static_cast<std::int64_t>(st.st_mtime);
    readOnly_ = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return true;
}

void BoundedFile::Close() {
    if (handle_ >= 0) {
        ::close(handle_);
    }
    handle_ = -1;
    size_ = 0;
    modificationTime_ = 0;
    readOnly_ = false;
    windowLength_ = 0;
}

bool BoundedFile::ReadDirect(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
    while (n > 0) {
        const ssize_t got = ::pread(handle_, out, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;  // an error, or the file shrank under us
        }
        out += got;
        offset += static_cast<std::uint64_t>(got);
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

#endif

bool BoundedFile::ReadAt(std::uint64_t offset, void* out, std::size_t n) {
    if (handle_ < 0 || offset > size_ || n > size_ - offset) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    auto* dest = static_cast<std::uint8_t*>(out);
    const bool inWindow = offset >= windowStart_ && offset - windowStart_ <= windowLength_ &&
                          n <= windowLength_ - (offset - windowStart_);
    if (inWindow) {
        std::memcpy(dest, window_.data() + (offset - windowStart_), n);
        return true;
    }
    if (n > kWindowSize) {
        return ReadDirect(offset, dest, n);
    }
    // The window starts at the asked offset: readers walk forwards.
    const std::size_t length =
        static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, size_ - offset));
    windowLength_ = 0;
    if (!ReadDirect(offset, window_.data(), length)) {
        return false;
    }
    windowStart_ = offset;
    windowLength_ = length;
    std::memcpy(dest, window_.data(), n);
    return true;
}

}  // namespace lum
