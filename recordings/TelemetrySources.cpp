// Decoding a recording's telemetry from its per-second blocks, its payloads or
// its side text.
#include "recordings/TelemetrySources.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "recordings/BoundedFile.h"
#include "recordings/Paths.h"

namespace lum {

namespace {

float LoadLeFloat(const std::uint8_t* p) {
    const std::uint32_t bits = LoadLe32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// No camera writes telemetry this large; a file claiming more is not read into memory.
constexpr std::uint64_t kMaxTelemetryBytes = 64u << 20;

std::int16_t TruncateSpeed(float v) {
    // Truncation toward zero; a value no 16-bit speed can hold counts as none.
    if (!std::isfinite(v) || v >= 32768.0f || v <= -32769.0f) {
        return 0;
    }
    return static_cast<std::int16_t>(v);
}

}  // namespace

void DecodeTelemetryBlock(const std::uint8_t* b, std::size_t stride, GpsSample& gps,
                          GSensorSample accel[5]) {
    gps = GpsSample{};
    const char status = static_cast<char>(b[52]);
    const char ns = static_cast<char>(b[53]);
    const char ew = static_cast<char>(b[54]);
    if (status == 'A' && (ew == 'E' || ew == 'W') && (ns == 'N' || ns == 'S')) {
        gps.fixFlags = 1;
        gps.latitude = LoadLeFloat(b + 56);
        gps.longitude = LoadLeFloat(b + 60);
        if (ns == 'S') {
            gps.latitude = -gps.latitude;
        }
        if (ew == 'W') {
            gps.longitude = -gps.longitude;
        }
        gps.speedKmh = TruncateSpeed(LoadLeFloat(b + 64));
        gps.year = static_cast<std::uint8_t>(b[40] + 48);
        gps.month = b[44];
        gps.day = b[48];
        gps.hour = b[28];
        gps.minute = b[32];
        gps.second = b[36];
    }
    for (std::size_t k = 0; k < 5; ++k) {
        const std::uint8_t* a = b + 72 + k * stride;
        auto axis = [](const std::uint8_t* p) {
            const auto v = static_cast<std::int32_t>(LoadLe32(p));
            return static_cast<std::int8_t>(static_cast<std::uint8_t>((v >> 3) & 0xFF));
        };
        accel[k] = GSensorSample{axis(a), axis(a + 4), axis(a + 8)};
    }
}

namespace {

// Field parsers of the side text: digits extend, '-' negates, anything else
// except the comma is ignored.
struct IntField {
    std::int64_t value = 0;
    bool negative = false;
    void Feed(char c) {
        if (c >= '0' && c <= '9') {
            if (value < std::numeric_limits<std::int64_t>::max() / 100) {
                value = value * 10 + (c - '0');
            }
        } else if (c == '-') {
            negative = true;
        }
    }
    std::int64_t Signed() const { return negative ? -value : value; }
};

struct DecimalField {
    std::int64_t whole = 0;
    std::int64_t fraction = 0;
    int fractionDigits = 0;
    bool inFraction = false;
    void Feed(char c) {
        if (c == '.') {
            inFraction = true;
        } else if (c >= '0' && c <= '9') {
            if (!inFraction) {
                if (whole < std::numeric_limits<std::int64_t>::max() / 100) {
                    whole = whole * 10 + (c - '0');
                }
            } else if (fractionDigits < 15) {
                fraction = fraction * 10 + (c - '0');
                ++fractionDigits;
            }
        }
    }
    double Value() const {
        return static_cast<double>(whole) +
               static_cast<double>(fraction) / std::pow(10.0, fractionDigits);
    }
};

struct SideRecord {
    IntField ints[17];          // fields 0-2, 10-15 are integers
    DecimalField decimals[17];  // fields 5, 7, 8, 9 are decimals
    bool valid = false;
    char ns = 0, ew = 0;
    bool complete = false;
};

void Finish(const SideRecord& r, std::vector<GpsSample>& gps, std::vector<GSensorSample>& accel) {
    GpsSample s;
    s.hour = static_cast<std::uint8_t>(r.ints[0].Signed());
    s.minute = static_cast<std::uint8_t>(r.ints[1].Signed());
    s.second = static_cast<std::uint8_t>(r.ints[2].Signed());
    s.fixFlags = r.valid ? 1 : 0;
    s.latitude = r.decimals[5].Value();
    s.longitude = r.decimals[7].Value();
    // South and west are negative here as in every other source.
    if (r.ns == 'S') {
        s.latitude = -s.latitude;
    }
    if (r.ew == 'W') {
        s.longitude = -s.longitude;
    }
    s.speedKmh = static_cast<std::int16_t>(r.decimals[8].whole);
    s.year = static_cast<std::uint8_t>(r.ints[10].Signed());
    s.month = static_cast<std::uint8_t>(r.ints[11].Signed());
    s.day = static_cast<std::uint8_t>(r.ints[12].Signed());
    gps.push_back(s);
    auto axis = [](const IntField& f) {
        const std::int64_t v = f.value / 16;
        return static_cast<std::int8_t>(f.negative ? -v : v);
    };
    accel.push_back({axis(r.ints[13]), axis(r.ints[14]), axis(r.ints[15])});
}

}  // namespace

void ParseSideText(std::string_view text, std::vector<GpsSample>& gps,
                   std::vector<GSensorSample>& accel, std::size_t maxRecords) {
    SideRecord r;
    std::size_t field = 0;
    std::size_t records = 0;
    for (char c : text) {
        if (c == '\n') {
            // Only a line feed after the completion mark ends a record; an
            // earlier one lets a short line run on into the next.
            if (r.complete) {
                if (records == maxRecords) {
                    return;
                }
                Finish(r, gps, accel);
                ++records;
                r = SideRecord{};
                field = 0;
            }
            continue;
        }
        if (field > 16) {
            if (c == '4') {
                r.complete = true;
            }
            continue;
        }
        if (c == ',') {
            ++field;
            continue;
        }
        switch (field) {
            case 3:
                if (c == 'A') {
                    r.valid = true;
                } else if (c == 'V') {
                    r.valid = false;
                }
                break;
            case 4:
                if (c == 'N' || c == 'S') {
                    r.ns = c;
                }
                break;
            case 6:
                if (c == 'E' || c == 'W') {
                    r.ew = c;
                }
                break;
            case 5:
            case 7:
            case 8:
            case 9:
                r.decimals[field].Feed(c);
                break;
            case 16:
                break;
            default:
                r.ints[field].Feed(c);
                break;
        }
    }
}

bool MemorySource::ReadAt(std::uint64_t offset, void* out, std::size_t n) {
    if (offset > size_ || n > size_ - offset) {
        return false;
    }
    if (n != 0) {
        std::memcpy(out, data_ + offset, n);
    }
    return true;
}

namespace {

// Whole seconds the recording can last, rounded up, with one to spare.
std::size_t DurationSeconds(std::uint32_t durationMs) {
    return std::size_t{durationMs} / 1000 + 2;
}

// True when [offset, offset + size) lies inside a file of the given length.
bool Inside(std::uint64_t offset, std::uint64_t size, std::uint64_t length) {
    return offset <= length && size <= length - offset;
}

// Gathers the byte ranges a decoding will read and tells the source their span
// when the span is hardly larger than the ranges themselves: then one read of
// the span costs less than one read per range.
class ReadPlan {
  public:
    void Add(std::uint64_t offset, std::uint64_t size) {
        if (size == 0) {
            return;
        }
        lo_ = std::min(lo_, offset);
        hi_ = std::max(hi_, offset + size);
        wanted_ += size;
    }
    void TellTo(ByteSource& bytes) const {
        constexpr std::uint64_t kSlack = 8192;
        if (wanted_ > 0 && hi_ - lo_ <= 2 * wanted_ + kSlack) {
            bytes.WillRead(lo_, hi_ - lo_);
        }
    }

