// The evidence folder of one recording: a bit-exact copy of the recording (and
// its side text), its track as GPX and CSV, its driving events, a report that
// any browser opens offline, and a manifest with the SHA-256 of every file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "recordings/DrivingEvents.h"
#include "recordings/RecordingTypes.h"

namespace lum {

struct EvidenceRequest {
    const RecordingEntry& entry;
    const std::vector<GpsSample>& gps;
    const std::vector<DrivingEvent>& events;
    TripSummary trip;
    std::string programVersion;
    // Files made elsewhere that go into the folder as they are (the viewer's snapshot).
    std::vector<std::filesystem::path> extraFiles;
};

enum class EvidenceError {
    None,
    OnTheCard,           // the output folder lies inside the opened card or folder
    CannotCreateFolder,  // the output folder or the working folder in it
    CannotReadSource,    // the recording, its side text or an extra file
    CopyDiffers,         // the copy does not read back as the original
    CannotWrite,         // a file of the folder could not be written or flushed
    CannotFinish,        // the finished folder could not take its name
};

struct EvidenceResult {
    EvidenceError error = EvidenceError::None;
    std::filesystem::path folder;  // the finished folder; the failing path on an error
    bool ok() const { return error == EvidenceError::None; }
};

// English text of an error, for the command line.
std::string EvidenceErrorText(EvidenceError error);

// Writes the folder below outDir, named after the recording (with "-2", "-3"...
// when that name is taken). Everything is written into a hidden working folder,
// flushed to the disk and only then renamed, so a failed export leaves nothing.
EvidenceResult ExportEvidence(const EvidenceRequest& request, const std::filesystem::path& outDir);

// The pieces of the folder, for the tests and the viewer.
std::string EventsJson(const RecordingEntry& entry, const std::vector<DrivingEvent>& events);
std::string EvidenceReportHtml(const EvidenceRequest& request);

}  // namespace lum
