#include "ScanJson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/TrackFormats.h"

namespace lum {

namespace {

// Pretty-printed JSON straight into a buffer that goes out in large pieces.
class JsonWriter {
  public:
    explicit JsonWriter(std::ostream& out) : out_(out) { buffer_.reserve(kFlushAt + 4096); }
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;
    ~JsonWriter() { Flush(); }

    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }

    void Key(std::string_view key) {
        NextMember();
        String(key);
        buffer_ += ": ";
        afterKey_ = true;
    }

    void Number(std::uint64_t v) { Scalar(v); }
    // Rounded to `decimals` places and written in its shortest form.
    void Real(double v, int decimals) {
        const double scale = std::pow(10.0, decimals);
        Scalar(std::isfinite(v) ? std::round(v * scale) / scale : 0.0);
    }
    void Bool(bool v) {
        BeforeValue();
        buffer_ += v ? "true" : "false";
    }
    void Number(std::int64_t v) { Scalar(v); }
    void Text(std::string_view s) {
        BeforeValue();
        String(s);
    }

    void Line() {
        buffer_ += '\n';
        Flush();
    }

  private:
    static constexpr std::size_t kFlushAt = 1 << 16;

    template <class T>
    void Scalar(T v) {
        BeforeValue();
        char digits[32];
        const auto r = std::to_chars(digits, digits + sizeof digits, v);
        buffer_.append(digits, r.ptr);
        if (buffer_.size() >= kFlushAt) {
            Flush();
        }
    }

    // Names may hold any bytes: the JSON library escapes them and replaces
    // what is not UTF-8, as for every other document lumtool writes. Keys and
    // most names are plain printable ASCII, which needs no escaping and is
    // copied as it is.
    void String(std::string_view s) {
        const bool plain = std::all_of(s.begin(), s.end(), [](char c) {
            return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
        });
        if (plain) {
            buffer_ += '"';
            buffer_ += s;
            buffer_ += '"';
            return;
        }
        buffer_ += nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }

    void Open(char bracket) {
        BeforeValue();
        buffer_ += bracket;
        empty_.push_back(true);
    }

    void Close(char bracket) {
        const bool wasEmpty = empty_.back();
        empty_.pop_back();
        if (!wasEmpty) {
            buffer_ += '\n';
            Indent();
        }
        buffer_ += bracket;
    }

    void NextMember() {
        if (!empty_.empty()) {
            buffer_ += empty_.back() ? "\n" : ",\n";
            empty_.back() = false;
            Indent();
        }
    }

    void BeforeValue() {
        if (afterKey_) {
            afterKey_ = false;
        } else {
            NextMember();
        }
    }

    void Indent() { buffer_.append(2 * empty_.size(), ' '); }

    void Flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }

    std::ostream& out_;
    std::string buffer_;
    std::vector<bool> empty_;  // one per open object or array: nothing written in it yet
    bool afterKey_ = false;
};

// Beside a text that is not UTF-8, its bytes percent-encoded, so the output
// names it losslessly.
void Bytes(JsonWriter& w, std::string_view key, const std::string& text) {
    if (!IsValidUtf8(text)) {
        w.Key(key);
        w.Text(PercentEncode(text));
    }
}

void Offsets(JsonWriter& w, std::string_view key, const std::vector<std::uint64_t>& offsets,
             std::uint32_t count) {
    w.Key(key);
    w.BeginArray();
    for (std::size_t i = 0; i < offsets.size() && i < count; ++i) {
        w.Number(offsets[i]);
    }
    w.EndArray();
}

void Telemetry(JsonWriter& w, const TelemetryIndex& t) {
    w.BeginObject();
    w.Key("blockCount");
    w.Number(std::uint64_t{t.blockCount});
    Offsets(w, "blockOffsets", t.blockOffsets, t.blockCount);
    w.Key("durationMs");
    w.Number(std::uint64_t{t.durationMs});
    w.Key("fileSize");
    w.Number(t.fileSize);
    w.Key("gpsAttributes");
    w.Number(std::uint64_t{t.gpsAttributes});
    w.Key("gpsDataOffset");
    w.Number(t.gpsDataOffset);
    w.Key("gpsDataSize");
    w.Number(std::uint64_t{t.gpsDataSize});
    w.Key("gpsIndexCount");
    w.Number(std::uint64_t{t.gpsIndexCount});
    Offsets(w, "gpsIndexOffsets", t.gpsIndexOffsets, t.gpsIndexCount);
    w.Key("gsensorAttributes");
    w.Number(std::uint64_t{t.gsensorAttributes});
    w.Key("gsensorDataOffset");
    w.Number(t.gsensorDataOffset);
    w.Key("gsensorDataSize");
    w.Number(std::uint64_t{t.gsensorDataSize});
    w.Key("hasSideText");
    w.Number(std::uint64_t{t.hasSideText});
    w.Key("height");
    w.Number(std::uint64_t{t.height});
    w.Key("lengthSeconds");
    w.Number(t.lengthSeconds);
    w.Key("startTime");
    w.Number(t.startTime);
    w.Key("width");
    w.Number(std::uint64_t{t.width});
    w.EndObject();
}

