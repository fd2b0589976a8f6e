#include "Mp4Parser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "FourCC.h"
#include "Paths.h"

namespace lum {

namespace {

constexpr std::uint64_t kBoxHeader = 8;

struct BoxHeader {
    std::uint32_t size = 0;
    char type[4] = {};
    bool Is(std::string_view t) const {
        return t.size() == 4 && std::memcmp(type, t.data(), 4) == 0;
    }
};

bool ReadHeader(BoundedFile& f, std::uint64_t at, BoxHeader& h) {
    std::uint8_t b[8];
    if (!f.ReadAt(at, b, sizeof b)) {
        return false;
    }
    h.size = LoadBe32(b);
    std::memcpy(h.type, b + 4, 4);
    return true;
}

}  // namespace

std::uint32_t CLum3gpParser::FindBox(std::string_view type, std::uint64_t& cursor,
                                     std::uint64_t limit) {
    std::uint64_t passed = 0;
    while (passed < limit) {
        const std::uint64_t room = limit - passed;
        BoxHeader h;
        // A header that does not fit its parent, a size below the header or a
        // box running past its parent ends the search: nothing outside is read.
        if (room < kBoxHeader || !ReadHeader(file_, cursor, h) || h.size < kBoxHeader ||
            h.size > room) {
            return 0;
        }
        if (h.Is(type)) {
            cursor += kBoxHeader;
            return h.size - static_cast<std::uint32_t>(kBoxHeader);
        }
        cursor += h.size;
        passed += h.size;
    }
    return 0;
}

std::uint32_t CLum3gpParser::FindPath(std::initializer_list<std::string_view> types,
                                      std::uint64_t& cursor, std::uint64_t limit) {
    std::uint32_t size = 0;
    for (std::string_view t : types) {
        size = FindBox(t, cursor, limit);
        if (size == 0) {
            return 0;
        }
        limit = size;
    }
    return size;
}

void CLum3gpParser::ReadGpsIndex(std::uint64_t payload, std::uint32_t size) {
    std::uint8_t head[8];
    if (size < sizeof head || !file_.ReadAt(payload, head, sizeof head)) {
        return;
    }
    // Only whole 8-byte entries that lie inside the box are taken.
    const std::uint32_t count = std::min<std::uint32_t>(
        {LoadBe32(head + 4), static_cast<std::uint32_t>(kMaxGpsIndexEntries), (size - 8) / 8});
    std::vector<std::uint8_t> entries(std::size_t{count} * 8);
    if (!file_.ReadAt(payload + 8, entries.data(), entries.size())) {
        return;
    }
    work_.gpsIndexOffsets.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        work_.gpsIndexOffsets[i] = LoadBe32(entries.data() + std::size_t{i} * 8);
    }
    work_.gpsIndexCount = count;
}

void CLum3gpParser::ReadDuration(std::uint64_t payload, std::uint32_t size) {
    std::uint8_t b[32] = {};
    const std::uint32_t n = std::min<std::uint32_t>(size, sizeof b);
    if (n < 20 || !file_.ReadAt(payload, b, n)) {
        return;
    }
    std::uint64_t timescale = LoadBe32(b + 12);
    std::uint64_t duration = LoadBe32(b + 16);
    // Version 1 moves the fields behind 64-bit times; reading the version 0
    // offsets there would give a made-up duration.
    if (b[0] == 1) {
        if (n < 32) {
            return;
        }
        timescale = LoadBe32(b + 20);
        duration = LoadBe64(b + 24);
    }
    if (timescale == 0) {
        return;  // no duration can be known
    }
    // Split so a 64-bit duration times 1000 cannot overflow; truncated to 32 bits as stored.
    const std::uint64_t ms =
        duration / timescale * 1000u + duration % timescale * 1000u / timescale;
    work_.durationMs = static_cast<std::uint32_t>(ms);
}

void CLum3gpParser::ReadFrameSize(std::uint64_t payload, std::uint32_t size) {
    std::uint8_t head[8];
    if (size < sizeof head || !file_.ReadAt(payload, head, sizeof head) ||
        LoadBe32(head + 4) == 0) {
        return;
    }
    std::uint64_t cursor = payload + 8;
    const std::uint32_t avc1 = FindBox("avc1", cursor, size - 8);
    std::uint8_t wh[4];
    if (avc1 < 28 || !file_.ReadAt(cursor + 24, wh, sizeof wh)) {
        return;
    }
    work_.width = LoadBe16(wh);
    work_.height = LoadBe16(wh + 2);
}

