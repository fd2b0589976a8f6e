#include "Containers.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

namespace lum::card {

namespace {

struct Node {
    std::string type;
    Bytes payload;  // leaf boxes only
    std::vector<Node> children;
    bool container = false;
};

bool IsContainer(const std::string& type) {
    return type == "moov" || type == "trak" || type == "mdia" || type == "minf" || type == "stbl";
}

Result<std::vector<Node>> ParseBoxes(const std::uint8_t* p, std::size_t n) {
    std::vector<Node> nodes;
    std::size_t at = 0;
    while (at < n) {
        if (n - at < 8) {
            return Fail("a box header runs past its parent");
        }
        const std::uint32_t size = LoadBe32(p + at);
        if (size < 8 || size > n - at) {
            return Fail("a box size of " + std::to_string(size) + " does not fit");
        }
        Node node;
        node.type.assign(reinterpret_cast<const char*>(p + at + 4), 4);
        node.container = IsContainer(node.type);
        if (node.container) {
            auto children = ParseBoxes(p + at + 8, size - 8);
            if (!children) {
                return Fail(children.Error());
            }
            node.children = std::move(*children);
        } else {
            node.payload.assign(p + at + 8, p + at + size);
        }
        nodes.push_back(std::move(node));
        at += size;
    }
    return nodes;
}

Bytes Serialize(const Node& node) {
    if (!node.container) {
        return Box(node.type, node.payload);
    }
    Bytes payload;
    for (const Node& child : node.children) {
        Put(payload, Serialize(child));
    }
    return Box(node.type, payload);
}

Node* Child(Node& parent, const char* type) {
    for (Node& c : parent.children) {
        if (c.type == type) {
            return &c;
        }
    }
    return nullptr;
}

// One track's samples in decoding order with where they lie today.
struct Track {
    Node* stbl = nullptr;
    std::string handler;  // "vide" or "soun"
    std::uint32_t timescale = 0;
    std::vector<std::uint64_t> offsets, sizes, decodeTimes;
    std::uint32_t sampleDescription = 1;
    // Audio only: bytes of one second of sound as its description states them.
    std::uint32_t bytesPerSecond = 0;
};

Result<Track> ReadTrack(Node& trak) {
    Track t;
    Node* mdia = Child(trak, "mdia");
    Node* minf = mdia ? Child(*mdia, "minf") : nullptr;
    Node* stbl = minf ? Child(*minf, "stbl") : nullptr;
    Node* mdhd = mdia ? Child(*mdia, "mdhd") : nullptr;
    Node* hdlr = mdia ? Child(*mdia, "hdlr") : nullptr;
    if (!stbl || !mdhd || !hdlr || hdlr->payload.size() < 12 || mdhd->payload.size() < 24) {
        return Fail("a track without its media header, handler or sample table");
    }
    t.stbl = stbl;
    t.handler.assign(reinterpret_cast<const char*>(hdlr->payload.data() + 8), 4);
    t.timescale = LoadBe32(mdhd->payload.data() + (mdhd->payload[0] == 1 ? 20 : 12));
    Node* stts = Child(*stbl, "stts");
    Node* stsz = Child(*stbl, "stsz");
    Node* stsc = Child(*stbl, "stsc");
    Node* stco = Child(*stbl, "stco");
    Node* stsd = Child(*stbl, "stsd");
    if (!stts || !stsz || !stsc || !stco || !stsd || t.timescale == 0) {
        return Fail("a sample table without stts, stsz, stsc, stco or stsd");
    }
    auto need = [](const Node* box, std::size_t bytes) { return box->payload.size() >= bytes; };
    if (!need(stsz, 12) || !need(stts, 8) || !need(stsc, 8) || !need(stco, 8)) {
        return Fail("a sample table box too short for its counts");
    }

    const std::uint32_t fixedSize = LoadBe32(stsz->payload.data() + 4);
    const std::uint32_t count = LoadBe32(stsz->payload.data() + 8);
    if (fixedSize == 0 && !need(stsz, 12 + std::size_t{count} * 4)) {
        return Fail("stsz lists more samples than it holds");
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        t.sizes.push_back(fixedSize != 0 ? fixedSize : LoadBe32(stsz->payload.data() + 12 + i * 4));
    }

    const std::uint32_t runs = LoadBe32(stts->payload.data() + 4);
    if (!need(stts, 8 + std::size_t{runs} * 8)) {
        return Fail("stts lists more runs than it holds");
    }
    std::uint64_t time = 0;
    for (std::uint32_t r = 0; r < runs; ++r) {
        const std::uint32_t n = LoadBe32(stts->payload.data() + 8 + r * 8);
        const std::uint32_t delta = LoadBe32(stts->payload.data() + 12 + r * 8);
        for (std::uint32_t i = 0; i < n; ++i) {
            t.decodeTimes.push_back(time);
            time += delta;
        }
    }

    const std::uint32_t chunks = LoadBe32(stco->payload.data() + 4);
    const std::uint32_t entries = LoadBe32(stsc->payload.data() + 4);
    if (!need(stco, 8 + std::size_t{chunks} * 4) || !need(stsc, 8 + std::size_t{entries} * 12) ||
        entries == 0) {
        return Fail("stsc or stco lists more entries than it holds");
    }
    t.sampleDescription = LoadBe32(stsc->payload.data() + 8 + 8);
    std::size_t sample = 0;
    for (std::uint32_t c = 0; c < chunks; ++c) {
        // The last stsc entry whose first chunk (1-based) is at or before this one.
        std::uint32_t perChunk = 0;
        for (std::uint32_t e = 0; e < entries; ++e) {
            if (LoadBe32(stsc->payload.data() + 8 + e * 12) <= c + 1) {
                perChunk = LoadBe32(stsc->payload.data() + 12 + e * 12);
            }
        }
        std::uint64_t at = LoadBe32(stco->payload.data() + 8 + c * 4);
        for (std::uint32_t i = 0; i < perChunk && sample < t.sizes.size(); ++i, ++sample) {
            t.offsets.push_back(at);
            at += t.sizes[sample];
        }
    }
    if (t.offsets.size() != t.sizes.size() || t.decodeTimes.size() != t.sizes.size()) {
        return Fail("the sample tables of a track disagree on its sample count");
    }

    if (t.handler == "soun" && need(stsd, 8 + 34)) {
        // The sound description: channels, bits per sample and the rate's integer part.
        const std::uint8_t* e = stsd->payload.data() + 8;
        const std::uint32_t channels = std::uint32_t{e[24]} << 8 | e[25];
        const std::uint32_t bits = std::uint32_t{e[26]} << 8 | e[27];
        const std::uint32_t rate = std::uint32_t{e[32]} << 8 | e[33];
        t.bytesPerSecond = channels * (bits / 8) * rate;
    }
    return t;
}

Bytes FullBoxHeader() {
    return {0, 0, 0, 0};
}

// Chunks of a track: for each second, the range of samples decoded in it.
struct ChunkPlan {
    std::map<std::uint64_t, std::pair<std::size_t, std::size_t>> bySecond;  // first, count
};

ChunkPlan ChunksBySecond(const Track& t) {
    ChunkPlan plan;
    for (std::size_t i = 0; i < t.decodeTimes.size(); ++i) {
        const std::uint64_t second = t.decodeTimes[i] / t.timescale;
        auto [it, fresh] = plan.bySecond.try_emplace(second, i, 0);
        ++it->second.second;
    }
    return plan;
}

void RewriteChunkTables(Track& t,
                        const std::vector<std::pair<std::uint64_t, std::uint32_t>>& chunks) {
    // chunks: (file offset, samples in the chunk), in order.
    Bytes stsc = FullBoxHeader();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> runs;  // first chunk, samples
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        if (runs.empty() || runs.back().second != chunks[c].second) {
            runs.emplace_back(static_cast<std::uint32_t>(c + 1), chunks[c].second);
        }
    }
    PutBe32(stsc, static_cast<std::uint32_t>(runs.size()));
    for (const auto& [first, samples] : runs) {
        PutBe32(stsc, first);
        PutBe32(stsc, samples);
        PutBe32(stsc, t.sampleDescription);
    }
    Bytes stco = FullBoxHeader();
    PutBe32(stco, static_cast<std::uint32_t>(chunks.size()));
    for (const auto& chunk : chunks) {
        PutBe32(stco, static_cast<std::uint32_t>(chunk.first));
    }
    Child(*t.stbl, "stsc")->payload = std::move(stsc);
    Child(*t.stbl, "stco")->payload = std::move(stco);
}

}  // namespace

