// The GPS track of a recording as GPX, CSV and GeoJSON documents, and the text
// helpers that keep names lossless in JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recordings/RecordingTypes.h"

namespace lum {

// Every fix IsPlottable accepts becomes one point; nothing else reaches a document.
std::string GpxDocument(const RecordingEntry& entry, const std::vector<GpsSample>& samples);
std::string CsvDocument(const std::vector<GpsSample>& samples);
std::string GeoJsonDocument(const RecordingEntry& entry, const std::vector<GpsSample>& samples);

// "YYYY-MM-DD hh:mm:ss" in local time, "?" when the C library cannot say.
std::string LocalTimeText(std::int64_t seconds);
// "YYYY-MM-DDThh:mm:ssZ".
std::string UtcTimeText(std::int64_t seconds);

bool IsValidUtf8(std::string_view text);
// Every byte outside printable ASCII, and "%" itself, as "%XX": reversible for any bytes.
std::string PercentEncode(std::string_view bytes);
// The bytes back; nullopt when a "%" is not followed by two hexadecimal digits.
std::optional<std::string> PercentDecode(std::string_view text);
// A JSON string literal; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace lum
