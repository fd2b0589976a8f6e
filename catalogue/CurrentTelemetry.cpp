// Loading the current recording's telemetry into the catalogue and feeding the
// curve, the gauges and the map from it.
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "catalogue/PlayCursor.h"
#include "catalogue/RecordingCatalogue.h"
#include "recordings/AviParser.h"
#include "recordings/BoundedFile.h"
#include "recordings/Paths.h"
#include "recordings/TelemetrySources.h"

namespace lum {

namespace {

// Reads from the opened file; a span announced by WillRead is fetched in one
// read and the reads inside it are served from memory.
class FileSource final : public ByteSource {
  public:
    explicit FileSource(BoundedFile& file) : file_(file) {}
    std::uint64_t Size() const override { return file_.Size(); }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t n) override {
        if (offset >= spanStart_ && offset - spanStart_ <= span_.size() &&
            n <= span_.size() - (offset - spanStart_)) {
            if (n != 0) {
                std::memcpy(out, span_.data() + (offset - spanStart_), n);
            }
            return true;
        }
        return file_.ReadAt(offset, out, n);
    }
    void WillRead(std::uint64_t offset, std::uint64_t size) override {
        constexpr std::uint64_t kMostAtOnce = 4 << 20;
        span_.clear();
        if (size > kMostAtOnce || offset > file_.Size() || size > file_.Size() - offset) {
            return;
        }
        span_.resize(static_cast<std::size_t>(size));
        if (file_.ReadAt(offset, span_.data(), span_.size())) {
            spanStart_ = offset;
        } else {
            span_.clear();
        }
    }

  private:
    BoundedFile& file_;
    std::uint64_t spanStart_ = 0;
    std::vector<std::uint8_t> span_;
};

}  // namespace

void RecordingCatalogue::FeedCurve(double fullScale, std::uint32_t durationMs, bool loadSamples) {
    if (curve_ == nullptr) {
        return;
    }
    const std::size_t count = gsensorSamples_.size();
    if (loadSamples) {
        curve_->SetScale(fullScale, 2.0);
    }
    curve_->ClearSamples();
    if (loadSamples) {
        curve_->LoadSamples(gsensorSamples_.data(), count);
        curve_->SetSampleRate(
            durationMs == 0 ? 0.0 : static_cast<double>(count) / static_cast<double>(durationMs));
    }
}

void RecordingCatalogue::PlotTrack() {
    if (map_ == nullptr) {
        return;
    }
    // The whole track in one call: one call per point kept the page busy for as long as
    // hundreds of calls take to cross into it.
    const std::vector<MapTrackPoint> track = MapTrack(gpsSamples_);
    if (!track.empty()) {
        map_->ShowTrack(track);
    }
}

int RecordingCatalogue::FeedGauges(std::uint32_t ms, bool gsensorEnabled, bool mapEnabled) {
    if (gsensorEnabled && curve_ != nullptr && !gsensorSamples_.empty()) {
        curve_->SetHideCurves(false);
        curve_->SetPosition(static_cast<int>(ms));
        if (gauges_ != nullptr) {
            gauges_->RefreshValueTexts();
        }
    }
    if (gpsSamples_.empty()) {
        if (gauges_ != nullptr) {
            gauges_->SetCompassBlank();
            bool valid = false;
            std::uint16_t kmh = 0;
            if (gauges_->SpeedShown(valid, kmh) && (valid || kmh != 0)) {
                gauges_->SetSpeed(false, 0);
            }
        }
        return 0;
    }
    const std::optional<std::size_t> record =
        PlayCursor(gpsSamples_, recordsPerSecond_).RecordAt(ms);
    if (!record) {
        return 0;  // past the last record: everything stays as it was
    }
    const int i = static_cast<int>(*record);
    const GpsSample& s = gpsSamples_[*record];
    if ((s.fixFlags & 1) == 0) {
        if (gauges_ != nullptr) {
            gauges_->SetCompassBlank();
            gauges_->SetSpeed(false, 0);
        }
        return 0;
    }
    if (i != 0 && i == lastGpsIndex_) {
        return 1;  // the same record as last time is not pushed again
    }
    lastGpsIndex_ = i;
    const int heading = s.headingHalfDegrees * 2;
    if (gauges_ != nullptr) {
        gauges_->SetHeading(heading);
        gauges_->SetSpeed(true, static_cast<std::uint16_t>(s.speedKmh));
    }
    if (!IsPlottable(s)) {
        return 0;  // no position the map could show
    }
    if (mapEnabled && map_ != nullptr) {
        map_->MoveCar(TrackPointOf(s), heading);
    }
    return 1;
}