void Summary(JsonWriter& w, const RecordingFigures& f) {
    w.Key("summary");
    w.BeginObject();
    w.Key("averageSpeedKmh");
    w.Real(f.trip.averageSpeedKmh, 1);
    w.Key("distanceMetres");
    w.Real(f.trip.distanceMetres, 1);
    w.Key("drivingMs");
    w.Number(f.trip.drivingMs);
    w.Key("events");
    w.Number(std::uint64_t{f.events});
    w.Key("maxAccelerationG");
    w.Real(f.trip.maxAccelerationG, 3);
    w.Key("maxSpeedKmh");
    w.Real(f.trip.maxSpeedKmh, 1);
    w.Key("validFixes");
    w.Number(std::uint64_t{f.trip.validFixes});
    w.EndObject();
}

}  // namespace

void WriteCatalogueJson(std::ostream& out, const RecordingCatalogue& c,
                        const std::vector<RecordingFigures>& figures) {
    JsonWriter w(out);
    w.BeginObject();
    w.Key("entries");
    w.BeginArray();
    for (std::size_t i = 0; i < c.Entries().size(); ++i) {
        const RecordingEntry& e = c.Entries()[i];
        w.BeginObject();
        w.Key("fileName");
        w.Text(e.fileName);
        Bytes(w, "fileNameBytes", e.fileName);
        w.Key("flags");
        w.Number(std::uint64_t{e.flags});
        if (i < c.Rows().size()) {
            w.Key("groupNumber");
            w.Number(std::int64_t{c.Rows()[i].groupNumber});
        }
        w.Key("groupStart");
        w.Number(std::int64_t{e.groupStart});
        w.Key("index");
        w.Number(std::uint64_t{i});
        if (i < c.Rows().size()) {
            w.Key("indexInGroup");
            w.Number(std::int64_t{c.Rows()[i].indexInGroup});
        }
        w.Key("kind");
        w.Text(KindEnglishName(KindOf(e)));
        Bytes(w, "pathBytes", FullPath(e));
        w.Key("rootFolder");
        w.Text(e.rootFolder);
        Bytes(w, "rootFolderBytes", e.rootFolder);
        w.Key("subFolder");
        w.Text(e.subFolder);
        Bytes(w, "subFolderBytes", e.subFolder);
        if (i < figures.size()) {
            Summary(w, figures[i]);
        }
        w.Key("telemetry");
        Telemetry(w, e.telemetry);
        w.EndObject();
    }
    w.EndArray();
    w.Key("groups");
    w.BeginArray();
    for (const GroupRecord& g : c.Groups()) {
        w.BeginObject();
        w.Key("entryCount");
        w.Number(std::int64_t{g.entryCount});
        w.Key("firstEntry");
        w.Number(std::int64_t{g.firstEntry});
        w.Key("groupFlags");
        w.Number(std::uint64_t{g.groupFlags});
        w.Key("groupNumber");
        w.Number(std::int64_t{g.groupNumber});
        w.Key("selected");
        w.Number(std::int64_t{g.selected});
        RecordingFigures group;
        for (std::int32_t k = 0; k < g.entryCount; ++k) {
            const auto i = static_cast<std::size_t>(g.firstEntry + k);
            if (i < figures.size()) {
                group.trip = CombineTrips(group.trip, figures[i].trip);
                group.events += figures[i].events;
            }
        }
        Summary(w, group);
        w.Key("totalDurationMs");
        w.Number(g.totalDurationMs);
        w.Key("totalSize");
        w.Number(g.totalSize);
        w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    w.Line();
}

void WriteEventsJson(std::ostream& out, const RecordingCatalogue& c,
                     const std::function<std::vector<DrivingEvent>(std::size_t)>& eventsOf) {
    JsonWriter w(out);
    w.BeginObject();
    w.Key("events");
    w.BeginArray();
    for (std::size_t i = 0; i < c.Entries().size(); ++i) {
        const RecordingEntry& e = c.Entries()[i];
        for (const DrivingEvent& ev : eventsOf(i)) {
            w.BeginObject();
            w.Key("endMs");
            w.Number(std::uint64_t{ev.endMs});
            w.Key("fileName");
            w.Text(e.fileName);
            Bytes(w, "fileNameBytes", e.fileName);
            w.Key("index");
            w.Number(std::uint64_t{i});
            w.Key("kind");
            w.Text(EventKindKey(ev.kind));
            if (ev.hasPosition) {
                w.Key("latitude");
                w.Real(ev.latitude, 6);
                w.Key("longitude");
                w.Real(ev.longitude, 6);
            }
            w.Key("name");
            w.Text(EventKindEnglishName(ev.kind));
            w.Key("path");
            w.Text(FullPath(e));
            Bytes(w, "pathBytes", FullPath(e));
            w.Key("peak");
            w.Real(ev.peak, 3);
            w.Key("peakMs");
            w.Number(std::uint64_t{ev.peakMs});
            w.Key("startMs");
            w.Number(std::uint64_t{ev.startMs});
            // The camera's clock at the event, in the same terms as the entry's startTime.
            w.Key("startTime");
            w.Number(e.telemetry.startTime + ev.startMs / 1000);
            w.Key("unit");
            w.Text(EventPeakUnit(ev.kind));
            w.EndObject();
        }
    }
    w.EndArray();
    w.EndObject();
    w.Line();
}

}  // namespace lum
