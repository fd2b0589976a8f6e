// SHA-256 against the standard's vectors, and the evidence folder of a recording
// built in code, its hashes checked with the system's sha256sum.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "catalogue/EvidenceExport.h"
#include "catalogue/RecordingCatalogue.h"
#include "catalogue/Sha256.h"
#include "recordings/Paths.h"
#include "tests/support/Builders.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/TimeZone.h"

namespace lum {
namespace {

using namespace lum::test;
namespace fs = std::filesystem;

TEST(Sha256Test, StandardVectorsWholeAndInPieces) {
    const struct {
        std::string message;
        const char* digest;
    } vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& v : vectors) {
        SCOPED_TRACE(v.message.substr(0, 20));
        EXPECT_EQ(Sha256Hex(v.message), v.digest);
        // Fed in uneven pieces, the digest is the same.
        Sha256 h;
        std::size_t at = 0;
        for (std::size_t piece = 1; at < v.message.size(); piece = piece * 3 + 1) {
            const std::size_t n = std::min(piece, v.message.size() - at);
            h.Update(v.message.data() + at, n);
            at += n;
        }
        EXPECT_EQ(h.HexFinal(), v.digest);
    }
}

// The system's own sha256sum of a file: a second, independent implementation.
std::string SystemSha256(const fs::path& file) {
    const std::string command = "sha256sum '" + file.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    char digest[65] = {};
    const std::size_t got = std::fread(digest, 1, 64, pipe);
    pclose(pipe);
    return std::string(digest, got);
}

TEST(Sha256Test, AgreesWithTheSystemAroundTheBlockEdges) {
    TempDir dir;
    for (const std::size_t size : {0, 1, 55, 56, 63, 64, 65, 119, 120, 1000, 65536, 65537}) {
        Bytes bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        }
        const std::string path = dir.Write("f" + std::to_string(size), bytes);
        EXPECT_EQ(Sha256OfFile(path), SystemSha256(path)) << size;
    }
    EXPECT_FALSE(Sha256OfFile(dir.path() / "missing").has_value());
}

// Twenty seconds northwards with a hard braking from 5.0 to 6.5 s.
Bytes DriveMp4() {
    Bytes gps;
    for (int k = 0; k < 20; ++k) {
        GpsSample s = DatedSample({2014, 1, 1, 12, 0, k});
        s.latitude += k * 0.01;
        Append(gps, GpsRecord(s));
    }
    Bytes gsen;
    for (int i = 0; i < 200; ++i) {
        for (int v : {0, i >= 50 && i < 65 ? -10 : 0, 16}) {
            gsen.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(v)));
        }
    }
    return Cat({Ftyp(), Box("gpsa", Attributes(1, 8)), Box("IDIT", Text("2014-01-01 12:00:00")),
                Box("gps0", gps), Box("gsen", gsen),
                Box("moov", {VideoTrak(640, 360, 1000, 20000)})});
}

class EvidenceExportTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { SetTimeZone("JST-9"); }

    // Opens the card, which holds one recording, and loads its telemetry.
    void Load() {
        ASSERT_TRUE(catalogue.Load(FromFsPath(dir.path() / "card"), ""));
        ASSERT_EQ(catalogue.Entries().size(), 1u);
        ASSERT_TRUE(catalogue.LoadCurrentTelemetry(0));
    }
    EvidenceRequest Request() const {
        return {catalogue.Entries()[0],
                catalogue.GpsSamples(),
                catalogue.CurrentEvents(),
                catalogue.CurrentTrip(),
                "9.8.7",
                {}};
    }

    TempDir dir;
    RecordingCatalogue catalogue;
};