void RecordingCatalogue::RedrawDrivenPath(std::uint32_t ms) {
    if (recordsPerSecond_ == 0) {
        recordsPerSecond_ = 1.0;
    }
    if (map_ == nullptr) {
        return;
    }
    // The map holds the whole track (PlotTrack); the driven part is its first
    // points, one for each plottable record before the play time: one call, not
    // one per point.
    const std::size_t driven = PlayCursor(gpsSamples_, recordsPerSecond_).PlottableBefore(ms);
    map_->ShowDriven(driven);
}

TrackPoint TrackPointOf(const GpsSample& s) {
    return {NmeaToDegrees(s.latitude / 100.0), NmeaToDegrees(s.longitude / 100.0)};
}

std::vector<TrackPoint> TrackPoints(const std::vector<GpsSample>& samples) {
    std::vector<TrackPoint> points;
    for (const GpsSample& s : samples) {
        if (IsPlottable(s)) {
            points.push_back(TrackPointOf(s));
        }
    }
    return points;
}

std::vector<MapTrackPoint> MapTrack(const std::vector<GpsSample>& samples) {
    std::vector<MapTrackPoint> points;
    points.reserve(samples.size());
    for (const GpsSample& s : samples) {
        if (IsPlottable(s)) {
            const bool drivable = s.speedKmh >= 0 && s.speedKmh <= kMaxCarSpeedKmh;
            points.push_back({TrackPointOf(s), drivable ? static_cast<int>(s.speedKmh) : -1});
        }
    }
    return points;
}

std::optional<DecodedTelemetry> ReadTelemetry(const RecordingEntry& entry) {
    const std::string path = FullPath(entry);
    BoundedFile file;
    bool sideText = false;
    const std::string sidePath = SideTextPath(path);
    // Only a regular file is a side text: a folder, a pipe or a device of that
    // name is passed over and the recording's own telemetry is used.
    if (!sidePath.empty() && HasSideTextName(path)) {
        std::error_code ec;
        sideText = std::filesystem::status(ToFsPath(sidePath), ec).type() ==
                       std::filesystem::file_type::regular &&
                   file.Open(sidePath);
    }
    if (!sideText && !file.Open(path)) {
        return std::nullopt;
    }
    FileSource source(file);
    return DecodeTelemetry(entry, source, sideText);
}

std::optional<DriveAnalysis> ReadDriveAnalysis(const RecordingEntry& entry,
                                               const EventThresholds& thresholds) {
    const std::optional<DecodedTelemetry> d = ReadTelemetry(entry);
    if (!d) {
        return std::nullopt;
    }
    return AnalyseDrive(
        {d->gps, d->gsensor, d->gsensorFullScale, d->rateKnown ? d->recordsPerSecond : 1.0,
         entry.telemetry.durationMs, KindOf(entry)},
        thresholds);
}

std::optional<TripSummary> ReadTripSummary(const RecordingEntry& entry) {
    std::optional<DriveAnalysis> a = ReadDriveAnalysis(entry, {});
    if (!a) {
        return std::nullopt;
    }
    return a->trip;
}

RecordingSamples CurrentSamples(const RecordingCatalogue& c) {
    const int index = c.CurrentIndex();
    const RecordingEntry* e = index >= 0 ? &c.Entries()[static_cast<std::size_t>(index)] : nullptr;
    return {c.GpsSamples(),
            c.GSensorSamples(),
            c.GSensorFullScale(),
            c.RecordsPerSecond(),
            e != nullptr ? e->telemetry.durationMs : 0u,
            e != nullptr ? KindOf(*e) : RecordingKind::Normal};
}

bool RecordingCatalogue::LoadCurrentTelemetry(int index) {
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        return false;
    }
    if (map_ != nullptr) {
        map_->ClearTrack();
    }
    gpsSamples_.clear();
    gsensorSamples_.clear();
    currentEvents_.clear();
    currentTrip_ = {};
    currentIndex_ = index;
    const RecordingEntry& entry = entries_[index];
    std::optional<DecodedTelemetry> read = ReadTelemetry(entry);
    if (!read) {
        return false;
    }
    DecodedTelemetry& d = *read;
    gpsSamples_ = std::move(d.gps);
    gsensorSamples_ = std::move(d.gsensor);
    gsensorFullScale_ = d.gsensorFullScale;
    if (d.rateKnown) {
        recordsPerSecond_ = d.recordsPerSecond;
    }
    const RecordingSamples samples = CurrentSamples(*this);
    DriveAnalysis analysis = AnalyseDrive(samples, eventThresholds_);
    currentEvents_ = std::move(analysis.events);
    currentTrip_ = analysis.trip;
    FeedCurve(d.gsensorFullScale, entry.telemetry.durationMs, d.curveLoaded);
    PlotTrack();
    return true;
}

}  // namespace lum
