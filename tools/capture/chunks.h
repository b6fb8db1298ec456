// A range cut into chunks that render apart (on other machines, at other times) and join into
// the very frames of the whole range. Pure: no GL, no files.
//
// Frame i of a range from `fromMs` at `fps` is always drawn on the range's own clock (its time is
// fromMs + i * 1000 / fps, never rounded to a chunk's start), after a run-up from the range's first
// frame. Not from the start of the scenes live then, as a single frame runs up: the scenes draw
// from one shared random generator, reseeded only now and then, so a frame depends on every
// frame played since the range began (measured: starting 100 ms before the forest rather than
// 2.5 s before changes 1 % of the samples of its frames by up to 27 levels, for good).
#pragma once

#include "tools/capture/runup.h"

#include <string>
#include <vector>

// Frames of the range: every 1000 / fps ms up to `toMs`, and none after the first past the show.
int framesInRange(int fromMs, int toMs, int fps);

// Frames [first, last] of a range, both counted from its first frame.
struct ChunkSpan {
    int first = 0, last = 0;
    int frames() const { return last - first + 1; }
};

// "FIRST-LAST" (inclusive, FIRST <= LAST); false for anything else.
bool parseChunkSpan(const std::string& text, ChunkSpan& span);
// `total` frames cut into chunks of `perChunk` frames (the last one shorter).
std::vector<ChunkSpan> chunkSpans(int total, int perChunk);

// What a chunk's sidecar says, as far as joining needs it.
struct ChunkRecord {
    std::string file;        // the chunk's video, for messages
    std::string optionsText; // the "options" block as written but the archive's path: alike in a master
    std::string version, archiveSha256; // the program's version line, the archive's checksum
    ChunkSpan span;
    int rangeFrames = 0;     // frames of the whole range
    int frames = 0;          // frames the chunk holds
};

// Reads a sidecar this program wrote (not a general JSON reader); false with a problem naming
// `file` when it is not one of a chunk.
bool parseChunkSidecar(const std::string& json, const std::string& file, ChunkRecord& record, std::string& problem);
// The chunks, in any order, against the range: same options, archive and program, each complete,
// every frame exactly once. False with the first problem, a missing range named in frames and ms.
bool checkChunksJoin(std::vector<ChunkRecord>& chunks, int fromMs, int fps, std::string& problem);