TEST_F(EvidenceExportTest, FolderHoldsExactCopyDocumentsAndTheirHashes) {
    const Bytes mp4 = DriveMp4();
    dir.Write("card/DCIM/FILE140101-120000.MP4", mp4);
    dir.Write("snap.png", Text("picture"));
    Load();
    EvidenceRequest request = Request();
    request.extraFiles = {dir.path() / "snap.png"};
    const EvidenceResult result = ExportEvidence(request, dir.path() / "out");
    ASSERT_TRUE(result.ok()) << EvidenceErrorText(result.error);
    EXPECT_EQ(result.folder, dir.path() / "out" / "FILE140101-120000");

    const fs::path folder = result.folder;
    const std::string copy = ReadAll(folder / "FILE140101-120000.MP4");
    EXPECT_EQ(Bytes(copy.begin(), copy.end()), mp4);
    std::vector<std::string> names = Names(folder);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"FILE140101-120000.MP4", "events.json", "manifest.json",
                                        "report.html", "snap.png", "track.csv", "track.gpx"}));

    // Every file but the manifest itself is listed with its size and the digest
    // sha256sum computes.
    const std::string manifest = ReadAll(folder / "manifest.json");
    EXPECT_NE(manifest.find("\"version\": \"9.8.7\""), std::string::npos) << manifest;
    for (const std::string& name : names) {
        if (name == "manifest.json") {
            continue;
        }
        const std::string entry = "{\"name\": \"" + name +
                                  "\", \"size\": " + std::to_string(fs::file_size(folder / name)) +
                                  ", \"sha256\": \"" + SystemSha256(folder / name) + "\"}";
        EXPECT_NE(manifest.find(entry), std::string::npos) << entry << "\n" << manifest;
    }

    const std::string events = ReadAll(folder / "events.json");
    EXPECT_NE(events.find("\"kind\": \"braking\""), std::string::npos) << events;
    EXPECT_NE(events.find("\"time\": \"2014-01-01 12:00:05\""), std::string::npos) << events;
    const std::string report = ReadAll(folder / "report.html");
    for (const char* part : {"<svg id=\"track\"", "<polyline class=\"track\"", "class=\"event\"",
                             "class=\"scale\"", "Harsh braking", "2014-01-01 12:00:00"}) {
        EXPECT_NE(report.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(report.find("<script"), std::string::npos) << "the report needs no script";
    EXPECT_NE(ReadAll(folder / "track.gpx").find("<trkpt"), std::string::npos);

    // A second export of the same recording gets a folder of its own.
    const EvidenceResult again = ExportEvidence(Request(), dir.path() / "out");
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.folder, dir.path() / "out" / "FILE140101-120000-2");
}

TEST_F(EvidenceExportTest, SideTextTravelsWithItsRecording) {
    dir.Write("card/DCIM/S0000001.AVI", Riff({AviHeaderList(40000, 50, 640, 360), Movi(16)}));
    dir.Write("card/DCIM/S0000001.TXT",
              Text("12,00,01,A,N,3539.511000,E,13944.729600,42.5,0.0,14,1,2,-40,16,5,x,4\n"));
    Load();
    const EvidenceResult result = ExportEvidence(Request(), dir.path() / "out");
    ASSERT_TRUE(result.ok()) << EvidenceErrorText(result.error);
    EXPECT_EQ(ReadAll(result.folder / "S0000001.TXT"),
              ReadAll(dir.path() / "card/DCIM/S0000001.TXT"));
    EXPECT_NE(ReadAll(result.folder / "manifest.json").find("\"S0000001.TXT\""), std::string::npos);
}

TEST_F(EvidenceExportTest, NothingIsWrittenIntoTheCardAndAFailureLeavesNothing) {
    dir.Write("card/DCIM/FILE140101-120000.MP4", DriveMp4());
    Load();
    for (const fs::path& inside : {dir.path() / "card", dir.path() / "card" / "DCIM" / "evidence",
                                   dir.path() / "card" / "DCIM" / ".." / "x"}) {
        const EvidenceResult r = ExportEvidence(Request(), inside);
        EXPECT_EQ(r.error, EvidenceError::OnTheCard) << inside;
    }
    EXPECT_FALSE(fs::exists(dir.path() / "card" / "DCIM" / "evidence"));
    EXPECT_FALSE(fs::exists(dir.path() / "card" / "x"));

    // The recording vanishes between the load and the export: the export fails
    // and its working folder is gone.
    fs::remove(dir.path() / "card/DCIM/FILE140101-120000.MP4");
    fs::create_directories(dir.path() / "out");
    const EvidenceResult r = ExportEvidence(Request(), dir.path() / "out");
    EXPECT_EQ(r.error, EvidenceError::CannotReadSource);
    EXPECT_TRUE(Names(dir.path() / "out").empty());
}

}  // namespace
}  // namespace lum
