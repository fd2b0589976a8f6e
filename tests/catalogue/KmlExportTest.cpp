#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue/KmlExport.h"
#include "recordings/Paths.h"
#include "tests/support/Builders.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using namespace lum::test;

class KmlExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetTimeZone("JST-9");
        RecordingEntry e;
        e.fileName = "FILE160517-140327F.MOV";
        e.subFolder = std::string("DCIM") + kPathSeparator;
        e.telemetry.startTime = UtcEpoch(2016, 5, 17, 5, 3, 27);  // 14:03:27 in UTC+9
        catalogue.AddEntry(e);
        catalogue.SetCurrentIndex(0);
    }
    static GpsSample Fix(double lat, double lon, std::int32_t alt, std::uint8_t fix = 1) {
        GpsSample s;
        s.latitude = lat;
        s.longitude = lon;
        s.altitude = alt;
        s.fixFlags = fix;
        return s;
    }
    TempDir dir;
    RecordingCatalogue catalogue;
};

TEST_F(KmlExportTest, WritesTheDocumentByteForByte) {
    catalogue.SetCurrentSamples(
        {Fix(3730.12, 13945.0, 0), Fix(3730.12, 13945.0, 0, 0),  // no fix: left out
         Fix(20000.0, 13945.0, 0),                               // beyond the bound
         Fix(-3350.5, -7040.25, -12)},
        {}, 1.0);
    const KmlFolder folder = GetKmlFolder(FromFsPath(dir.path()));
    ASSERT_TRUE(folder.ready);
    const auto path = ExportKml(catalogue, folder.path);
    ASSERT_TRUE(path.has_value());
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(*path, FromFsPath(dir.path()) + sep + "LUM" + sep + "KML" + sep +
                         "FILE160517-140327F_2016_05_17_14-03-27.KML");
    const std::string want =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
        "  <Document>\n"
        "    <name>FILE160517-140327F.MOV</name>\n"
        "\t<description></description>\n"
        "    <Style id=\"blueLine\">\n"
        "      <LineStyle>\n"
        "        <color>ffff0000</color>\n"
        "        <width>4</width>\n"
        "      </LineStyle>\n"
        "    </Style>\n"
        "    <Placemark>\n"
        "      <name>CAR PATH</name>\n"
        "      <description>GPS Path of Car DV \"DCIM" +
        sep + sep +
        "FILE160517-140327F.MOV\" 2016/05/17 14:03:27</description>\n"
        "      <styleUrl>#blueLine</styleUrl>\n"
        "      <LineString>\n"
        "        <altitudeMode>relative</altitudeMode>\n"
        "        <coordinates>\n"
        "139.750000,37.502000,0\n"
        "-70.670833,-33.841667,-12\n"
        "\n"
        "        </coordinates>\n"
        "      </LineString>\n"
        "    </Placemark>\n"
        "  </Document>\n"
        "</kml>\n";
    EXPECT_EQ(ReadAll(*path), want);
    EXPECT_FALSE(std::filesystem::exists(ToFsPath(*path + ".part")));

    // A second export replaces the same file.
    catalogue.SetCurrentSamples({}, {}, 1.0);
    ASSERT_EQ(ExportKml(catalogue, folder.path), path);
    EXPECT_EQ(ReadAll(*path).find("139.75"), std::string::npos);
}

TEST_F(KmlExportTest, NamesAndFailures) {
    RecordingEntry e;
    e.fileName = "NOEXT";
    e.telemetry.startTime = UtcEpoch(2014, 1, 1, 0, 0, 0);
    EXPECT_EQ(KmlFileName(e), "N_2014_01_01_09-00-00.KML");  // loses 4 characters, extension or not
    e.fileName = "駐車場0001.MP4";
    EXPECT_EQ(KmlFileName(e), "駐車場0001_2014_01_01_09-00-00.KML");
    e.fileName = "a&b.MP4";
    catalogue.AddEntry(e);
    catalogue.SetCurrentIndex(5);  // beyond the end: lowered to the last recording
    const auto path = ExportKml(catalogue, FromFsPath(dir.path()) + kPathSeparator);
    ASSERT_TRUE(path.has_value());
    EXPECT_NE(ReadAll(*path).find("<name>a&amp;b.MP4</name>"), std::string::npos);

    // No current recording, or a folder that cannot be written: a clean failure.
    catalogue.SetCurrentIndex(-1);
    catalogue.Clear();
    EXPECT_FALSE(ExportKml(catalogue, FromFsPath(dir.path())).has_value());
    catalogue.AddEntry(e);
    catalogue.SetCurrentIndex(0);
    EXPECT_FALSE(
        ExportKml(catalogue, FromFsPath(dir.path() / "missing") + kPathSeparator).has_value());
}

TEST_F(KmlExportTest, WriterWithoutAFileDoesNothing) {
    KmlWriter w;
    EXPECT_FALSE(w.WriteCoordinate(1, 2, 3));
    EXPECT_FALSE(w.WriteFooter());
}

}  // namespace
}  // namespace lum
