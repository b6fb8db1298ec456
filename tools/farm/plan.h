// A master cut into chunks, as orvalune-farm keeps it in its folder: the capture's options for the
// whole master, the chunk length, and what each chunk and the join are. Pure: no processes, the
// file system only where a function says so.
#pragma once

#include "tools/capture/chunks.h"
#include "tools/capture/options.h"

#include <string>
#include <vector>

struct FarmPlan {
    std::vector<std::string> captureArguments; // the master's capture options, --out included
    int chunkFrames = 0;
    // Derived from the above by readFarmPlan / makeFarmPlan.
    CaptureOptions options;
    std::vector<ChunkSpan> chunks;
};

// How long the chunks are: `seconds` of frames, or (0) the length chooseChunkFrames gives.
struct ChunkChoice {
    double seconds = 0;
    int machines = 8;
    // A run-up frame's cost over a kept frame's: 0.005 for the 4K master recipe (bench/README.md).
    double runupRatio = 0.005;
};

// The plan from the capture's options (as orvalune-capture takes them, --out naming the master)
// and the chunk length; false with a problem when the capture would refuse them or the master
// cannot be chunked (a single frame, a folder of frames).
bool makeFarmPlan(const std::vector<std::string>& captureArguments, const ChunkChoice& choice, FarmPlan& plan,
                  std::string& problem);
// The chunk a task of the job array (or a pod of an Indexed Job) renders: the last chunks, whose
// run-ups are the longest, go first, so that no dear chunk is left to end the master alone.
int chunkOfTask(int chunks, int task);

// What a master in chunks costs, in kept frames' costs, by the model in bench/README.md: chunk k
// plays the range's frames before it as its run-up, each at `runupRatio` of a kept frame's cost;
// the tasks start in order (chunkOfTask), each on the first of `machines` machines to be free.
struct ChunkCost {
    double total = 0;    // every chunk's run-up and frames
    double runup = 0;    // of which run-ups
    double wall = 0;     // the time until every chunk has ended on `machines` machines
};
ChunkCost chunkCost(int frames, int perChunk, double runupRatio, int machines);
// The chunk length, in frames, from 1 to 60 seconds' worth, that ends soonest on `machines`
// machines (the shortest of equals).
int chooseChunkFrames(int frames, int fps, double runupRatio, int machines);

// The plan as a text file ("arg VALUE" lines) and back. Relative paths are the caller's concern.
std::string farmPlanText(const FarmPlan& plan);
bool readFarmPlan(const std::string& text, FarmPlan& plan, std::string& problem);

// Chunk `index`'s video in the folder: "DIR/chunk-0007.mkv".
std::string chunkVideo(const std::string& folder, int index);
// orvalune-capture's arguments for chunk `index`: the master's options, lossless, that chunk only.
std::vector<std::string> chunkCaptureArguments(const FarmPlan& plan, const std::string& capture,
                                               const std::string& folder, int index);
// ffmpeg's arguments for the join: the concat list's videos in order, the music cut to the frames
// from descriptor 3, encoded as the master's options say (an FFV1 master in RGB is copied as it is).
std::vector<std::string> joinArguments(const FarmPlan& plan, const std::string& concatList);
// The concat demuxer's list of the chunks' videos, each path quoted as it wants.
std::string concatListText(const std::vector<std::string>& videos);

// sbatch's arguments for the job array (one task per chunk, requeued when a node or the task is
// lost) and for the join, which runs once every task has ended well.
std::vector<std::string> arraySubmitArguments(const FarmPlan& plan, const std::string& folder,
                                              const std::string& script, const std::string& farm,
                                              const std::vector<std::string>& extra);
std::vector<std::string> joinSubmitArguments(const std::string& arrayJob, const std::string& folder,
                                             const std::string& script, const std::string& farm,
                                             const std::vector<std::string>& extra);
// The job id sbatch --parsable prints ("1234" or "1234;cluster"); empty when there is none.
std::string parsableJobId(const std::string& output);

// What the status command shows.
struct FarmStatus {
    int done = 0, running = 0, pending = 0, failed = 0;
    double secondsLeft = -1; // unknown until a chunk is done
};
// From the chunks complete on disk, the array's tasks squeue lists ("TASK STATE" lines) and the
// seconds each complete chunk took: chunks neither complete nor queued have failed; the time
// left is the mean chunk's cost times the chunks not done, shared among the tasks running (at
// least one).
FarmStatus farmStatus(int chunks, const std::vector<bool>& complete, const std::string& squeueLines,
                      const std::vector<double>& chunkSeconds);
