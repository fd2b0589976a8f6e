// The track writers (KML, GPX, CSV, GeoJSON) on arbitrary 32-byte GPS records, and
// the name helpers on arbitrary bytes: no document ever holds a number the program
// did not compute, and names survive the round trip.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/KmlExport.h"
#include "catalogue/TrackFormats.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

// Numbers are written with six decimals and at most three integer digits and a sign.
void CheckNumbers(const std::string& text) {
    Check(text.find("nan") == std::string::npos && text.find("inf") == std::string::npos);
    Check(text.find("-0.000000") == std::string::npos);
    std::size_t run = 0;
    for (char c : text) {
        run = (c >= '0' && c <= '9') ? run + 1 : 0;
        Check(run <= 12);  // six decimals, a time, a date or an altitude; never a 300-digit value
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte says how long the name is; the records follow it.
    const std::size_t nameLength = size == 0 ? 0 : std::min<std::size_t>(data[0], size - 1);
    const std::string_view name(reinterpret_cast<const char*>(data) + (size == 0 ? 0 : 1),
                                nameLength);
    std::vector<lum::GpsSample> samples;
    for (std::size_t at = 1 + nameLength; at + lum::kGpsRecordSize <= size;
         at += lum::kGpsRecordSize) {
        samples.push_back(lum::DecodeGpsSample(data + at));
    }
    lum::RecordingEntry entry;
    entry.fileName = "FILE0001.MP4";
    CheckNumbers(lum::KmlDocument(entry, samples));
    CheckNumbers(lum::GpxDocument(entry, samples));
    CheckNumbers(lum::CsvDocument(samples));
    CheckNumbers(lum::GeoJsonDocument(entry, samples));

    entry.fileName = std::string(name);
    const std::string json = lum::JsonString(name);
    Check(json.size() >= 2 && json.front() == '"' && json.back() == '"' && lum::IsValidUtf8(json));
    Check(lum::PercentDecode(lum::PercentEncode(name)) == std::string(name));
    Check(lum::IsValidUtf8(lum::GeoJsonDocument(entry, {})));
    return 0;
}
