#include "CurveModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lum {

std::vector<FilteredSample> DifferenceFilter(const GSensorSample* s, std::size_t n) {
    std::vector<FilteredSample> out(n);
    auto axis = [](const GSensorSample& g, int k) { return k == 0 ? g.x : (k == 1 ? g.y : g.z); };
    for (int k = 0; k < 3; ++k) {
        if (n >= 2) {
            out[0][k] = static_cast<std::int8_t>((axis(s[1], k) - axis(s[0], k)) / 2);
        }
        for (std::size_t i = 1; i < n; ++i) {
            const int r = axis(s[i == 1 ? 0 : i - 2], k);
            const int now = axis(s[i], k);
            const auto d1 =
                static_cast<std::int8_t>(static_cast<std::uint8_t>(now - axis(s[i - 1], k)));
            const int d2 = now - r;
            const bool larger = (d1 > 0 && d1 < d2) || (d1 < 0 && d1 > d2);
            out[i][k] = larger ? static_cast<std::int8_t>(static_cast<std::uint8_t>(d2)) : d1;
        }
    }
    return out;
}

void CurveModel::SetScale(double fullScale, double range) {
    fullScale_ = std::trunc(fullScale) == 0 ? 8.0 : fullScale;
    range_ = std::trunc(range) == 0 ? 8.0 : range;
}

void CurveModel::ClearSamples() {
    filtered_.clear();
    position_ = 0;
}

bool CurveModel::LoadSamples(const GSensorSample* samples, std::size_t count) {
    if (count == 0 || samples == nullptr) {
        return false;
    }
    const std::vector<FilteredSample> more = DifferenceFilter(samples, count);
    filtered_.insert(filtered_.end(), more.begin(), more.end());
    return true;
}

void CurveModel::SetPosition(int ms) {
    double total = 0;
    if (!filtered_.empty()) {
        total = sampleRate_ > 0 ? static_cast<double>(filtered_.size()) / sampleRate_
                                : std::numeric_limits<double>::infinity();
    }
    position_ = std::clamp(static_cast<double>(ms), 0.0, total);
}

std::array<double, 3> CurveModel::CurrentValues() const {
    const double index = std::trunc(std::trunc(position_) * sampleRate_);
    if (index < 0 || index >= static_cast<double>(filtered_.size())) {
        return {0, 0, 0};
    }
    const FilteredSample& e = filtered_[static_cast<std::size_t>(index)];
    return {e[0] * fullScale_ / 128, e[1] * fullScale_ / 128, e[2] * fullScale_ / 128};
}

PlotRect CurveModel::PlotFor(int clientWidth, int clientHeight) {
    return {6, 20, clientWidth - 2, clientHeight - 8};
}

int CurveModel::SpanMs() const {
    if (sampleRate_ <= 0) {
        return kEmptySpanMs;
    }
    const double span = std::trunc(static_cast<double>(filtered_.size()) / sampleRate_);
    if (span <= 0 || span > std::numeric_limits<int>::max()) {
        return kEmptySpanMs;
    }
    return static_cast<int>(span);
}

std::vector<CurveTick> CurveModel::Ticks(const PlotRect& plot) const {
    std::vector<CurveTick> ticks;
    const int count = SpanMs() / 200;
    for (int i = 0; i < count; ++i) {
        const int x =
            static_cast<int>(plot.left + static_cast<long long>(i) * plot.Width() / count);
        ticks.push_back({x, i % 10 == 0 ? 6 : (i % 10 == 5 ? 4 : 2)});
    }
    return ticks;
}

std::array<std::vector<CurvePoint>, 3> CurveModel::Curves(const PlotRect& plot) const {
    std::array<std::vector<CurvePoint>, 3> curves;
    const int w = plot.Width();
    if (w <= 0 || filtered_.empty()) {
        return curves;
    }
    const int span = SpanMs();
    const int h = plot.Height();
    const int midY = plot.MidY();
    for (int k = 0; k < 3; ++k) {
        if (axisVisible[k] && !hideCurves) {
            curves[k].push_back({plot.left, midY});
        }
    }
    long long previous = -1;
    for (int j = 0; j < w; ++j) {
        const double t = std::trunc(static_cast<double>(j) * span / w + windowStart_);
        const double indexD = std::trunc(t * sampleRate_);
        if (indexD >= static_cast<double>(filtered_.size())) {
            break;
        }
        const auto index = static_cast<long long>(indexD);
        if (index == previous) {
            continue;  // one sample per column at most
        }
        previous = index;
        for (int k = 0; k < 3; ++k) {
            if (curves[k].empty()) {
                continue;
            }
            const double v = std::clamp(
                filtered_[static_cast<std::size_t>(index)][k] * fullScale_ / 128, -range_, range_);
            const int y = static_cast<int>(std::trunc(midY - v * h / (2 * range_)));
            curves[k].push_back({plot.left + j, y});
        }
    }
    return curves;
}

int CurveModel::CursorX(const PlotRect& plot) const {
    return static_cast<int>(std::trunc((position_ - windowStart_) * plot.Width() / SpanMs())) +
           plot.left;
}

}  // namespace lum
