// The container reader family: one reader object per file, one Parse call.
#pragma once

#include <cstdint>
#include <string_view>

#include "BoundedFile.h"
#include "RecordingTypes.h"

namespace lum {

// What the file-status query tells about an opened recording.
struct FileStatus {
    std::int64_t modificationTime = 0;  // seconds since 1970
    std::uint64_t size = 0;
    bool readOnly = false;  // nobody may write it
    bool hidden = false;
};

// Fills status for the file at utf8Path; false when the file cannot be queried.
bool QueryFileStatus(std::string_view utf8Path, FileStatus& status);

class CLumVideoParser {
  public:
    virtual ~CLumVideoParser() = default;

    // Where a successful Parse writes its results; not owned.
    virtual void SetTarget(TelemetryIndex* target) { (void)target; }
    // 0 on success, -1 on failure; the target is written only on success.
    virtual std::int32_t Parse(std::string_view utf8Path) {
        (void)utf8Path;
        return 0;
    }
    // A record that Parse fills with the file's status right after opening it.
    virtual void SetStatusTarget(FileStatus* status) { (void)status; }
};

// The shared state of both real readers.
class CLumParserBase : public CLumVideoParser {
  public:
    void SetTarget(TelemetryIndex* target) override { target_ = target; }
    void SetStatusTarget(FileStatus* status) override { status_ = status; }

  protected:
    // Clears the working copy and opens the file; false when it cannot be opened.
    bool Begin(std::string_view utf8Path);
    // Reads the "gps0" records from the payload start, taking the start time
    // from the first dated record while none is known yet.
    void ScanGpsRecords(std::uint64_t payload, std::uint32_t size);
    // "IDIT" date text; clears timeKnown_ when it is not a valid date.
    void ReadIditText(std::uint64_t payload, std::uint32_t size);
    void CopyAttributes(std::uint64_t payload, std::uint32_t size, std::uint32_t& into);
    std::int32_t Finish(bool success);

    TelemetryIndex work_{};
    BoundedFile file_;
    TelemetryIndex* target_ = nullptr;
    FileStatus* status_ = nullptr;
    FileStatus fileStatus_{};
    bool haveStatus_ = false;
    bool timeKnown_ = false;
};

}  // namespace lum