  private:
    std::uint64_t lo_ = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t hi_ = 0;
    std::uint64_t wanted_ = 0;
};

}  // namespace

std::size_t MaxGpsSamples(std::uint32_t durationMs, double recordsPerSecond) {
    const double rate = std::clamp(recordsPerSecond, 1.0, 255.0);
    const double wanted = static_cast<double>(DurationSeconds(durationMs)) * rate * 2.0 + 64.0;
    return wanted >= static_cast<double>(kGpsSampleCeiling) ? kGpsSampleCeiling
                                                            : static_cast<std::size_t>(wanted);
}

std::size_t MaxGSensorSamples(std::uint32_t durationMs) {
    return std::min(DurationSeconds(durationMs) * kMaxGSensorPerSecond * 2 + 512,
                    kGSensorSampleCeiling);
}

DecodedTelemetry DecodeTelemetry(const RecordingEntry& entry, ByteSource& bytes, bool sideText) {
    DecodedTelemetry d;
    const TelemetryIndex& t = entry.telemetry;
    const std::uint64_t length = bytes.Size();
    const std::uint32_t blocks = std::min<std::uint32_t>(t.blockCount, kMaxTelemetryBlocks);
    const std::uint32_t indexed = std::min<std::uint32_t>(t.gpsIndexCount, kMaxTelemetryBlocks);

    auto readBlocks = [&](const auto& offsets, std::uint32_t count, std::size_t size,
                          std::size_t stride) {
        // Only the offsets the entry holds are read, whatever its count says.
        count = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(offsets.size()));
        // Every block must lie inside the file; otherwise the source gives no data at all.
        ReadPlan plan;
        for (std::uint32_t k = 0; k < count; ++k) {
            if (offsets[k] > length || !Inside(offsets[k] + kBlockLead, size, length)) {
                return;
            }
            plan.Add(offsets[k] + kBlockLead, size);
        }
        plan.TellTo(bytes);
        std::vector<std::uint8_t> block(size);
        std::vector<GpsSample> gps(count);
        std::vector<GSensorSample> accel(std::size_t{count} * 5);
        for (std::uint32_t k = 0; k < count; ++k) {
            if (!bytes.ReadAt(offsets[k] + kBlockLead, block.data(), size)) {
                return;
            }
            DecodeTelemetryBlock(block.data(), stride, gps[k], &accel[std::size_t{k} * 5]);
        }
        d.gps = std::move(gps);
        d.gsensor = std::move(accel);
    };

