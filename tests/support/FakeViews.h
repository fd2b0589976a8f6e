// Views that write down what the catalogue tells them, in order.
#pragma once

#include <string>
#include <vector>

#include "catalogue/CatalogueViews.h"
#include "catalogue/RecordingCatalogue.h"

namespace lum::test {

struct RecordedRow {
    int entryIndex;
    std::string folder, fileName;
    std::uint64_t fileSize;
    std::uint8_t flags, hasSideText;
    std::int64_t startTime;
};

class FakeViews : public IFileListView,
                  public IGSensorCurveView,
                  public IMapView,
                  public IVideoSurfaceView,
                  public ICatalogueHost,
                  public IGaugesView {
  public:
    int AddRow(int entryIndex, std::string_view folder, std::string_view fileName,
               std::uint64_t fileSize, std::uint8_t flags, std::uint8_t hasSideText,
               std::int64_t startTime) override {
        rows.push_back({entryIndex, std::string(folder), std::string(fileName), fileSize, flags,
                        hasSideText, startTime});
        return 1;
    }
    void DeleteAllRows() override {
        rows.clear();
        log.push_back("DeleteAllRows");
    }
    void SetDropHighlight(int row, bool on) override {
        log.push_back("Highlight " + std::to_string(row) + (on ? " on" : " off"));
    }
    void EnsureVisible(int row) override { log.push_back("EnsureVisible " + std::to_string(row)); }

    void SetScale(double fullScale, double range) override {
        curve.push_back("SetScale " + FormatFixed6(fullScale) + " " + FormatFixed6(range));
    }
    bool ClearSamples() override {
        curve.push_back("ClearSamples");
        return true;
    }
    bool LoadSamples(const GSensorSample* s, std::size_t count) override {
        curve.push_back("LoadSamples " + std::to_string(count));
        loaded.assign(s, s + count);
        return count != 0;
    }
    bool SetSampleRate(double rate) override {
        curve.push_back("SetSampleRate " + FormatFixed6(rate));
        return true;
    }
    void Repaint() override {}
    bool SetPosition(int ms) override {
        curve.push_back("SetPosition " + std::to_string(ms));
        return true;
    }
    void SetHideCurves(bool hide) override { curve.push_back(hide ? "Hide" : "Show"); }
    // The car's moves as "lat,lon,heading" in degrees, the other map calls as short texts.
    void MoveCar(TrackPoint at, int heading) override {
        moves.push_back(FormatFixed6(at.latitude) + "," + FormatFixed6(at.longitude) + "," +
                        std::to_string(heading));
    }
    // "track [lat,lon,kmh],[lat,lon]...": a point without a speed has two numbers.
    void ShowTrack(const std::vector<MapTrackPoint>& points) override {
        std::string text = "track ";
        for (const MapTrackPoint& p : points) {
            text += (text.size() > 6 ? ",[" : "[") + FormatFixed6(p.at.latitude) + "," +
                    FormatFixed6(p.at.longitude) +
                    (p.speedKmh >= 0 ? "," + std::to_string(p.speedKmh) : "") + "]";
        }
        mapCalls.push_back(text);
    }
    void ShowDriven(std::size_t count) override {
        mapCalls.push_back("driven " + std::to_string(count));
    }
    void ClearTrack() override { mapCalls.push_back("clear track"); }
    void ShowEvents(const std::vector<MapEventDot>& dots) override {
        mapCalls.push_back("events " + std::to_string(dots.size()));
    }
    void SetHeading(int degrees) override {
        gauges.push_back("heading " + std::to_string(degrees));
    }
    void SetCompassBlank() override { gauges.push_back("compass blank"); }
    void SetSpeed(bool valid, std::uint16_t kmh) override {
        speedValid = valid;
        speed = kmh;
        gauges.push_back("speed " + std::string(valid ? "" : "invalid ") + std::to_string(kmh));
    }
    bool SpeedShown(bool& valid, std::uint16_t& kmh) const override {
        valid = speedValid;
        kmh = speed;
        return true;
    }
    void RefreshValueTexts() override { gauges.push_back("values"); }

    void ShowScanCount(int count) override { scanCounts.push_back(count); }

    void ShowProgress(int percent, const std::string& text) override {
        progress.push_back(std::to_string(percent) + ":" + text);
    }
    void HideProgress() override { progress.push_back("hide"); }
    bool AskOverwrite(const std::string& targetPath) override {
        questions.push_back(targetPath);
        return overwriteAnswer;
    }

    std::vector<RecordedRow> rows;
    std::vector<std::string> log, curve, mapCalls, progress, questions, moves, gauges;
    bool speedValid = true;
    std::uint16_t speed = 0;
    std::vector<GSensorSample> loaded;
    std::vector<int> scanCounts;
    bool overwriteAnswer = true;
};

}  // namespace lum::test
