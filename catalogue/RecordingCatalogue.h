// The model of the opened card, folder or file: recordings in catalogue order,
// their groups of continuous recordings, and the current recording's telemetry.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/CatalogueViews.h"
#include "recordings/DrivingEvents.h"
#include "recordings/FolderWalk.h"
#include "recordings/LocalTime.h"
#include "recordings/RecordingTypes.h"
#include "recordings/TelemetrySources.h"

namespace lum {

struct GroupRecord {
    std::int32_t groupNumber = 0;
    std::int32_t firstEntry = 0;
    std::int32_t entryCount = 0;
    std::uint64_t totalDurationMs = 0;
    std::uint64_t totalSize = 0;
    std::uint8_t groupFlags = 0;
    std::int32_t selected = 0;
};

struct RowRecord {
    std::int32_t groupNumber = 0;
    std::int32_t indexInGroup = 0;
    std::int32_t entryIndex = 0;
    std::uint64_t fileSize = 0;
    std::uint32_t durationMs = 0;
};

// Whether a walked file name is one of the camera's recordings.
bool IsRecordingName(std::string_view name);
// The sort key of the name-key order: up to 13 characters from the fifth on.
std::string_view NameSortKey(std::string_view fileName);
// Ordinal comparison as UTF-16 code units (-1, 0, 1), whatever the text's encoding here.
int CompareUtf16(std::string_view a, std::string_view b);

enum class LoadStatus { Loaded, Missing, Unreadable, Cancelled };

class RecordingCatalogue {
  public:
    // The views are not owned; any may be null.
    void Bind(IFileListView* fileList, IGSensorCurveView* curve, IMapView* map,
              ICatalogueHost* host);
    void BindVideoSurface(IVideoSurfaceView* surface) { surface_ = surface; }
    void BindGroupList(IGroupListView* groupList) { groupList_ = groupList; }
    void BindGauges(IGaugesView* gauges) { gauges_ = gauges; }

    void Clear();
    // Deletes every row of the attached list views.
    void ClearListViews();
    // An empty fileName loads the folder tree; otherwise that one file of folder.
    // False when the folder or the file does not exist.
    bool Load(std::string_view folder, std::string_view fileName);
    // The same, telling why nothing was loaded; a set cancel flag ends the walk
    // and leaves the catalogue empty.
    LoadStatus LoadWithStatus(std::string_view folder, std::string_view fileName,
                              const WalkOptions& options = {});
    // Takes over the recordings of a catalogue loaded elsewhere (a scan on a
    // worker thread) and fills the attached lists; no recording is current.
    void TakeRecordings(RecordingCatalogue&& loaded);
    void AddScannedFile(const WalkItem& item);
    // False when the file does not exist.
    bool AddSingleFile(std::string_view folder, std::string_view fileName);

    void SortByNameKey(bool ascending = true);
    void SortByFileName(bool ascending = true);
    // A header click of the file list: column 0 by name key, 1 and 2 by file name.
    void SortCatalogue(int column, bool ascending);
    void BuildGroups();
    void RebuildGroupRecords();
    void FillList();

    // Playback side.
    // The recording being played, -1 for none; a stale index (recordings were
    // removed after it) answers as the last recording.
    int CurrentIndex() const;
    // The group of the current recording, -1 for none.
    int GroupOf() const;
    // The group Select last highlighted, -1 for none.
    int CurrentGroup() const { return currentGroup_; }
    // Makes recording index the current one without touching the views.
    void SetCurrentIndex(int index) { currentIndex_ = index; }
    // Lowers a current index that recordings removed after it left past the end.
    void KeepCurrentInRange();
    bool Select(int index);
    bool SelectGroup(int group);
    // The current recording's frame size; false when none is current.
    bool VideoSize(int& width, int& height) const;

    // Reads the telemetry of recording index into the current samples,
    // draws its track and fills the curve. False when index is outside the
    // catalogue or the recording cannot be opened.
    bool LoadCurrentTelemetry(int index);

    // The play time selects the GPS record: moves the curve's cursor, the
    // compass, the speed dial and the map marker. 1 when a valid record was handled.
    int FeedGauges(std::uint32_t ms, bool gsensorEnabled, bool mapEnabled);
    // Draws the driven part of the track again up to the play time.
    void RedrawDrivenPath(std::uint32_t ms);
    // Draws the current recording's full track (a reloaded map page starts blank).
    void PlotTrack();
    // The record last pushed to the gauges; kept across recordings.
    int LastGpsIndex() const { return lastGpsIndex_; }
    // -1 makes the next FeedGauges push its record whatever was shown before.
    void SetLastGpsIndex(int index) { lastGpsIndex_ = index; }
    // How many recordings the last load found.
    int ScanCount() const { return scanCount_; }

