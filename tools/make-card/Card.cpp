#include "Card.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace lum::card {

namespace {

// From the foot of the tower through Shiba and Hamamatsucho to the bay, then
// down the expressway along the canal past Shinagawa and Oi to the airport.
const std::vector<LatLon> kTowerToAirport = {
    {35.658517, 139.745493}, {35.657200, 139.746650}, {35.657300, 139.748600},
    {35.657000, 139.751000}, {35.656700, 139.754800}, {35.656300, 139.757000},
    {35.655800, 139.759500}, {35.653500, 139.760000}, {35.649000, 139.758000},
    {35.642000, 139.754500}, {35.633000, 139.750000}, {35.622000, 139.747500},
    {35.608000, 139.746000}, {35.594000, 139.743500}, {35.580000, 139.742000},
    {35.566000, 139.746000}, {35.556000, 139.752000}, {35.549500, 139.760000},
    {35.548000, 139.771000}};

// Out of the airport car park and back towards the expressway.
const std::vector<LatLon> kAirportLoop = {
    {35.548000, 139.771000}, {35.549500, 139.760000}, {35.552500, 139.756000}};

// Up the wide avenue from the obelisk: south of the equator and west of Greenwich.
const std::vector<LatLon> kAvenue = {{-34.603722, -58.381592},
                                     {-34.599800, -58.381300},
                                     {-34.595500, -58.381000},
                                     {-34.591500, -58.380800},
                                     {-34.588800, -58.380000}};

constexpr CivilTime kDriveStart{2024, 5, 18, 9, 30, 0};
constexpr CivilTime kAbroadStart{2024, 8, 10, 16, 0, 0};
constexpr int kParkAfterArrival = 15 * 60;  // seconds between arrival and the knock
constexpr int kReturnAfterPark = 20 * 60;

class Noise {
  public:
    explicit Noise(std::uint32_t seed) : rng_(seed) {}
    // mt19937's raw output is fixed by the standard, unlike the distributions.
    double Uniform(double lo, double hi) {
        return lo + (hi - lo) * (static_cast<double>(rng_()) / 4294967296.0);
    }
    unsigned Pick(unsigned lo, unsigned hi) { return lo + rng_() % (hi - lo + 1); }

