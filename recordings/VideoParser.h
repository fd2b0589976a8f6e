// The container reader family: one reader object per file, one Parse call.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "BoundedFile.h"
#include "LocalTime.h"
#include "RecordingTypes.h"

namespace lum {

// What the file-status query tells about an opened recording.
struct FileStatus {
    std::int64_t modificationTime = 0;  // seconds since 1970
    std::uint64_t size = 0;
    bool readOnly = false;  // nobody may write it
    bool hidden = false;
};

class CLumVideoParser {
  public:
    virtual ~CLumVideoParser() = default;

    // Where a successful Parse writes its results; not owned.
    virtual void SetTarget(TelemetryIndex* target) = 0;
    // 0 on success, -1 on failure; the target is written only on success.
    virtual std::int32_t Parse(std::string_view utf8Path) = 0;
    // A record that Parse fills with the file's status right after opening it.
    virtual void SetStatusTarget(FileStatus* status) = 0;
};

// The shared state of both real readers.
class CLumParserBase : public CLumVideoParser {
  public:
    void SetTarget(TelemetryIndex* target) override { target_ = target; }
    void SetStatusTarget(FileStatus* status) override { status_ = status; }
    // The clock a scan shares between its readers; without one each reader
    // converts through its own.
    void SetClock(LocalClock* clock) { clock_ = clock; }

  protected:
    // Clears the working copy and opens the file (a regular file only); false
    // when it cannot be opened. The status comes from the opened file itself.
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
    LocalClock ownClock_;
    LocalClock* clock_ = nullptr;
    bool haveStatus_ = false;
    bool timeKnown_ = false;

  private:
    std::optional<std::int64_t> ToEpoch(int year, int month, int day, int hour, int minute,
                                        int second);
};

}  // namespace lum
