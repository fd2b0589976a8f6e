#include "VideoParser.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "LocalTime.h"

namespace lum {

bool CLumParserBase::Begin(std::string_view utf8Path) {
    work_ = TelemetryIndex{};
    timeKnown_ = false;
    haveStatus_ = false;
    if (!file_.Open(utf8Path)) {
        return false;
    }
    fileStatus_ = FileStatus{};
    fileStatus_.modificationTime = file_.ModificationTime();
    fileStatus_.size = file_.Size();
    fileStatus_.readOnly = file_.ReadOnly();
    const std::size_t slash = utf8Path.find_last_of("/\\");
    const std::string_view name =
        slash == std::string_view::npos ? utf8Path : utf8Path.substr(slash + 1);
    fileStatus_.hidden = !name.empty() && name[0] == '.';
    haveStatus_ = true;
    if (status_ != nullptr) {
        *status_ = fileStatus_;
    }
    return true;
}

std::optional<std::int64_t> CLumParserBase::ToEpoch(int year, int month, int day, int hour,
                                                    int minute, int second) {
    LocalClock& clock = clock_ != nullptr ? *clock_ : ownClock_;
    return clock.ToEpoch(year, month, day, hour, minute, second);
}

void CLumParserBase::ScanGpsRecords(std::uint64_t payload, std::uint32_t size) {
    const std::uint32_t records = size / kGpsRecordSize;
    // Read in slices so a long payload costs a few reads, and stop reading once
    // the start time is known: the rest of the payload is only located.
    constexpr std::uint32_t kSlice = 32;
    std::vector<std::uint8_t> buf;
    for (std::uint32_t k = 0; k < records && !timeKnown_;) {
        const std::uint32_t n = std::min(kSlice, records - k);
        buf.resize(std::size_t{n} * kGpsRecordSize);
        if (!file_.ReadAt(payload + std::uint64_t{k} * kGpsRecordSize, buf.data(), buf.size())) {
            return;
        }
        for (std::uint32_t j = 0; j < n && !timeKnown_; ++j, ++k) {
            const std::uint8_t* r = buf.data() + std::size_t{j} * kGpsRecordSize;
            if (r[22] == 0) {
                continue;
            }
            if (!IsValidClock(r[23], r[24], r[25], r[26], r[27])) {
                continue;
            }
            const auto t = ToEpoch(r[22] + 2000, r[23], r[24], r[25], r[26], r[27]);
            if (!t) {
                continue;
            }
            std::uint32_t perSecond = work_.gpsAttributes & 0xFF;
            if (perSecond == 0) {
                perSecond = 1;
            }
            // The first dated record may not be the first record: step back to the payload's start.
            work_.startTime = *t - static_cast<std::int64_t>(k / perSecond);
            timeKnown_ = true;
        }
    }
}

void CLumParserBase::ReadIditText(std::uint64_t payload, std::uint32_t size) {
    timeKnown_ = true;
    // Only the first 63 characters are meaningful; the date itself is 19.
    char text[64] = {};
    const std::size_t n = std::min<std::size_t>(size, 63);
    if (!file_.ReadAt(payload, text, n)) {
        timeKnown_ = false;
        return;
    }
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    std::sscanf(text, "%04d-%02d-%02d %02d:%02d:%02d", &y, &mo, &d, &h, &mi, &s);
    if (y >= 1900 && IsValidClock(mo, d, h, mi, s)) {
        if (const auto t = ToEpoch(y, mo, d, h, mi, s)) {
            work_.startTime = *t;
            return;
        }
    }
    timeKnown_ = false;
}

void CLumParserBase::CopyAttributes(std::uint64_t payload, std::uint32_t size,
                                    std::uint32_t& into) {
    // Fewer than four payload bytes: the missing ones read as 0.
    std::uint8_t b[4] = {};
    const std::size_t n = std::min<std::size_t>(size, 4);
    if (file_.ReadAt(payload, b, n)) {
        into = LoadLe32(b);
    }
}

std::int32_t CLumParserBase::Finish(bool success) {
    file_.Close();
    if (!success) {
        work_.width = 0;
        work_.height = 0;
        work_.durationMs = 0;
        return -1;
    }
    if (target_ != nullptr) {
        *target_ = std::move(work_);
    }
    return 0;
}

}  // namespace lum