    if (!sideText && blocks > 0) {
        d.source = TelemetrySource::kBlocks;
        readBlocks(t.blockOffsets, blocks, kMovBlockSize, kMovAccelStride);
    } else if (!sideText && indexed > 0) {
        d.source = TelemetrySource::kIndexBlocks;
        readBlocks(t.gpsIndexOffsets, indexed, kIndexBlockSize, kIndexAccelStride);
    } else if (sideText) {
        d.source = TelemetrySource::kSideText;
        if (length <= kMaxTelemetryBytes) {
            std::string text(static_cast<std::size_t>(length), '\0');
            if (bytes.ReadAt(0, text.data(), text.size())) {
                // One line a second: twice the duration's lines is plenty.
                ParseSideText(text, d.gps, d.gsensor, MaxGpsSamples(t.durationMs, 1.0));
            }
        }
    } else {
        d.source = TelemetrySource::kPayloads;
        d.gsensorFullScale = GSensorFullScale(entry);
        // Payloads are read whole or not at all, only whole records are kept, and
        // never more records than the recording's duration can carry.
        const bool gsensorInside = t.gsensorDataSize > 0 &&
                                   t.gsensorDataSize <= kMaxTelemetryBytes &&
                                   Inside(t.gsensorDataOffset, t.gsensorDataSize, length);
        const bool gpsInside = t.gpsDataSize > 0 && t.gpsDataSize <= kMaxTelemetryBytes &&
                               Inside(t.gpsDataOffset, t.gpsDataSize, length);
        const std::size_t gsensorCount =
            gsensorInside ? std::min<std::size_t>(t.gsensorDataSize / kGSensorRecordSize,
                                                  MaxGSensorSamples(t.durationMs))
                          : 0;
        const std::size_t gpsCount =
            gpsInside ? std::min<std::size_t>(t.gpsDataSize / kGpsRecordSize,
                                              MaxGpsSamples(t.durationMs, RecordsPerSecond(entry)))
                      : 0;
        ReadPlan plan;
        plan.Add(t.gsensorDataOffset, gsensorCount * kGSensorRecordSize);
        plan.Add(t.gpsDataOffset, gpsCount * kGpsRecordSize);
        plan.TellTo(bytes);
        if (gsensorInside) {
            const std::size_t count = gsensorCount;
            std::vector<GSensorSample> accel(count);
            if (count == 0 ||
                bytes.ReadAt(t.gsensorDataOffset, accel.data(), count * kGSensorRecordSize)) {
                d.gsensor = std::move(accel);
                d.curveLoaded = true;
            }
        }
        if (gpsInside) {
            const std::size_t count = gpsCount;
            std::vector<std::uint8_t> raw(count * kGpsRecordSize);
            if (count == 0 || bytes.ReadAt(t.gpsDataOffset, raw.data(), raw.size())) {
                d.gps.reserve(count);
                for (std::size_t k = 0; k < raw.size(); k += kGpsRecordSize) {
                    d.gps.push_back(DecodeGpsSample(raw.data() + k));
                }
                d.rateKnown = true;
                d.recordsPerSecond = RecordsPerSecond(entry);
            }
        }
        return d;
    }
    d.curveLoaded = true;
    d.rateKnown = true;
    return d;
}

std::string SideTextPath(std::string_view path) {
    std::string side(path);
    if (EndsWith(path, ".AVI")) {
        side.replace(side.size() - 4, 4, ".TXT");
    } else if (EndsWith(path, ".avi")) {
        side.replace(side.size() - 4, 4, ".txt");
    } else {
        return {};
    }
    return side;
}

}  // namespace lum
