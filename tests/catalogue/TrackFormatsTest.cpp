#include <gtest/gtest.h>

#include <limits>
#include <regex>

#include "catalogue/KmlExport.h"
#include "catalogue/TrackFormats.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using namespace lum::test;

// Every writer on samples no writer can put down: only the two good fixes come out,
// and every number in the text is one the program computed.
TEST(TrackFormatsTest, HostileSamplesNeverReachADocument) {
    SetTimeZone("JST-9");
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<GpsSample> samples;
    for (const auto& [lat, lon] : std::vector<std::pair<double, double>>{{-1e300, 100.0},
                                                                         {100.0, 1e300},
                                                                         {nan, 100.0},
                                                                         {100.0, -nan},
                                                                         {inf, 100.0},
                                                                         {-inf, -inf},
                                                                         {20000.0, 0.0},
                                                                         {0.0, -20000.0},
                                                                         {-0.0, -0.0},
                                                                         {3730.12, -13945.0}}) {
        GpsSample s;
        s.latitude = lat;
        s.longitude = lon;
        s.fixFlags = 1;
        samples.push_back(s);
    }
    RecordingEntry e;
    e.fileName = "FILE0001.MP4";
    const std::regex number(R"([-+]?[0-9]*\.?[0-9]+(e[-+]?[0-9]+)?|nan|inf)", std::regex::icase);
    const struct {
        const char* format;
        std::string text;
        std::vector<std::string> points;
    } documents[] = {
        {"kml", KmlDocument(e, samples), {"0.000000,0.000000,0\n", "-139.750000,37.502000,0\n"}},
        {"gpx",
         GpxDocument(e, samples),
         {"lat=\"0.000000\" lon=\"0.000000\"", "lat=\"37.502000\" lon=\"-139.750000\""}},
        {"csv", CsvDocument(samples), {",0.000000,0.000000,0,0,0\n", ",37.502000,-139.750000,"}},
        {"geojson",
         GeoJsonDocument(e, samples),
         {"[0.000000, 0.000000]", "[-139.750000, 37.502000]"}},
    };
    for (const auto& d : documents) {
        std::size_t at = 0;
        for (const std::string& p : d.points) {
            at = d.text.find(p, at);
            EXPECT_NE(at, std::string::npos) << d.format << ": " << p << "\n" << d.text;
        }
        std::size_t numbers = 0;
        for (auto it = std::sregex_iterator(d.text.begin(), d.text.end(), number);
             it != std::sregex_iterator(); ++it) {
            const std::string n = it->str();
            EXPECT_LT(n.size(), 12u) << d.format << ": " << n;
            EXPECT_EQ(n.find_first_of("nNiI"), std::string::npos) << d.format << ": " << n;
            numbers += n.find(".000000") != std::string::npos || n.find("37.502") == 0 ||
                       n.find("-139.75") == 0;
        }
        EXPECT_EQ(numbers, 4u) << d.format << "\n" << d.text;
        EXPECT_EQ(d.text.find("-0.000000"), std::string::npos) << d.format;
        EXPECT_EQ(d.text.find('\0'), std::string::npos) << d.format;
    }
}

TEST(TrackFormatsTest, NamesStayLossless) {
    const struct {
        std::string bytes;
        bool utf8;
        std::string json;
        std::string xml;  // as a KML or GPX name: well-formed, and recoverable
    } cases[] = {
        {"FILE0001.MP4", true, "\"FILE0001.MP4\"", "FILE0001.MP4"},
        {"日本語 %.MP4", true, "\"日本語 %.MP4\"", "日本語 %.MP4"},
        {"a\"b\\c\n<", true, "\"a\\\"b\\\\c\\u000a<\"", "a\"b\\c\n&lt;"},
        {"FILE\xFF\xFE.MP4", false, "\"FILE\xEF\xBF\xBD\xEF\xBF\xBD.MP4\"", "FILE%FF%FE.MP4"},
        {"\xC0\xAF", false, "\"\xEF\xBF\xBD\xEF\xBF\xBD\"", "%C0%AF"},  // overlong "/"
        {"\xED\xA0\x80", false, "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"",
         "%ED%A0%80"},                                                  // a surrogate
        {"\xE6\x97", false, "\"\xEF\xBF\xBD\xEF\xBF\xBD\"", "%E6%97"},  // cut short
        {std::string("a\0b", 3), true, "\"a\\u0000b\"", "a%00b"},       // no XML can hold it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.bytes), c.utf8) << c.json;
        EXPECT_EQ(JsonString(c.bytes), c.json);
        EXPECT_EQ(EscapeXml(c.bytes), c.xml);
        const std::string encoded = PercentEncode(c.bytes);
        EXPECT_EQ(encoded.find_first_of(std::string(" \x7F\x80\xFF\0", 5)), std::string::npos);
        EXPECT_EQ(PercentDecode(encoded), c.bytes) << encoded;
    }
    EXPECT_EQ(PercentEncode("a b%\xFF"), "a%20b%25%FF");
    EXPECT_EQ(PercentDecode("%e6%97%a5"), "日");
    for (const char* bad : {"%", "%4", "%G0", "abc%"}) {
        EXPECT_EQ(PercentDecode(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace lum
