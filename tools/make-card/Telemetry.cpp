#include "Telemetry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace lum::card {

namespace {

std::uint8_t HeadingHalfDegrees(double degrees) {
    return static_cast<std::uint8_t>(std::lround(degrees / 2) % 180);
}

char Hemisphere(double value, char positive, char negative) {
    return value < 0 ? negative : positive;
}

}  // namespace

Bytes GpsPayload(const PlannedFile& f) {
    Bytes out;
    for (const GpsFix& g : f.gps) {
        PutLeDouble(out, g.latitude);
        PutLeDouble(out, g.longitude);
        PutLe32(out, static_cast<std::uint32_t>(g.altitude));
        PutLe16(out, static_cast<std::uint16_t>(std::lround(g.speedKmh)));
        out.push_back(static_cast<std::uint8_t>(g.time.year - 2000));
        out.push_back(static_cast<std::uint8_t>(g.time.month));
        out.push_back(static_cast<std::uint8_t>(g.time.day));
        out.push_back(static_cast<std::uint8_t>(g.time.hour));
        out.push_back(static_cast<std::uint8_t>(g.time.minute));
        out.push_back(static_cast<std::uint8_t>(g.time.second));
        out.push_back(HeadingHalfDegrees(g.headingDegrees));
        out.push_back(g.valid ? 1 : 0);
        out.push_back(0);
        out.push_back(0);
    }
    return out;
}

Bytes GsensorPayload(const PlannedFile& f) {
    Bytes out;
    for (const AccelG& a : f.accel) {
        for (double g : {a.x, a.y, a.z}) {
            out.push_back(
                static_cast<std::uint8_t>(static_cast<std::int8_t>(Counts(g, f.fullScale))));
        }
    }
    return out;
}

Bytes GpsAttributes(const PlannedFile& f) {
    return {static_cast<std::uint8_t>(f.gpsPerSecond), 0, 0, 0};
}

Bytes GsensorAttributes(const PlannedFile& f) {
    return {0, static_cast<std::uint8_t>(f.fullScale), 0, 0};
}

Bytes IditText(const PlannedFile& f) {
    Bytes out;
    PutText(out, ClockText(f.start));
    out.push_back(0);
    return out;
}

Bytes LeadAndBlock(const PlannedFile& f, int second, std::size_t blockBytes,
                   std::size_t accelStride) {
    Bytes out;
    // The lead reads as a "free" box to anything that walks the media data.
    PutBe32(out, static_cast<std::uint32_t>(kBlockLeadBytes + blockBytes));
    PutText(out, "free");
    PutBe32(out, static_cast<std::uint32_t>(second));
    PutBe32(out, static_cast<std::uint32_t>(blockBytes));

    const GpsFix& g = f.gps.at(static_cast<std::size_t>(second));
    Bytes block(28, 0);
    for (int v :
         {g.time.hour, g.time.minute, g.time.second, g.time.year, g.time.month, g.time.day}) {
        PutLe32(block, static_cast<std::uint32_t>(v));
    }
    block.push_back(g.valid ? 'A' : 'V');
    block.push_back(static_cast<std::uint8_t>(Hemisphere(g.latitude, 'N', 'S')));
    block.push_back(static_cast<std::uint8_t>(Hemisphere(g.longitude, 'E', 'W')));
    block.push_back(0);
    PutLeFloat(block, static_cast<float>(std::fabs(g.latitude)));
    PutLeFloat(block, static_cast<float>(std::fabs(g.longitude)));
    PutLeFloat(block, static_cast<float>(g.speedKmh));
    PutLeFloat(block, static_cast<float>(g.headingDegrees));
    for (int k = 0; k < 5; ++k) {
        const AccelG& a = f.accel.at(static_cast<std::size_t>(second * 5 + k));
        // Eight raw steps to one count of an 8 g full scale.
        for (double v : {a.x, a.y, a.z}) {
            PutLe32(block, static_cast<std::uint32_t>(Counts(v, 8) * 8));
        }
        block.resize(block.size() + accelStride - 12, 0);
    }
    block.resize(blockBytes, 0);
    Put(out, block);
    return out;
}

std::string SideText(const PlannedFile& f) {
    std::string text;
    for (std::size_t k = 0; k < f.gps.size(); ++k) {
        const GpsFix& g = f.gps[k];
        const AccelG& a = f.accel.at(k);
        char line[256];
        // Sixteen raw steps to one count of an 8 g full scale.
        std::snprintf(line, sizeof line,
                      "%02d,%02d,%02d,%c,%c,%.6f,%c,%.6f,%.6f,%.6f,%02d,%02d,%02d,%d,%d,%d,%d,4\n",
                      g.time.hour, g.time.minute, g.time.second, g.valid ? 'A' : 'V',
                      Hemisphere(g.latitude, 'N', 'S'), std::fabs(g.latitude),
                      Hemisphere(g.longitude, 'E', 'W'), std::fabs(g.longitude), g.speedKmh,
                      static_cast<double>(g.altitude), g.time.year - 2000, g.time.month, g.time.day,
                      Counts(a.x, 8) * 16, Counts(a.y, 8) * 16, Counts(a.z, 8) * 16,
                      static_cast<int>(std::lround(g.headingDegrees)) % 360);
        text += line;
    }
    return text;
}

}  // namespace lum::card