void AppendBoxes(Bytes& file, const std::vector<Bytes>& boxes) {
    for (const Bytes& b : boxes) {
        Put(file, b);
    }
}

Result<Interleaved> InterleaveBlocks(const Bytes& file, const std::vector<Bytes>& leadAndBlocks,
                                     BlockPlacement placement) {
    auto top = ParseBoxes(file.data(), file.size());
    if (!top) {
        return Fail(top.Error());
    }
    const Node* ftyp = nullptr;
    Node* moov = nullptr;
    for (Node& n : *top) {
        if (n.type == "ftyp") {
            ftyp = &n;
        } else if (n.type == "moov") {
            moov = &n;
        }
    }
    if (!ftyp || !moov) {
        return Fail("ffmpeg's file has no ftyp or moov box");
    }
    std::vector<Track> tracks;
    for (Node& child : moov->children) {
        if (child.type == "trak") {
            auto t = ReadTrack(child);
            if (!t) {
                return Fail(t.Error());
            }
            tracks.push_back(std::move(*t));
        }
    }
    // The camera's order: picture first, then sound.
    if (tracks.size() != 2 || tracks[0].handler != "vide" || tracks[1].handler != "soun") {
        return Fail("expected a video track followed by an audio track");
    }
    Track& video = tracks[0];
    Track& audio = tracks[1];
    const ChunkPlan videoChunks = ChunksBySecond(video);
    const ChunkPlan audioChunks = ChunksBySecond(audio);
    std::uint64_t stride = 0;
    if (placement == BlockPlacement::AudioStride) {
        if (audio.bytesPerSecond == 0) {
            return Fail("the audio description gives no bytes per second");
        }
        stride = (audio.bytesPerSecond + 32767) / 32768 * 32768;
    }

    const Bytes ftypBox = Serialize(*ftyp);
    const std::uint64_t mediaStart = ftypBox.size() + 8;
    Bytes media;
    Interleaved out;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> newVideo, newAudio;
    auto copySamples = [&](const Track& t, std::size_t first, std::size_t count) {
        for (std::size_t i = first; i < first + count; ++i) {
            const auto begin = file.begin() + static_cast<std::ptrdiff_t>(t.offsets[i]);
            media.insert(media.end(), begin, begin + static_cast<std::ptrdiff_t>(t.sizes[i]));
        }
    };
    std::uint64_t lastSecond = 0;
    for (const auto& plan : {videoChunks, audioChunks}) {
        if (!plan.bySecond.empty()) {
            lastSecond = std::max(lastSecond, plan.bySecond.rbegin()->first);
        }
    }
    for (std::uint64_t second = 0; second <= lastSecond; ++second) {
        const bool hasBlock = second < leadAndBlocks.size();
        const auto a = audioChunks.bySecond.find(second);
        std::uint64_t audioStart = mediaStart + media.size();
        if (a != audioChunks.bySecond.end()) {
            newAudio.emplace_back(audioStart, static_cast<std::uint32_t>(a->second.second));
            copySamples(audio, a->second.first, a->second.second);
        } else if (hasBlock && placement == BlockPlacement::AudioStride) {
            return Fail("second " + std::to_string(second) + " has no audio to place its block by");
        }
        if (hasBlock) {
            if (placement == BlockPlacement::AudioStride) {
                const std::uint64_t used = mediaStart + media.size() - audioStart;
                if (used > stride) {
                    return Fail("a second of audio is longer than the block stride");
                }
                media.resize(media.size() + (stride - used), 0);
            }
            out.blockPositions.push_back(static_cast<std::uint32_t>(mediaStart + media.size()));
            Put(media, leadAndBlocks[second]);
        }
        if (const auto v = videoChunks.bySecond.find(second); v != videoChunks.bySecond.end()) {
            newVideo.emplace_back(mediaStart + media.size(),
                                  static_cast<std::uint32_t>(v->second.second));
            copySamples(video, v->second.first, v->second.second);
        }
    }
    if (out.blockPositions.size() != leadAndBlocks.size()) {
        return Fail("the recording is shorter than its telemetry");
    }
    if (mediaStart + media.size() > 0xFFFFFFFFu) {
        return Fail("the media data outgrows 32-bit chunk offsets");
    }
    RewriteChunkTables(video, newVideo);
    RewriteChunkTables(audio, newAudio);

    out.file = ftypBox;
    Put(out.file, Box("mdat", media));
    Put(out.file, Serialize(*moov));
    return out;
}

