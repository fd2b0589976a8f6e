#include "catalogue/PlayCursor.h"

#include <algorithm>
#include <cmath>

namespace lum {

namespace {
// trunc(ms * rate / 1000); NaN for a rate that makes no number.
double RecordNumber(std::uint32_t ms, double recordsPerSecond) {
    return std::trunc(static_cast<double>(ms) * recordsPerSecond / 1000.0);
}
}  // namespace

std::optional<std::size_t> PlayCursor::RecordAt(std::uint32_t ms) const {
    const double index = RecordNumber(ms, recordsPerSecond_);
    if (!(index >= 0) || index >= static_cast<double>(samples_.size())) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(index);
}

const GpsSample* PlayCursor::SampleAt(std::uint32_t ms) const {
    const std::optional<std::size_t> i = RecordAt(ms);
    return i ? &samples_[*i] : nullptr;
}

std::size_t PlayCursor::RecordsBefore(std::uint32_t ms) const {
    const double wanted = RecordNumber(ms, recordsPerSecond_);
    return wanted >= static_cast<double>(samples_.size()) || !(wanted >= 0)
               ? samples_.size()
               : static_cast<std::size_t>(wanted);
}

std::size_t PlayCursor::PlottableBefore(std::uint32_t ms) const {
    const auto driven = samples_.first(RecordsBefore(ms));
    return static_cast<std::size_t>(std::count_if(driven.begin(), driven.end(), IsPlottable));
}

}  // namespace lum
