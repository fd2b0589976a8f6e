// The arithmetic of the G-sensor curve: the difference filter, the time span,
// the ticks, which sample each pixel column shows, and the cursor. No drawing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "recordings/RecordingTypes.h"

namespace lum {

struct PlotRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    int MidY() const { return top + Height() / 2; }
};

struct CurveTick {
    int x;
    int length;  // 6 every 2 s, 4 on the odd seconds, 2 otherwise
};

struct CurvePoint {
    int x, y;
};

// The filtered value of each loaded sample, per axis, in the recorded units.
using FilteredSample = std::array<std::int8_t, 3>;

// "In the direction of the one-step change, the larger of the one-step and
// two-step changes". A recording with a single sample shows no change.
std::vector<FilteredSample> DifferenceFilter(const GSensorSample* samples, std::size_t count);

class CurveModel {
  public:
    static constexpr double kDefaultSampleRate = 0.016;  // samples per millisecond
    static constexpr int kEmptySpanMs = 20000;

    // A value whose integer part is 0 stands for the default 8.
    void SetScale(double fullScale, double range);
    void ClearSamples();
    // Appends the filtered values; false (nothing changed) for no samples.
    bool LoadSamples(const GSensorSample* samples, std::size_t count);
    void SetSampleRate(double samplesPerMs) { sampleRate_ = samplesPerMs; }
    // Stores the position clamped to the recording's length.
    void SetPosition(int ms);
    // The values under the cursor in g (not clamped to the range).
    std::array<double, 3> CurrentValues() const;

    // The plot area inside a client rectangle of the given size.
    static PlotRect PlotFor(int clientWidth, int clientHeight);
    int SpanMs() const;
    std::vector<CurveTick> Ticks(const PlotRect& plot) const;
    // Per axis the polyline to draw (empty when hidden or the curves are off).
    std::array<std::vector<CurvePoint>, 3> Curves(const PlotRect& plot) const;
    int CursorX(const PlotRect& plot) const;

    std::size_t SampleCount() const { return filtered_.size(); }
    double Position() const { return position_; }
    double SampleRate() const { return sampleRate_; }
    double FullScale() const { return fullScale_; }
    double Range() const { return range_; }

    bool hideCurves = false;
    std::array<bool, 3> axisVisible = {true, true, true};

  private:
    std::vector<FilteredSample> filtered_;
    double sampleRate_ = kDefaultSampleRate;
    double fullScale_ = 2.0;
    double range_ = 2.0;
    double position_ = 0;
    double windowStart_ = 0;
};

}  // namespace lum