Bytes GpsIndexBox(const std::vector<std::uint32_t>& positions, std::uint32_t entrySize) {
    Bytes payload;
    PutBe32(payload, 0);
    PutBe32(payload, static_cast<std::uint32_t>(positions.size()));
    for (std::uint32_t p : positions) {
        PutBe32(payload, p);
        PutBe32(payload, entrySize);
    }
    return Box("gps ", payload);
}

Status AppendRiffChunks(Bytes& file, const std::vector<Bytes>& chunks) {
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0) {
        return Fail("not a RIFF file");
    }
    // ffmpeg's single RIFF list covers the whole file; the chunks go at its end.
    if (std::uint64_t{LoadLe32(file.data() + 4)} + 8 != file.size()) {
        return Fail("the RIFF list does not end with the file");
    }
    for (const Bytes& c : chunks) {
        Put(file, c);
    }
    if (file.size() - 8 > 0xFFFFFFFFu) {
        return Fail("the RIFF list outgrows its size field");
    }
    StoreLe32(file.data() + 4, static_cast<std::uint32_t>(file.size() - 8));
    return Done{};
}

Status RenameFirstBox(Bytes& file) {
    if (file.size() < 8 || std::memcmp(file.data() + 4, "ftyp", 4) != 0) {
        return Fail("the file does not begin with ftyp");
    }
    std::memcpy(file.data() + 4, "free", 4);
    return Done{};
}

Status CutInsideMovi(Bytes& file) {
    // Walk the RIFF's top level to the movi list.
    std::size_t at = 12;
    while (at + 12 <= file.size()) {
        const std::uint32_t size = LoadLe32(file.data() + at + 4);
        if (std::memcmp(file.data() + at, "LIST", 4) == 0 &&
            std::memcmp(file.data() + at + 8, "movi", 4) == 0) {
            // Power went off a little past half way through the pictures.
            file.resize(at + 12 + (size - 4) * 3 / 5);
            return Done{};
        }
        at += 8 + size + (size & 1);
    }
    return Fail("no movi list to cut");
}

}  // namespace lum::card
