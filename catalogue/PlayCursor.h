// Which GPS record of the current recording a play time selects: the camera
// writes recordsPerSecond records, so the record of ms is trunc(ms * rate / 1000).
// Pure arithmetic over the samples; no I/O, no views.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "recordings/RecordingTypes.h"

namespace lum {

class PlayCursor {
  public:
    // The samples are not copied; they outlive the cursor.
    PlayCursor(std::span<const GpsSample> samples, double recordsPerSecond)
        : samples_(samples), recordsPerSecond_(recordsPerSecond) {}

    // The index of the record that ms selects; nullopt when there is none (no
    // samples, or ms lies at or past the end of the last record).
    std::optional<std::size_t> RecordAt(std::uint32_t ms) const;
    // The record that ms selects, or null.
    const GpsSample* SampleAt(std::uint32_t ms) const;
    // How many records lie before ms, at most all of them: the driven part.
    std::size_t RecordsBefore(std::uint32_t ms) const;
    // How many of those have a position the map can show.
    std::size_t PlottableBefore(std::uint32_t ms) const;

  private:
    std::span<const GpsSample> samples_;
    double recordsPerSecond_;
};

}  // namespace lum
