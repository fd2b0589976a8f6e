#include "catalogue/TrackFormats.h"

#include <cstdio>

#include "catalogue/KmlExport.h"
#include "catalogue/RecordingCatalogue.h"
#include "recordings/LocalTime.h"

namespace lum {

namespace {

std::optional<std::int64_t> SampleTime(const GpsSample& s) {
    if (s.year == 0 || !IsValidClock(s.month, s.day, s.hour, s.minute, s.second)) {
        return std::nullopt;
    }
    return LocalDateTimeToEpoch(2000 + s.year, s.month, s.day, s.hour, s.minute, s.second);
}

// Length of the UTF-8 sequence at the start of s, 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    if (c < 0x80) {
        return 1;
    }
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07u;
    } else {
        return 0;
    }
    if (s.size() < n) {
        return 0;
    }
    for (std::size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b(i) & 0x3Fu);
    }
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
    if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
        return 0;
    }
    return n;
}

}  // namespace

std::string LocalTimeText(std::int64_t t) {
    const auto dt = EpochToLocalDateTime(t);
    if (!dt) {
        return "?";
    }
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", dt->year, dt->month, dt->day,
                  dt->hour, dt->minute, dt->second);
    return buf;
}

std::string UtcTimeText(std::int64_t t) {
    const std::int64_t days = (t >= 0 ? t : t - 86399) / 86400;
    const std::int64_t secs = t - days * 86400;
    // Civil date from days since 1970 (proleptic Gregorian).
    std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ",
                  static_cast<long long>(y), static_cast<long long>(m), static_cast<long long>(d),
                  static_cast<long long>(secs / 3600), static_cast<long long>(secs / 60 % 60),
                  static_cast<long long>(secs % 60));
    return buf;
}

std::string GpxDocument(const RecordingEntry& e, const std::vector<GpsSample>& samples) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"lumtool\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "  <trk>\n    <name>" +
        EscapeXml(e.fileName) + "</name>\n    <trkseg>\n";
    ForEachKmlFix(samples, [&](const GpsSample& s, double lat, double lon) {
        out += "      <trkpt lat=\"" + FormatFixed6(lat) + "\" lon=\"" + FormatFixed6(lon) + "\">";
        if (const auto t = SampleTime(s)) {
            out += "<time>" + UtcTimeText(*t) + "</time>";
        }
        out += "</trkpt>\n";
    });
    out += "    </trkseg>\n  </trk>\n</gpx>\n";
    return out;
}

std::string CsvDocument(const std::vector<GpsSample>& samples) {
    std::string out = "time,latitude,longitude,speed_kmh,heading_deg,altitude\n";
    ForEachKmlFix(samples, [&](const GpsSample& s, double lat, double lon) {
        const auto t = SampleTime(s);
        out += (t ? LocalTimeText(*t) : std::string()) + "," + FormatFixed6(lat) + "," +
               FormatFixed6(lon) + "," + std::to_string(s.speedKmh) + "," +
               std::to_string(s.headingHalfDegrees * 2) + "," + std::to_string(s.altitude) + "\n";
    });
    return out;
}

std::string GeoJsonDocument(const RecordingEntry& e, const std::vector<GpsSample>& samples) {
    std::string out =
        "{\n  \"type\": \"FeatureCollection\",\n  \"features\": [\n    {\n"
        "      \"type\": \"Feature\",\n      \"properties\": {\n        \"name\": " +
        JsonString(e.fileName) + ",\n";
    if (!IsValidUtf8(e.fileName)) {
        out += "        \"nameBytes\": " + JsonString(PercentEncode(e.fileName)) + ",\n";
    }
    out += "        \"startTime\": " + std::to_string(e.telemetry.startTime) +
           "\n      },\n      \"geometry\": {\n        \"type\": \"LineString\",\n"
           "        \"coordinates\": [";
    const char* separator = "\n";
    ForEachKmlFix(samples, [&](const GpsSample&, double lat, double lon) {
        out += separator;
        out += "          [" + FormatFixed6(lon) + ", " + FormatFixed6(lat) + "]";
        separator = ",\n";
    });
    out += "\n        ]\n      }\n    }\n  ]\n}\n";
    return out;
}

bool IsValidUtf8(std::string_view s) {
    while (!s.empty()) {
        const std::size_t n = Utf8SequenceLength(s);
        if (n == 0) {
            return false;
        }
        s.remove_prefix(n);
    }
    return true;
}

std::string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c > 0x20 && c < 0x7F && c != '%') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> PercentDecode(std::string_view text) {
    const auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int hi = hex(text[i + 1]), lo = hex(text[i + 2]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::string JsonString(std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    while (!s.empty()) {
        const std::size_t n = Utf8SequenceLength(s);
        if (n == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts no character
            s.remove_prefix(1);
            continue;
        }
        const char c = s[0];
        if (n > 1) {
            out.append(s.substr(0, n));
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
        s.remove_prefix(n);
    }
    out += '"';
    return out;
}

}  // namespace lum