void CLum3gpParser::ReadBlockOffsets(std::uint64_t moovPayload, std::uint32_t moovSize) {
    std::uint64_t cursor = moovPayload;
    const std::uint32_t firstTrak = FindBox("trak", cursor, moovSize);
    if (firstTrak == 0) {
        return;
    }
    cursor += firstTrak;
    const std::uint64_t rest = moovPayload + moovSize - cursor;
    const std::uint32_t stbl = FindPath({"trak", "mdia", "minf", "stbl"}, cursor, rest);
    if (stbl == 0) {
        return;
    }
    const std::uint64_t stblPayload = cursor;

    std::uint64_t at = stblPayload;
    const std::uint32_t stsd = FindBox("stsd", at, stbl);
    std::uint8_t sound[42];
    if (stsd < sizeof sound || !file_.ReadAt(at, sound, sizeof sound)) {
        return;  // no sound description inside the box: no stride to trust
    }
    const std::int64_t channels = LoadBe16(sound + 32);
    const std::int64_t bits = LoadBe16(sound + 34);
    const std::int64_t rate = LoadBe16(sound + 40);
    // One second of audio, as the camera's 32-bit arithmetic computes it.
    const auto perSecond =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(channels * (bits / 8) * rate));
    const std::int64_t stride = ((std::int64_t{perSecond} - 1) / 32768 + 1) * 32768;

    at = stblPayload;
    const std::uint32_t stco = FindBox("stco", at, stbl);
    std::uint8_t head[8];
    if (stco < sizeof head || !file_.ReadAt(at, head, sizeof head)) {
        return;
    }
    const std::uint32_t count = std::min<std::uint32_t>(
        {LoadBe32(head + 4), static_cast<std::uint32_t>(kMaxTelemetryBlocks), (stco - 8) / 4});
    std::vector<std::uint8_t> offsets(std::size_t{count} * 4);
    if (!file_.ReadAt(at + 8, offsets.data(), offsets.size())) {
        return;
    }
    work_.blockOffsets.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        work_.blockOffsets[i] = static_cast<std::uint32_t>(
            LoadBe32(offsets.data() + std::size_t{i} * 4) + static_cast<std::uint32_t>(stride));
    }
    work_.blockCount = count;
}

void CLum3gpParser::ReadMoov(std::uint64_t payload, std::uint32_t size, bool upperMov) {
    std::uint64_t cursor = payload;
    if (const std::uint32_t mdhd = FindPath({"trak", "mdia", "mdhd"}, cursor, size)) {
        ReadDuration(cursor, mdhd);
    }
    cursor = payload;
    if (const std::uint32_t stsd =
            FindPath({"trak", "mdia", "minf", "stbl", "stsd"}, cursor, size)) {
        ReadFrameSize(cursor, stsd);
    }
    if (upperMov) {
        ReadBlockOffsets(payload, size);
    }
}

std::int32_t CLum3gpParser::Parse(std::string_view utf8Path) {
    if (!Begin(utf8Path)) {
        return Finish(false);
    }
    BoxHeader h;
    if (!ReadHeader(file_, 0, h) || !h.Is("ftyp") || h.size < kBoxHeader) {
        return Finish(false);
    }
    const std::uint64_t fileSize = file_.Size();
    work_.fileSize = fileSize;
    const bool upperMov = EndsWith(utf8Path, ".MOV");

    std::uint64_t cursor = h.size;
    while (cursor < fileSize) {
        if (!ReadHeader(file_, cursor, h)) {
            break;
        }
        const bool known = h.Is("gps ") || h.Is("gps0") || h.Is("gsen") || h.Is("gpsa") ||
                           h.Is("gsea") || h.Is("IDIT") || h.Is("skip") || h.Is("mdat") ||
                           h.Is("moov");
        if (!known) {
            // Once both telemetry payloads are located, the rest is not needed.
            if (work_.gpsDataSize != 0 && work_.gsensorDataSize != 0) {
                break;
            }
            if (!IsPrintableFourCC(h.type)) {
                return Finish(false);
            }
        }
        // A size below the header (0 = "to the end", 1 = 64-bit size, neither
        // understood) or a box running past the file ends the walk.
        if (h.size < kBoxHeader || h.size > fileSize - cursor) {
            break;
        }
        const std::uint64_t payload = cursor + kBoxHeader;
        const std::uint32_t payloadSize = h.size - static_cast<std::uint32_t>(kBoxHeader);
        const std::uint64_t next = cursor + h.size;

        if (h.Is("gps ")) {
            ReadGpsIndex(payload, payloadSize);
            cursor = next;
        } else if (h.Is("gps0")) {
            work_.gpsDataOffset = payload;
            work_.gpsDataSize = payloadSize;
            ScanGpsRecords(payload, payloadSize);
            cursor = payload + std::uint64_t{payloadSize / kGpsRecordSize} * kGpsRecordSize;
        } else if (h.Is("gsen")) {
            work_.gsensorDataOffset = payload;
            work_.gsensorDataSize = payloadSize;
            cursor = payload + std::uint64_t{payloadSize / kGSensorRecordSize} * kGSensorRecordSize;
        } else if (h.Is("gpsa")) {
            CopyAttributes(payload, payloadSize, work_.gpsAttributes);
            cursor = next;
        } else if (h.Is("gsea")) {
            CopyAttributes(payload, payloadSize, work_.gsensorAttributes);
            cursor = next;
        } else if (h.Is("IDIT")) {
            ReadIditText(payload, payloadSize);
            cursor = next;
        } else if (h.Is("moov")) {
            ReadMoov(payload, payloadSize, upperMov);
            cursor = payload;  // the boxes inside moov are walked as top-level ones
        } else {
            cursor = next;
        }
    }
    if (!timeKnown_) {
        work_.startTime = 0;
    }
    work_.lengthSeconds = 0;
    work_.hasSideText = 0;
    return Finish(work_.width != 0 && work_.height != 0 && work_.durationMs != 0);
}

}  // namespace lum