  private:
    std::mt19937 rng_;
};

// Samples a recording's window [t0, t0 + seconds) of a drive.
void Sample(PlannedFile& f, const Drive& drive, double t0, Noise& noise) {
    f.gps.clear();
    f.accel.clear();
    const int records = f.seconds * f.gpsPerSecond;
    for (int j = 0; j < records; ++j) {
        const double t = t0 + static_cast<double>(j) / f.gpsPerSecond;
        const DriveState s = drive.At(t, 1.0 / f.gpsPerSecond);
        GpsFix g;
        g.time = AddSeconds(f.start, j / f.gpsPerSecond);
        g.valid = s.fix;
        g.altitude = s.fix ? 4 + static_cast<int>(noise.Pick(0, 3)) : 0;
        if (s.fix) {
            g.latitude = ToNmea(s.position.lat);
            g.longitude = ToNmea(s.position.lon);
            // A stopped car reads 0, a moving one wobbles a little around its speed.
            const double measured = std::max(0.0, s.speedKmh + noise.Uniform(-1.5, 1.5));
            // The receiver reports tenths of a km/h.
            g.speedKmh = s.speedKmh < 0.5 ? 0 : std::round(measured * 10) / 10;
            g.headingDegrees = s.headingDegrees;
        }
        f.gps.push_back(g);
    }
    const int readings = f.seconds * f.accelPerSecond;
    for (int i = 0; i < readings; ++i) {
        const double t = t0 + static_cast<double>(i) / f.accelPerSecond;
        const DriveState s = drive.At(t, 1.0 / f.accelPerSecond);
        f.accel.push_back({s.x + noise.Uniform(-0.03, 0.03), s.y + noise.Uniform(-0.03, 0.03),
                           s.z + noise.Uniform(-0.03, 0.03)});
    }
}

std::string Name(const char* prefix, const CivilTime& t, const char* extension) {
    return std::string(prefix) + NameStamp(t) + extension;
}

struct Slot {
    const char* prefix;
    const char* folder;
    Container container;
    Layout layout;
    const char* kind;
    std::uint8_t flags;
    bool readOnly;
    int gpsPerSecond;
    int fullScale;
    const char* exercises;
};

// The first recordings of the drive, each showing one way the cameras store
// telemetry or mark a recording; the rest of the drive is plain recordings.
const Slot kDriveSlots[kMinDriveRecordings] = {
    {"FILE", "DCIM/100DRIVE", Container::Mp4, Layout::Payload, "Normal", 0, false, 1, 8,
     "MP4 boxes after the movie, 1 record a second; no fix for the first seconds"},
    {"FILE", "DCIM/100DRIVE", Container::Mp4, Layout::Payload, "Normal", 0, false, 5, 4,
     "MP4 boxes with 5 records a second and a 4 g G-sensor"},
    {"FILG", "DCIM/100DRIVE", Container::Mp4, Layout::Payload, "Event", 1, false, 1, 8,
     "name-locked (fourth letter G): an event by its lock"},
    {"EMER", "DCIM/101EVENT", Container::Mp4, Layout::Payload, "Emergency", 0, false, 1, 8,
     "emergency recording of a hard braking"},
    {"FILE", "DCIM/100DRIVE", Container::Mov, Layout::Blocks, "Normal", 0, false, 1, 8,
     "QuickTime with 176-byte blocks after each audio chunk; the tunnel begins"},
    {"MANU", "DCIM/101EVENT", Container::Mp4, Layout::IndexBlocks, "Manual", 0, false, 1, 8,
     "136-byte blocks listed by a \"gps \" box; the tunnel ends"},
    {"FILE", "DCIM/100DRIVE", Container::Avi, Layout::AviChunks, "Normal", 0, false, 1, 8,
     "AVI with the telemetry chunks inside the RIFF; a pothole"},
    {"FILE", "DCIM/100DRIVE", Container::Mp4, Layout::Payload, "Normal", 2, true, 1, 8,
     "read-only; the only time past 100 km/h"},
};

const char* Extension(Container c, bool lowerCase = false) {
    switch (c) {
        case Container::Mp4:
            return ".MP4";
        case Container::Mov:
            return lowerCase ? ".mov" : ".MOV";
        case Container::Avi:
            return ".AVI";
        case Container::ThreeGp:
            return ".3GP";
    }
    return "";
}

// The main drive's speeds, recording by recording (seconds from the start, km/h).
std::vector<SpeedKey> DriveProfile(int recordings, double L, double brakeSeconds, Noise& noise) {
    std::vector<SpeedKey> k = {{0, 0}, {0.3 * L, 0}, {L, 32}};
    k.push_back({L + 0.35 * L, 38});  // towards the lights at the gate
    k.push_back({L + 0.6 * L, 0});
    k.push_back({L + 0.75 * L, 0});
    k.push_back({2 * L, 22});
    k.push_back({3 * L, 55});  // up the ramp
    k.push_back({3 * L + 0.45 * L, 78});
    k.push_back({3 * L + 0.45 * L + brakeSeconds, 18});  // the car ahead stops dead
    k.push_back({4 * L, 40});
    k.push_back({5 * L, 72});
    k.push_back({6 * L, 90});
    k.push_back({7 * L, 84});
    k.push_back({7 * L + 0.6 * L, 108});
    k.push_back({8 * L, 88});
    for (int i = kMinDriveRecordings; i < recordings; ++i) {
        const double base = i * L;
        const bool last = i + 1 == recordings;
        k.push_back({base + 0.5 * L, noise.Uniform(70, 85)});
        k.push_back({base + L, last ? 35 : noise.Uniform(72, 85)});
    }
    return k;
}

}  // namespace

namespace {
// The single nearest to v (ties to even), as the blocks store it. Computed on
// the mantissa: GCC 12's vectorizer turns a pair of double-to-float-to-double
// conversions into plain copies.
double NearestSingle(double v) {
    int exponent = 0;
    const double mantissa = std::frexp(v, &exponent);
    return std::ldexp(std::nearbyint(std::ldexp(mantissa, 24)), exponent - 24);
}
}  // namespace

int Counts(double g, int fullScale) {
    const long v = std::lround(g * 128.0 / fullScale);
    return static_cast<int>(std::clamp(v, -128L, 127L));
}

