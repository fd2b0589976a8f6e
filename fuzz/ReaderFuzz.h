// Shared driver of the container fuzz targets. The readers take a path whose
// name matters (".MOV", the short AVI names), so each input goes into one
// in-memory file (memfd) reached through a link of that name: nothing is
// written to a disk per run, and the scratch folder goes at exit. Folders left
// by a run that crashed are removed by the next one.
#pragma once

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "recordings/RecordingTypes.h"
#include "recordings/VideoParser.h"

namespace lum::fuzz {

namespace fs = std::filesystem;

// Removes lum-fuzz-<pid> folders whose process is gone.
inline void RemoveStaleScratch(const fs::path& temp) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(temp, ec)) {
        const std::string name = e.path().filename().string();
        if (!name.starts_with("lum-fuzz-")) {
            continue;
        }
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + 9, &end, 10);
        if (end != nullptr && *end == '\0' && pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 &&
            errno == ESRCH) {
            fs::remove_all(e.path(), ec);
        }
    }
}

class MemoryFile {
  public:
    explicit MemoryFile(const char* name) {
        const fs::path temp = fs::temp_directory_path();
        RemoveStaleScratch(temp);
        folder_ = temp / ("lum-fuzz-" + std::to_string(getpid()));
        fs::create_directories(folder_);
        fd_ = memfd_create("lum-fuzz-input", 0);
        if (fd_ < 0) {
            std::abort();
        }
        path_ = (folder_ / name).string();
        fs::create_symlink("/proc/self/fd/" + std::to_string(fd_), path_);
    }
    ~MemoryFile() {
        std::error_code ec;
        fs::remove_all(folder_, ec);
        close(fd_);
    }
    const std::string& Fill(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(fd_, 0) != 0 ||
            (size > 0 && pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size))) {
            std::abort();
        }
        return path_;
    }

  private:
    fs::path folder_;
    std::string path_;
    int fd_ = -1;
};

// What every successful parse must guarantee, whatever the bytes were.
inline void CheckInvariants(const TelemetryIndex& t, std::size_t size) {
    const bool ok = t.width != 0 && t.height != 0 && t.durationMs != 0 && t.fileSize == size &&
                    t.blockCount <= kMaxTelemetryBlocks && t.gpsIndexCount <= kMaxGpsIndexEntries &&
                    t.gpsDataOffset + t.gpsDataSize <= size &&
                    t.gsensorDataOffset + t.gsensorDataSize <= size;
    if (!ok) {
        __builtin_trap();
    }
    // Only the listed offsets are kept.
    if (t.blockOffsets.size() != t.blockCount || t.gpsIndexOffsets.size() != t.gpsIndexCount) {
        __builtin_trap();
    }
}

template <class Parser>
void ParseAs(const std::uint8_t* data, std::size_t size, const char* name) {
    static MemoryFile file(name);
    const std::string& path = file.Fill(data, size);
    TelemetryIndex t;
    t.width = 0xBEEF;
    Parser parser;
    parser.SetTarget(&t);
    if (parser.Parse(path) == 0) {
        CheckInvariants(t, size);
    } else if (t.width != 0xBEEF) {
        __builtin_trap();  // a failed parse must leave the target alone
    }
}

}  // namespace lum::fuzz
