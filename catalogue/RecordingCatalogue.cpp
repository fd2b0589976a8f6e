#include "catalogue/RecordingCatalogue.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <numeric>

#include "recordings/AviParser.h"
#include "recordings/Mp4Parser.h"
#include "recordings/Paths.h"
#include "recordings/VideoParser.h"

namespace lum {

namespace {

bool IsNameChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           c == '-';
}

// The n-th character (code point, 0-based) is the ASCII character want.
bool CharAtIs(std::string_view s, std::size_t n, char want) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) {
            continue;
        }
        if (count++ == n) {
            return s[i] == want;
        }
    }
    return false;
}

// Decodes UTF-8 to UTF-16 code units; a stray byte stands for itself.
std::u16string ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp = c;
        std::size_t len = 1;
        if (c >= 0xF0 && i + 3 < s.size()) {
            cp = ((c & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) |
                 (s[i + 3] & 0x3Fu);
            len = 4;
        } else if (c >= 0xE0 && i + 2 < s.size()) {
            cp = ((c & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu);
            len = 3;
        } else if (c >= 0xC0 && i + 1 < s.size()) {
            cp = ((c & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu);
            len = 2;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

CLumParserBase* ChooseParser(std::string_view name, CLum3gpParser& mp4, CLumAviParser& avi) {
    if (EndsWith(name, ".AVI")) {
        return &avi;
    }
    return &mp4;
}

}  // namespace

bool IsRecordingName(std::string_view name) {
    const std::size_t head = std::min<std::size_t>(4, name.size());
    for (std::size_t i = 0; i < head; ++i) {
        if (!IsNameChar(name[i])) {
            return false;  // also rejects any non-ASCII character among the first four
        }
    }
    return EndsWith(name, ".MOV") || EndsWith(name, ".MP4") || EndsWith(name, ".AVI");
}

std::string_view NameSortKey(std::string_view fileName) {
    // Character positions, not bytes: skip four characters, keep at most thirteen.
    std::string_view rest = fileName;
    std::size_t skipped = 0, i = 0;
    while (i < rest.size() && skipped < 4) {
        ++i;
        while (i < rest.size() && (static_cast<unsigned char>(rest[i]) & 0xC0) == 0x80) {
            ++i;
        }
        ++skipped;
    }
    rest.remove_prefix(i);
    std::size_t end = 0, kept = 0;
    while (end < rest.size() && kept < 13) {
        ++end;
        while (end < rest.size() && (static_cast<unsigned char>(rest[end]) & 0xC0) == 0x80) {
            ++end;
        }
        ++kept;
    }
    return rest.substr(0, end);
}

int CompareUtf16(std::string_view a, std::string_view b) {
    const std::u16string ua = ToUtf16(a), ub = ToUtf16(b);
    const int c = ua.compare(ub);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string FormatFixed6(double v) {
    // Room for the largest double in fixed notation (309 digits, sign, point, 6 decimals).
    char buf[330];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    if (r.ec != std::errc{}) {
        return "0.000000";  // unreachable with this buffer; never hand out unwritten bytes
    }
    std::string text(buf, r.ptr);
    // A value that rounds to zero is written without a sign.
    if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

void RecordingCatalogue::Bind(IFileListView* fileList, IGSensorCurveView* curve, IMapView* map,
                              ICatalogueHost* host) {
    fileList_ = fileList;
    curve_ = curve;
    map_ = map;
    host_ = host;
    entries_.clear();
    groups_.clear();
    rows_.clear();
    gpsSamples_.clear();
    gsensorSamples_.clear();
    currentIndex_ = -1;
    currentGroup_ = -1;
}

void RecordingCatalogue::Clear() {
    clock_ = LocalClock{};
    entries_.clear();
    groups_.clear();
    rows_.clear();
    currentIndex_ = -1;
    ClearListViews();
    if (curve_ != nullptr) {
        curve_->ClearSamples();
        curve_->Repaint();
    }
}

void RecordingCatalogue::ClearListViews() {
    if (fileList_ != nullptr) {
        fileList_->DeleteAllRows();
    }
    if (groupList_ != nullptr) {
        groupList_->DeleteAllRows();
    }
}

bool RecordingCatalogue::Load(std::string_view folder, std::string_view fileName) {
    return LoadWithStatus(folder, fileName) != LoadStatus::Missing;
}

LoadStatus RecordingCatalogue::LoadWithStatus(std::string_view folder, std::string_view fileName,
                                              const WalkOptions& options) {
    Clear();
    if (curve_ != nullptr) {
        curve_->Repaint();
    }
    if (fileName.empty()) {
        scanCount_ = 0;
        switch (WalkFolder(
            folder, [this](const WalkItem& item) { AddScannedFile(item); }, options)) {
            case WalkResult::RootMissing:
                return LoadStatus::Missing;
            case WalkResult::RootUnreadable:
                return LoadStatus::Unreadable;
            case WalkResult::Cancelled:
                entries_.clear();
                return LoadStatus::Cancelled;
            case WalkResult::Done:
                break;
        }
    } else if (!AddSingleFile(folder, fileName)) {
        return LoadStatus::Missing;
    }
    if (!entries_.empty()) {
        SortByNameKey(true);
        BuildGroups();
    }
    return LoadStatus::Loaded;
}

void RecordingCatalogue::TakeRecordings(RecordingCatalogue&& loaded) {
    ClearHighlights();
    ClearListViews();
    entries_ = std::move(loaded.entries_);
    groups_ = std::move(loaded.groups_);
    rows_ = std::move(loaded.rows_);
    scanCount_ = loaded.scanCount_;
    currentIndex_ = -1;
    currentGroup_ = -1;
    FillList();
}

namespace {
// Recordings whose reader gives no whole-second length (the MP4 family) take it
// from their duration, so consecutive one-minute recordings group together.
void FillLength(TelemetryIndex& t) {
    if (t.lengthSeconds == 0) {
        t.lengthSeconds = t.durationMs / 1000;
    }
}
}  // namespace

void RecordingCatalogue::AddScannedFile(const WalkItem& item) {
    if (item.isDirectory) {
        return;
    }
    if (IsRecordingName(item.name)) {
        RecordingEntry e;
        e.fileName = item.name;
        e.rootFolder = item.root;
        e.subFolder = item.relativePath;
        CLum3gpParser mp4;
        CLumAviParser avi;
        CLumParserBase* parser = ChooseParser(item.name, mp4, avi);
        FileStatus status;
        parser->SetTarget(&e.telemetry);
        parser->SetStatusTarget(&status);
        parser->SetClock(&clock_);
        if (parser->Parse(FullPath(e)) == 0) {
            if (status.readOnly) {
                e.flags |= EntryFlagReadOnly;
            }
            if (CharAtIs(e.fileName, 3, 'G')) {
                e.flags |= EntryFlagNameLocked;
            }
            FillLength(e.telemetry);
            entries_.push_back(std::move(e));
        }
    }
    if (surface_ != nullptr) {
        surface_->ShowScanCount(scanCount_);
    }
    ++scanCount_;
}

bool RecordingCatalogue::AddSingleFile(std::string_view folder, std::string_view fileName) {
    std::string path(folder);
    if (!path.empty() && !EndsWithSeparator(path)) {
        path.push_back(kPathSeparator);
    }
    path.append(fileName);
    std::error_code ec;
    if (!std::filesystem::exists(ToFsPath(path), ec)) {
        return false;
    }
    RecordingEntry e;
    e.fileName = std::string(fileName);
    e.rootFolder = std::string(folder);
    CLum3gpParser mp4;
    CLumAviParser avi;
    CLumParserBase* parser = ChooseParser(fileName, mp4, avi);
    FileStatus status;
    parser->SetTarget(&e.telemetry);
    parser->SetStatusTarget(&status);
    parser->SetClock(&clock_);
    if (CharAtIs(e.fileName, 3, 'G')) {
        e.flags |= EntryFlagNameLocked;
    }
    if (parser->Parse(path) == 0) {
        if (status.readOnly) {
            e.flags |= EntryFlagReadOnly;
        }
        FillLength(e.telemetry);
        entries_.push_back(std::move(e));
    }
    return true;
}

void RecordingCatalogue::SortBy(bool byNameKey, bool ascending) {
    std::vector<std::u16string> keys;
    keys.reserve(entries_.size());
    for (const RecordingEntry& e : entries_) {
        keys.push_back(ToUtf16(byNameKey ? NameSortKey(e.fileName) : std::string_view(e.fileName)));
    }
    std::vector<std::size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
    std::vector<RecordingEntry> sorted;
    sorted.reserve(entries_.size());
    for (std::size_t i : order) {
        sorted.push_back(std::move(entries_[i]));
    }
    entries_ = std::move(sorted);
}

void RecordingCatalogue::SortByNameKey(bool ascending) {
    SortBy(true, ascending);
}
void RecordingCatalogue::SortByFileName(bool ascending) {
    SortBy(false, ascending);
}

void RecordingCatalogue::ClearHighlights() {
    if (groupList_ != nullptr && currentGroup_ >= 0) {
        groupList_->SetDropHighlight(currentGroup_, false);
    }
    if (fileList_ != nullptr && currentIndex_ >= 0) {
        fileList_->SetDropHighlight(currentIndex_, false);
    }
}

void RecordingCatalogue::SortCatalogue(int column, bool ascending) {
    (void)ascending;  // the catalogue's own orders are always ascending
    ClearHighlights();
    if (column == 0) {
        SortByNameKey(true);
    } else if (column == 1 || column == 2) {
        SortByFileName(true);
    }
    RebuildGroupRecords();
    currentIndex_ = -1;
}

void RecordingCatalogue::BuildGroups() {
    groups_.clear();
    rows_.clear();
    if (!entries_.empty()) {
        entries_[0].groupStart = 1;
    }
    for (std::size_t i = 1; i < entries_.size(); ++i) {
        const TelemetryIndex& prev = entries_[i - 1].telemetry;
        const std::int64_t end = prev.startTime + prev.lengthSeconds;
        const std::int64_t start = entries_[i].telemetry.startTime;
        // A gap or an overlap of more than 2 seconds starts a new group.
        if (start < end - 2 || start > end + 2) {
            entries_[i].groupStart = 1;
        }
    }
    RebuildGroupRecords();
    FillList();
}

void RecordingCatalogue::UpdateEntry(std::size_t index, RecordingEntry entry) {
    if (index < entries_.size()) {
        entries_[index] = std::move(entry);
    }
}

void RecordingCatalogue::RemoveEntries(std::vector<std::size_t> indices) {
    // Backwards, so the indices still to be removed stay valid after each removal.
    std::sort(indices.begin(), indices.end(), std::greater<>());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    bool removed = false;
    for (const std::size_t i : indices) {
        if (i < entries_.size()) {
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
            removed = true;
        }
    }
    if (!removed) {
        return;
    }
    ClearListViews();
    BuildGroups();
    KeepCurrentInRange();
}

void RecordingCatalogue::SetGroupSelected(std::size_t group, bool on) {
    if (group < groups_.size()) {
        groups_[group].selected = on ? 1 : 0;
    }
}

void RecordingCatalogue::SetGroupFlags(std::size_t group, std::uint8_t flags) {
    if (group < groups_.size()) {
        groups_[group].groupFlags = flags;
    }
}

void RecordingCatalogue::SetCurrentSamples(std::vector<GpsSample> gps,
                                           std::vector<GSensorSample> gsensor,
                                           double recordsPerSecond) {
    gpsSamples_ = std::move(gps);
    gsensorSamples_ = std::move(gsensor);
    recordsPerSecond_ = recordsPerSecond;
}

void RecordingCatalogue::RebuildGroupRecords() {
    groups_.clear();
    rows_.clear();
    GroupRecord current;
    std::int32_t counter = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const RecordingEntry& e = entries_[i];
        if (e.groupStart != 0 || i == 0) {
            if (i != 0) {
                groups_.push_back(current);
            }
            current = GroupRecord{};
            current.groupNumber = counter++;
            current.firstEntry = static_cast<std::int32_t>(i);
        }
        rows_.push_back({current.groupNumber, current.entryCount, static_cast<std::int32_t>(i),
                         e.telemetry.fileSize, e.telemetry.durationMs});
        ++current.entryCount;
        current.totalDurationMs += e.telemetry.durationMs;
        current.totalSize += e.telemetry.fileSize;
        current.groupFlags |= e.flags;
    }
    if (!entries_.empty()) {
        groups_.push_back(current);
    }
}

void RecordingCatalogue::FillList() {
    if (groupList_ != nullptr) {
        for (const GroupRecord& g : groups_) {
            const TelemetryIndex& first = entries_[g.firstEntry].telemetry;
            groupList_->AddGroupRow(g.groupNumber, first.width, first.height, g.totalDurationMs,
                                    g.totalSize, g.groupFlags, first.startTime);
        }
    }
    if (fileList_ == nullptr) {
        return;
    }
    fileList_->BeginRows();
    for (const RowRecord& r : rows_) {
        const RecordingEntry& e = entries_[r.entryIndex];
        fileList_->AddRow(r.entryIndex, e.rootFolder + e.subFolder, e.fileName,
                          e.telemetry.fileSize, e.flags, e.telemetry.hasSideText,
                          e.telemetry.startTime);
    }
    fileList_->EndRows();
}

int RecordingCatalogue::CurrentIndex() const {
    if (entries_.empty()) {
        return -1;
    }
    return std::min(currentIndex_, static_cast<int>(entries_.size()) - 1);
}

void RecordingCatalogue::KeepCurrentInRange() {
    if (!entries_.empty()) {
        currentIndex_ = CurrentIndex();
    }
}

int RecordingCatalogue::GroupOf() const {
    if (currentIndex_ == -1) {
        return -1;
    }
    for (const GroupRecord& g : groups_) {
        if (currentIndex_ < g.firstEntry + g.entryCount) {
            return g.groupNumber;
        }
    }
    return -1;
}

bool RecordingCatalogue::Select(int index) {
    if (index < 0 || index >= static_cast<int>(rows_.size())) {
        return false;
    }
    ClearHighlights();
    currentIndex_ = index;
    currentGroup_ = GroupOf();
    if (groupList_ != nullptr && currentGroup_ >= 0) {
        groupList_->SetDropHighlight(currentGroup_, true);
        groupList_->EnsureVisible(currentGroup_);
    }
    if (fileList_ != nullptr) {
        fileList_->SetDropHighlight(currentIndex_, true);
        fileList_->EnsureVisible(currentIndex_);
    }
    return true;
}

bool RecordingCatalogue::SelectGroup(int group) {
    if (group < 0 || group >= static_cast<int>(groups_.size()) || groups_[group].entryCount <= 0) {
        return false;
    }
    ClearHighlights();
    currentGroup_ = group;
    currentIndex_ = groups_[group].firstEntry;
    if (groupList_ != nullptr) {
        groupList_->SetDropHighlight(currentGroup_, true);
    }
    if (fileList_ != nullptr) {
        fileList_->SetDropHighlight(currentIndex_, true);
    }
    return true;
}

bool RecordingCatalogue::VideoSize(int& width, int& height) const {
    const int i = CurrentIndex();
    if (i < 0) {
        return false;
    }
    width = entries_[i].telemetry.width;
    height = entries_[i].telemetry.height;
    return true;
}

}  // namespace lum
