// What goes on the sample card: every file, where it lies, how it is made,
// what it carries and what the viewer should make of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Drive.h"

namespace lum::card {

struct CardOptions {
    int minutes = 10;  // recordings in the main drive, one camera minute each
    std::uint32_t seed = 1;
    int secondsPerRecording = 60;
    int width = 640;
    int height = 360;
    int fps = 30;
};

inline constexpr int kMinDriveRecordings = 8;
// A "gps " index box lists at most 60 entries, one per second.
inline constexpr int kMaxSecondsPerRecording = 60;
// An overlap of more than two seconds needs a recording of at least four.
inline constexpr int kMinSecondsPerRecording = 4;

// One GPS record as the camera measured it; each layout stores it in its own form.
struct GpsFix {
    double latitude = 0;   // ddmm.mmmm, negative for south
    double longitude = 0;  // dddmm.mmmm, negative for west
    double speedKmh = 0;
    double headingDegrees = 0;
    int altitude = 0;
    bool valid = false;
    CivilTime time;
};

// One acceleration reading in g.
struct AccelG {
    double x = 0, y = 0, z = 1;
};

enum class Container { Mp4, Mov, Avi, ThreeGp };
enum class Layout {
    None,         // no telemetry at all
    Payload,      // "gpsa", "gsea", "IDIT", "gps0", "gsen" boxes after the movie box
    Blocks,       // 176-byte blocks a stride after each audio chunk (upper-case ".MOV")
    IndexBlocks,  // 136-byte blocks listed by a "gps " box
    AviChunks,    // the payload chunks inside the RIFF
    SideText      // a short-named AVI with its ".TXT" file
};
enum class Damage { None, NoFtyp, CutShort };

struct PlannedFile {
    std::string folder;  // below the card's root, "/"-separated, no trailing separator
    std::string name;
    Container container = Container::Mp4;
    Layout layout = Layout::Payload;
    Damage damage = Damage::None;
    int copyOf = -1;  // repeats the bytes of an earlier file (then damaged, if asked)
    bool readOnly = false;

    // What the viewer's scan should do with the file.
    bool listed = true;
    std::string kind;        // English kind name the list shows
    std::uint8_t flags = 0;  // 1 name-locked, 2 read-only
    std::string group;       // recordings with the same label form one group
    std::string exercises;   // one line for people reading the manifest

    CivilTime start;
    int seconds = 0;
    int gpsPerSecond = 1;
    int accelPerSecond = 10;
    int fullScale = 8;  // g; 8 is what the viewer assumes when the camera says nothing
    std::vector<GpsFix> gps;
    std::vector<AccelG> accel;
    std::vector<std::string> events;  // what happens during the recording
    unsigned toneHz = 440;            // the audio track's tone

    std::string RelativePath() const { return folder.empty() ? name : folder + "/" + name; }
};

std::vector<PlannedFile> PlanCard(const CardOptions& options);

// ---- What the viewer's readers should make of a file ----

// A GPS record as the readers return it (the 32-byte record's fields).
struct ReadGps {
    double latitude = 0, longitude = 0;
    int altitude = 0, speedKmh = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int headingHalfDegrees = 0, fixFlags = 0;
};
struct ReadAccel {
    int x = 0, y = 0, z = 0;
};

// Full scale of the readings as the reader reports them: the camera's for
// payloads, 8 g for blocks and side text.
int ReadFullScale(const PlannedFile& f);
double ReadRecordsPerSecond(const PlannedFile& f);
std::vector<ReadGps> ExpectedGps(const PlannedFile& f);
std::vector<ReadAccel> ExpectedAccel(const PlannedFile& f);

// A reading in g to the signed 8-bit count of a full scale (128 counts).
int Counts(double g, int fullScale);

}  // namespace lum::card