std::vector<PlannedFile> PlanCard(const CardOptions& o) {
    Noise noise(o.seed);
    const int L = o.secondsPerRecording;
    const double l = L;
    std::vector<PlannedFile> files;

    auto plan = [&](const char* prefix, const std::string& folder, Container c, Layout layout,
                    const CivilTime& start) -> PlannedFile& {
        PlannedFile f;
        f.folder = folder;
        f.name = Name(prefix, start, Extension(c));
        f.container = c;
        f.layout = layout;
        f.start = start;
        f.seconds = L;
        f.toneHz = noise.Pick(300, 700);
        // Blocks carry five readings a second, the side text one per line.
        f.accelPerSecond = layout == Layout::Blocks || layout == Layout::IndexBlocks ? 5
                           : layout == Layout::SideText                              ? 1
                                                                                     : 10;
        files.push_back(f);
        return files.back();
    };

    // ---- The drive from the tower to the airport ----
    const double brakeSeconds = std::min(3.0, 0.4 * l);
    Drive drive(kTowerToAirport, DriveProfile(o.minutes, l, brakeSeconds, noise));
    drive.LoseFix(0, 2);              // the receiver is still looking for satellites
    drive.LoseFix(4.4 * l, 5.3 * l);  // the tunnel
    drive.HardBraking(3.45 * l - 0.5, 3.45 * l + brakeSeconds + 0.5);
    drive.Jolt(6.5 * l, 1.6);  // the pothole
    for (int i = 0; i < o.minutes; ++i) {
        const Slot& s = kDriveSlots[std::min(i, kMinDriveRecordings - 1)];
        const bool special = i < kMinDriveRecordings;
        const CivilTime start = AddSeconds(kDriveStart, std::int64_t{i} * L);
        PlannedFile& f =
            special ? plan(s.prefix, s.folder, s.container, s.layout, start)
                    : plan("FILE", "DCIM/100DRIVE", Container::Mp4, Layout::Payload, start);
        f.kind = special ? s.kind : "Normal";
        f.flags = special ? s.flags : 0;
        f.readOnly = special && s.readOnly;
        f.gpsPerSecond = special ? s.gpsPerSecond : 1;
        f.fullScale = special ? s.fullScale : 8;
        f.group = "drive";
        f.exercises = special ? s.exercises : "the drive goes on";
        Sample(f, drive, i * l, noise);
    }
    files[0].events = {"cold start: no fix for two seconds"};
    files[3].events = {"hard braking"};
    files[4].events = {"tunnel: fix lost"};
    files[5].events = {"tunnel: fix lost"};
    files[6].events = {"pothole"};
    files[7].events = {"over 100 km/h"};
    const std::size_t firstDrive = 0, aviIndex = 6;

    // ---- Parked at the airport: a knock wakes the camera ----
    const CivilTime arrival = AddSeconds(kDriveStart, std::int64_t{o.minutes} * L);
    const CivilTime parkStart = AddSeconds(arrival, kParkAfterArrival);
    Drive parked({kTowerToAirport.back()}, {{0, 0}, {l, 0}});
    parked.Jolt(0.5 * l, 0.6);
    {
        PlannedFile& f = plan("PARK", "DCIM/102PARK", Container::Mov, Layout::Blocks, parkStart);
        f.kind = "Parking";
        f.group = "parked";
        f.exercises = "parking recording after a gap; blocks after each audio chunk";
        f.events = {"knock while parked"};
        Sample(f, parked, 0, noise);
    }
    const std::size_t parkIndex = files.size() - 1;

    // ---- Leaving again; the SOS button is pressed during the second minute ----
    const CivilTime back = AddSeconds(parkStart, L + kReturnAfterPark);
    Drive leaving(kAirportLoop, {{0, 0}, {0.3 * l, 30}, {l, 45}, {2 * l, 50}, {2 * l + 1, 48}});
    for (int i = 0; i < 2; ++i) {
        PlannedFile& f = plan("FILE", "DCIM/100DRIVE", Container::Mp4, Layout::Payload,
                              AddSeconds(back, std::int64_t{i} * L));
        f.kind = "Normal";
        f.group = "return";
        f.exercises = "continuous pair after a gap";
        Sample(f, leaving, i * l, noise);
    }
    const std::size_t returnIndex = files.size() - 2;
    {
        PlannedFile& f =
            plan("SOS_", "DCIM/101EVENT", Container::Mp4, Layout::Payload, AddSeconds(back, L + 1));
        f.kind = "Event";
        f.group = "sos";
        f.exercises = "starts inside the recording before it: an overlap starts a group";
        f.events = {"SOS button"};
        Sample(f, leaving, l + 1, noise);
    }

    // ---- A holiday abroad: south and west, and an older camera with side text ----
    Drive avenue(kAvenue, {{0, 20}, {l, 45}, {2 * l, 30}});
    {
        PlannedFile& f =
            plan("FILE", "DCIM/100DRIVE", Container::Mp4, Layout::Payload, kAbroadStart);
        f.kind = "Normal";
        f.group = "abroad";
        f.exercises = "southern and western hemisphere: negative coordinates";
        Sample(f, avenue, 0, noise);
    }
    {
        PlannedFile& f =
            plan("", "DCIM", Container::Avi, Layout::SideText, AddSeconds(kAbroadStart, L));
        f.name = "S0000001.AVI";
        f.kind = "Normal";
        f.group = "abroad-side-text";
        f.exercises = "short-named AVI whose telemetry is the side .TXT file (S and W)";
        Sample(f, avenue, l, noise);
    }

    // ---- What the scan must leave out or survive ----
    auto copy = [&](std::size_t of, const std::string& folder, const std::string& name,
                    const char* why) -> PlannedFile& {
        PlannedFile f = files[of];
        f.folder = folder;
        f.name = name;
        f.copyOf = static_cast<int>(of);
        f.readOnly = false;
        f.listed = false;
        f.group.clear();
        f.events.clear();
        f.exercises = why;
        files.push_back(f);
        return files.back();
    };
    copy(firstDrive, ".Trash-1000/files", files[firstDrive].name,
         "in a hidden folder: never entered");
    copy(parkIndex, "DCIM/100DRIVE", Name("FILE", AddSeconds(arrival, 7 * 3600), ".mov"),
         "lower-case extension: not a camera name");
    copy(returnIndex, "DCIM/100DRIVE", Name("FILE", AddSeconds(arrival, 8 * 3600), ".MP4"),
         "first box is not \"ftyp\"")
        .damage = Damage::NoFtyp;
    copy(aviIndex, "DCIM/100DRIVE", Name("FILE", AddSeconds(arrival, 8 * 3600 + 60), ".AVI"),
         "cut short inside its \"movi\" list")
        .damage = Damage::CutShort;
    {
        PlannedFile& f = plan("FILE", "DCIM/100DRIVE", Container::ThreeGp, Layout::None,
                              AddSeconds(arrival, 7 * 3600 + 60));
        f.listed = false;
        f.exercises = "\".3GP\": not a camera extension";
    }
    return files;
}