    // The recordings in catalogue order, their groups of continuous recordings and the
    // list's rows (one per recording, in the same order).
    const std::vector<RecordingEntry>& Entries() const { return entries_; }
    const std::vector<GroupRecord>& Groups() const { return groups_; }
    const std::vector<RowRecord>& Rows() const { return rows_; }
    // Appends a recording as a walk finds it: not sorted, not grouped.
    void AddEntry(RecordingEntry entry) { entries_.push_back(std::move(entry)); }
    // Records what a file operation changed on disk (a rename, a mark taken off).
    void UpdateEntry(std::size_t index, RecordingEntry entry);
    // Takes out the recordings at these indices, groups the rest again and fills the
    // attached lists afresh; the current index stays in range.
    void RemoveEntries(std::vector<std::size_t> indices);
    // Marks a group for the next file operation.
    void SetGroupSelected(std::size_t group, bool on);
    // The marks of a group's recordings, as its row shows them.
    void SetGroupFlags(std::size_t group, std::uint8_t flags);

    // The current recording's telemetry, read by LoadCurrentTelemetry.
    const std::vector<GpsSample>& GpsSamples() const { return gpsSamples_; }
    const std::vector<GSensorSample>& GSensorSamples() const { return gsensorSamples_; }
    double RecordsPerSecond() const { return recordsPerSecond_; }
    // The full scale in g that the G-sensor samples are meant with.
    double GSensorFullScale() const { return gsensorFullScale_; }
    // Takes samples decoded elsewhere as the current recording's, without touching the views.
    void SetCurrentSamples(std::vector<GpsSample> gps, std::vector<GSensorSample> gsensor,
                           double recordsPerSecond);

    // What counts as a driving event; the settings set it.
    const EventThresholds& Thresholds() const { return eventThresholds_; }
    void SetThresholds(const EventThresholds& thresholds) { eventThresholds_ = thresholds; }
    // The current recording's events and trip figures, found once when it is loaded.
    const std::vector<DrivingEvent>& CurrentEvents() const { return currentEvents_; }
    const TripSummary& CurrentTrip() const { return currentTrip_; }

    IFileListView* FileList() const { return fileList_; }
    IGroupListView* GroupList() const { return groupList_; }
    IGSensorCurveView* Curve() const { return curve_; }
    IMapView* Map() const { return map_; }
    ICatalogueHost* Host() const { return host_; }

  private:
    void SortBy(bool byNameKey, bool ascending);
    void ClearHighlights();
    void FeedCurve(double fullScale, std::uint32_t durationMs, bool loadSamples);

    std::vector<RecordingEntry> entries_;
    std::vector<GroupRecord> groups_;
    std::vector<RowRecord> rows_;
    std::vector<GpsSample> gpsSamples_;
    std::vector<GSensorSample> gsensorSamples_;
    double recordsPerSecond_ = 1.0;
    double gsensorFullScale_ = 8.0;
    EventThresholds eventThresholds_;
    std::vector<DrivingEvent> currentEvents_;
    TripSummary currentTrip_;

    int currentIndex_ = -1;
    int currentGroup_ = -1;
    int scanCount_ = 0;
    int lastGpsIndex_ = 0;
    // The scan's time conversions; a new one for every load.
    LocalClock clock_;
    IFileListView* fileList_ = nullptr;
    IGroupListView* groupList_ = nullptr;
    IGSensorCurveView* curve_ = nullptr;
    IMapView* map_ = nullptr;
    IVideoSurfaceView* surface_ = nullptr;
    IGaugesView* gauges_ = nullptr;
    ICatalogueHost* host_ = nullptr;
};

// The samples of the current recording with what the event finder needs of its entry.
RecordingSamples CurrentSamples(const RecordingCatalogue& catalogue);

// Opens a recording (or its side text) and decodes its telemetry; nullopt when
// neither can be opened.
std::optional<DecodedTelemetry> ReadTelemetry(const RecordingEntry& entry);
// A recording's trip figures read from its file; nullopt when it cannot be opened.
std::optional<TripSummary> ReadTripSummary(const RecordingEntry& entry);
// A recording's events and trip figures read from its file, without touching
// any catalogue: safe to call for several recordings at once from several threads.
std::optional<DriveAnalysis> ReadDriveAnalysis(const RecordingEntry& entry,
                                               const EventThresholds& thresholds);

// A record's position in decimal degrees; callers check IsPlottable first.
TrackPoint TrackPointOf(const GpsSample& s);
// The points of a track as the map draws them: the samples IsPlottable accepts,
// converted to decimal degrees.
std::vector<TrackPoint> TrackPoints(const std::vector<GpsSample>& samples);
// The same points with the speed of each record, as the map colours the track.
std::vector<MapTrackPoint> MapTrack(const std::vector<GpsSample>& samples);

// "%f" with six decimals and a point whatever the process locale says; a value
// that rounds to zero has no sign. Callers keep non-finite values away.
std::string FormatFixed6(double v);

}  // namespace lum
