#include "AviParser.h"

#include <algorithm>
#include <cstring>

#include "FourCC.h"
#include "Paths.h"

namespace lum {

namespace {

bool Is(const char* id, const char* want) {
    return std::memcmp(id, want, 4) == 0;
}

// A sized chunk at cursor: its size and where its payload lies. False when the
// size cannot be read or the payload runs past the file.
struct Chunk {
    std::uint64_t payload = 0;
    std::uint32_t size = 0;
    std::uint64_t End() const { return payload + size; }
};

bool ReadChunk(BoundedFile& f, std::uint64_t cursor, std::uint64_t fileSize, Chunk& c) {
    std::uint8_t b[4];
    if (!f.ReadAt(cursor, b, sizeof b)) {
        return false;
    }
    c.payload = cursor + 4;
    c.size = LoadLe32(b);
    return c.size <= fileSize - std::min(fileSize, c.payload);
}

}  // namespace

bool HasSideTextName(std::string_view path) {
    if (path.find(".AVI") == std::string_view::npos &&
        path.find(".avi") == std::string_view::npos) {
        return false;
    }
    const std::string_view tail = Utf8Tail(path, 13);
    if (Utf8Length(tail) < 13) {
        return false;
    }
    const char second = tail.size() > 1 ? tail[1] : '\0';
    return IsPathSeparator(tail[0]) && ((second >= '0' && second <= '9') || second == 'S');
}

bool CLumAviParser::ReadStreamHeader(std::uint64_t& cursor, std::uint64_t fileSize) {
    Chunk strh;
    if (!ReadChunk(file_, cursor, fileSize, strh)) {
        return false;
    }
    char type[4] = {};
    if (strh.size >= 4 && !file_.ReadAt(strh.payload, type, 4)) {
        return false;
    }
    // The whole chunk is passed, even one longer than the 64 bytes looked at.
    cursor = strh.End();
    const bool video = Is(type, "vids");
    if (!video && !Is(type, "auds")) {
        return true;
    }
    char next[4];
    if (!file_.ReadAt(cursor, next, 4)) {
        return false;
    }
    cursor += 4;
    if (!Is(next, "strf")) {
        return true;
    }
    Chunk strf;
    if (!ReadChunk(file_, cursor, fileSize, strf)) {
        return false;
    }
    if (video) {
        std::uint8_t bih[12] = {};
        const std::size_t n = std::min<std::size_t>(strf.size, sizeof bih);
        if (!file_.ReadAt(strf.payload, bih, n)) {
            return false;
        }
        if (n >= 8) {
            work_.width = static_cast<std::uint16_t>(LoadLe32(bih + 4));
        }
        if (n >= 12) {
            work_.height = static_cast<std::uint16_t>(LoadLe32(bih + 8));
        }
    }
    cursor = strf.End();
    return true;
}

std::int32_t CLumAviParser::Parse(std::string_view utf8Path) {
    truncated_ = false;
    if (!Begin(utf8Path)) {
        return Finish(false);
    }
    work_.hasSideText = HasSideTextName(utf8Path) ? 1 : 0;

    char riff[4];
    if (!file_.ReadAt(0, riff, 4) || !Is(riff, "RIFF")) {
        return Finish(false);
    }
    const std::uint64_t fileSize = file_.Size();
    work_.fileSize = fileSize;

    std::uint64_t cursor = 8;
    while (cursor < fileSize) {
        char id[4];
        if (!file_.ReadAt(cursor, id, 4)) {
            break;
        }
        cursor += 4;
        if (Is(id, "AVI ")) {
            continue;
        }
        if (Is(id, "LIST")) {
            std::uint8_t sb[4];
            char listType[4];
            if (!file_.ReadAt(cursor, sb, 4)) {
                break;
            }
            const std::uint32_t size = LoadLe32(sb);
            cursor += 4;
            const std::uint64_t end = cursor + size;
            // A list too small to hold its own type ends the walk.
            if (size < 4 || !file_.ReadAt(cursor, listType, 4)) {
                break;
            }
            cursor += 4;
            if (Is(listType, "hdrl") || Is(listType, "strl") || Is(listType, "avih")) {
                continue;  // walk on inside the list
            }
            if (Is(listType, "movi") && end > fileSize) {
                truncated_ = true;  // the recording was cut short
            }
            cursor = end;
            continue;
        }
        const bool sized = Is(id, "avih") || Is(id, "strh") || Is(id, "gps0") || Is(id, "gsen") ||
                           Is(id, "gpsa") || Is(id, "gsea") || Is(id, "IDIT") || Is(id, "idx1") ||
                           Is(id, "JUNK") || Is(id, "indx");
        if (!sized) {
            if (work_.gpsDataSize != 0 && work_.gsensorDataSize != 0) {
                break;
            }
            if (!IsPrintableFourCC(id)) {
                return Finish(false);
            }
            continue;  // only the identifier is consumed
        }
        if (Is(id, "strh")) {
            if (!ReadStreamHeader(cursor, fileSize)) {
                break;
            }
            continue;
        }
        Chunk c;
        if (!ReadChunk(file_, cursor, fileSize, c)) {
            break;  // a chunk running past the file ends the walk
        }
        if (Is(id, "avih")) {
            std::uint8_t avih[20] = {};
            const std::size_t n = std::min<std::size_t>(c.size, sizeof avih);
            if (n == sizeof avih && file_.ReadAt(c.payload, avih, n)) {
                // The camera's 32-bit product, wrapping as it does.
                const std::uint32_t product = LoadLe32(avih + 16) * LoadLe32(avih);
                work_.durationMs = product / 1000;
                work_.lengthSeconds = work_.durationMs / 1000;
            }
            cursor = c.End();
        } else if (Is(id, "gps0")) {
            work_.gpsDataOffset = c.payload;
            work_.gpsDataSize = c.size;
            ScanGpsRecords(c.payload, c.size);
            cursor = c.payload + std::uint64_t{c.size / kGpsRecordSize} * kGpsRecordSize;
        } else if (Is(id, "gsen")) {
            work_.gsensorDataOffset = c.payload;
            work_.gsensorDataSize = c.size;
            cursor = c.payload + std::uint64_t{c.size / kGSensorRecordSize} * kGSensorRecordSize;
        } else if (Is(id, "gpsa")) {
            CopyAttributes(c.payload, c.size, work_.gpsAttributes);
            cursor = c.End();
        } else if (Is(id, "gsea")) {
            CopyAttributes(c.payload, c.size, work_.gsensorAttributes);
            cursor = c.End();
        } else if (Is(id, "IDIT")) {
            ReadIditText(c.payload, c.size);
            cursor = c.End();
        } else {
            cursor = c.End();  // idx1, JUNK, indx
        }
    }
    if (!timeKnown_) {
        work_.startTime = haveStatus_ ? fileStatus_.modificationTime : 0;
    }
    return Finish(work_.width != 0 && work_.height != 0 && work_.durationMs != 0 && !truncated_);
}

}  // namespace lum