int ReadFullScale(const PlannedFile& f) {
    return f.layout == Layout::Payload || f.layout == Layout::AviChunks ? f.fullScale : 8;
}

double ReadRecordsPerSecond(const PlannedFile& f) {
    return f.layout == Layout::Payload || f.layout == Layout::AviChunks ? f.gpsPerSecond : 1;
}

std::vector<ReadGps> ExpectedGps(const PlannedFile& f) {
    std::vector<ReadGps> out;
    for (const GpsFix& g : f.gps) {
        ReadGps r;
        switch (f.layout) {
            case Layout::Payload:
            case Layout::AviChunks:
                r.latitude = g.latitude;
                r.longitude = g.longitude;
                r.altitude = g.altitude;
                r.speedKmh = static_cast<int>(std::lround(g.speedKmh));
                r.headingHalfDegrees = static_cast<int>(std::lround(g.headingDegrees / 2)) % 180;
                r.fixFlags = g.valid ? 1 : 0;
                break;
            case Layout::Blocks:
            case Layout::IndexBlocks:
                // The blocks hold singles; an invalid block reads as an empty record.
                if (!g.valid) {
                    out.push_back(r);
                    continue;
                }
                r.latitude = NearestSingle(g.latitude);
                r.longitude = NearestSingle(g.longitude);
                r.speedKmh = static_cast<int>(NearestSingle(g.speedKmh));
                r.fixFlags = 1;
                break;
            case Layout::SideText:
                r.latitude = g.latitude;
                r.longitude = g.longitude;
                r.speedKmh = static_cast<int>(g.speedKmh);
                r.fixFlags = g.valid ? 1 : 0;
                break;
            case Layout::None:
                continue;
        }
        r.year = g.time.year - 2000;
        r.month = g.time.month;
        r.day = g.time.day;
        r.hour = g.time.hour;
        r.minute = g.time.minute;
        r.second = g.time.second;
        out.push_back(r);
    }
    return out;
}

std::vector<ReadAccel> ExpectedAccel(const PlannedFile& f) {
    std::vector<ReadAccel> out;
    if (f.layout == Layout::None) {
        return out;
    }
    const int scale = ReadFullScale(f);
    for (const AccelG& a : f.accel) {
        out.push_back({Counts(a.x, scale), Counts(a.y, scale), Counts(a.z, scale)});
    }
    return out;
}

}  // namespace lum::card
