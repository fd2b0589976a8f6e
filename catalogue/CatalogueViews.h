// The views the catalogue fills, as small interfaces: the desktop program
// implements them with widgets, the tests and the command line with plain objects.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "recordings/RecordingTypes.h"

namespace lum {

class IFileListView {
  public:
    virtual ~IFileListView() = default;
    // One row per recording; entryIndex becomes the row's item data. 1 when added, 0 when refused.
    virtual int AddRow(int entryIndex, std::string_view folder, std::string_view fileName,
                       std::uint64_t fileSize, std::uint8_t flags, std::uint8_t hasSideText,
                       std::int64_t startTime) = 0;
    virtual void DeleteAllRows() = 0;
    // Around a fill of many rows, so a list can add them in one step.
    virtual void BeginRows() {}
    virtual void EndRows() {}
    // The highlight that marks the current recording's row.
    virtual void SetDropHighlight(int row, bool on) = 0;
    virtual void EnsureVisible(int row) = 0;
};

// A list of groups; the desktop program never attaches one.
class IGroupListView {
  public:
    virtual ~IGroupListView() = default;
    virtual void AddGroupRow(int groupNumber, std::uint16_t width, std::uint16_t height,
                             std::uint64_t totalDurationMs, std::uint64_t totalSize,
                             std::uint8_t groupFlags, std::int64_t startTime) = 0;
    virtual void DeleteAllRows() = 0;
    virtual void SetDropHighlight(int row, bool on) = 0;
    virtual void EnsureVisible(int row) = 0;
};

class IGSensorCurveView {
  public:
    virtual ~IGSensorCurveView() = default;
    virtual void SetScale(double fullScale, double range) = 0;
    virtual bool ClearSamples() = 0;
    virtual bool LoadSamples(const GSensorSample* samples, std::size_t count) = 0;
    virtual bool SetSampleRate(double samplesPerMs) = 0;
    virtual void Repaint() = 0;
    // The playback side: the cursor, and the curves shown again while playing.
    virtual bool SetPosition(int ms) = 0;
    virtual void SetHideCurves(bool hide) = 0;
};

// A position in decimal degrees, north and east positive.
struct TrackPoint {
    double latitude = 0;
    double longitude = 0;
};

// A point of the track the map draws, with the speed of its record in km/h when that is a
// speed a car can drive (the map colours the track by it), else -1.
struct MapTrackPoint {
    TrackPoint at;
    int speedKmh = -1;
};

// A driving event's dot on the map: where it began, its kind's colour as 0xRRGGBB and the
// text of its tooltip (UTF-8, shown as plain text).
struct MapEventDot {
    TrackPoint at;
    std::uint32_t colour = 0;
    std::string text;
};

// The map panel, in decimal degrees throughout.
class IMapView {
  public:
    virtual ~IMapView() = default;
    // Draws a recording's whole track on a map that shows none (after ClearTrack or a fresh page).
    virtual void ShowTrack(const std::vector<MapTrackPoint>& points) = 0;
    // Draws the driven part as the track's first count points.
    virtual void ShowDriven(std::size_t count) = 0;
    // Removes the track and its driven part.
    virtual void ClearTrack() = 0;
    // Moves the car there and centres the map on it.
    virtual void MoveCar(TrackPoint at, int heading) = 0;
    // Shows these event dots in place of the previous ones; none removes them.
    virtual void ShowEvents(const std::vector<MapEventDot>& dots) = 0;
};

// The small displays the play time drives: compass, speed dial, the curve's value texts.
class IGaugesView {
  public:
    virtual ~IGaugesView() = default;
    virtual void SetHeading(int degrees) = 0;
    virtual void SetCompassBlank() = 0;
    // Repaints only on a change.
    virtual void SetSpeed(bool valid, std::uint16_t kmh) = 0;
    virtual bool SpeedShown(bool& valid, std::uint16_t& kmh) const = 0;
    virtual void RefreshValueTexts() = 0;
};

// The video surface doubles as the scan's progress display.
class IVideoSurfaceView {
  public:
    virtual ~IVideoSurfaceView() = default;
    // Shows the number of files examined so far and repaints at once.
    virtual void ShowScanCount(int count) = 0;
};

// What the file operations need from the main window: progress and questions.
class ICatalogueHost {
  public:
    virtual ~ICatalogueHost() = default;
    virtual void ShowProgress(int percent, const std::string& text) = 0;
    virtual void HideProgress() = 0;
    // True to overwrite targetPath, false to skip that recording.
    virtual bool AskOverwrite(const std::string& targetPath) = 0;
};

}  // namespace lum
