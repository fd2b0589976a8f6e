// Changes to the containers that ffmpeg wrote: the camera's telemetry goes in
// where the viewer's readers look for it, and the files still play.
#pragma once

#include <cstdint>
#include <vector>

#include "Bytes.h"
#include "Result.h"

namespace lum::card {

// Appends top-level boxes after everything else in an MP4-family file. ffmpeg
// writes the movie box last, so the boxes come after its children in a walk.
void AppendBoxes(Bytes& file, const std::vector<Bytes>& boxes);

// Where the telemetry block of each second goes relative to that second's audio chunk.
enum class BlockPlacement {
    // A stride after the chunk's start: one second of audio, rounded up to 32 KiB.
    AudioStride,
    // Right after the chunk; the blocks are then found through a "gps " index.
    AfterAudio,
};

struct Interleaved {
    Bytes file;
    std::vector<std::uint32_t> blockPositions;  // file offset of each block's lead bytes
};

// Rewrites the media data second by second: the audio chunk, the block for
// that second (with its lead bytes), then the video samples as one chunk, and
// updates the sample-to-chunk and chunk-offset tables of both tracks to match.
// The result is "ftyp", "mdat", "moov"; the blocks are given with their lead.
Result<Interleaved> InterleaveBlocks(const Bytes& file, const std::vector<Bytes>& leadAndBlocks,
                                     BlockPlacement placement);

// The "gps " index box: a word not used, the entry count, then (offset, size) pairs.
Bytes GpsIndexBox(const std::vector<std::uint32_t>& positions, std::uint32_t entrySize);

// Appends chunks inside an AVI file's RIFF list and corrects the RIFF size.
Status AppendRiffChunks(Bytes& file, const std::vector<Bytes>& chunks);

// A file whose first box no longer reads "ftyp" (it becomes a "free" box of
// the same size, so every offset stays right).
Status RenameFirstBox(Bytes& file);

// Cuts an AVI file inside its "movi" list, as a power loss does.
Status CutInsideMovi(Bytes& file);

}  // namespace lum::card
