#include "tools/farm/plan.h"

#include "tools/capture/video_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <queue>
#include <sstream>

namespace {

bool parseCapture(const std::vector<std::string>& arguments, CaptureOptions& options, std::string& problem)
{
    std::vector<std::string> copy = arguments;
    std::vector<char*> argv = {const_cast<char*>("orvalune-capture")};
    for (std::string& argument : copy)
        argv.push_back(argument.data());
    if (!parseCaptureOptions(static_cast<int>(argv.size()), argv.data(), options, problem))
        return false;
    if (options.help || options.version || options.atMs >= 0 || options.output == OutputKind::Frames ||
        options.chunkFirst >= 0) {
        problem = "a master for the farm is a range into a video: --from MS --to MS --out FILE, without --chunk";
        return false;
    }
    if (!options.recordDrawStates.empty()) {
        problem = "--record-draw-states does not apply to a master made in chunks";
        return false;
    }
    return true;
}

bool derive(FarmPlan& plan, std::string& problem)
{
    if (!parseCapture(plan.captureArguments, plan.options, problem))
        return false;
    if (plan.chunkFrames < 1) {
        problem = "a chunk needs at least one frame";
        return false;
    }
    plan.chunks = chunkSpans(framesInRange(plan.options.fromMs, plan.options.toMs, plan.options.fps), plan.chunkFrames);
    return true;
}

// Options that decide how the master is encoded, not what its frames are: the chunks leave them.
bool deliveryOnly(const std::string& flag)
{
    return flag == "--out" || flag == "--codec" || flag == "--pix-fmt" || flag == "--crf" || flag == "--preset" ||
           flag == "--force";
}

bool takesValue(const std::string& flag)
{
    return flag != "--force" && flag != "--check-gl-state" && flag != "--seek";
}

} // namespace

bool makeFarmPlan(const std::vector<std::string>& captureArguments, const ChunkChoice& choice, FarmPlan& plan,
                  std::string& problem)
{
    plan = FarmPlan{};
    plan.captureArguments = captureArguments;
    if (!(choice.seconds >= 0) || choice.seconds > 3600) {
        problem = "--chunk-seconds takes a length up to 3600 seconds";
        return false;
    }
    if (choice.machines < 1 || choice.machines > 100000 || !(choice.runupRatio >= 0) || choice.runupRatio > 10) {
        problem = "--machines takes a count from 1, --runup-ratio a ratio from 0 to 10";
        return false;
    }
    // The plan keeps an argument a line.
    for (const std::string& argument : captureArguments)
        if (argument.find_first_of("\r\n") != std::string::npos) {
            problem = "an option holds a line break";
            return false;
        }
    CaptureOptions options;
    if (!parseCapture(captureArguments, options, problem))
        return false;
    const int frames = framesInRange(options.fromMs, options.toMs, options.fps);
    plan.chunkFrames = choice.seconds > 0 ? std::max(1, static_cast<int>(std::lround(choice.seconds * options.fps)))
                                          : chooseChunkFrames(frames, options.fps, choice.runupRatio, choice.machines);
    return derive(plan, problem);
}

int chunkOfTask(int chunks, int task) { return chunks - 1 - task; }

ChunkCost chunkCost(int frames, int perChunk, double runupRatio, int machines)
{
    ChunkCost cost;
    std::vector<double> costs;
    for (const ChunkSpan& span : chunkSpans(frames, perChunk)) {
        const double runup = runupRatio * span.first;
        costs.push_back(runup + span.frames());
        cost.runup += runup;
        cost.total += costs.back();
    }
    // Tasks start in order, each on the machine free first: the dearest chunks, the last, first.
    std::priority_queue<double, std::vector<double>, std::greater<double>> freeAt;
    for (int i = 0; i < std::max(1, machines); ++i)
        freeAt.push(0.0);
    for (int task = 0; task < static_cast<int>(costs.size()); ++task) {
        const double end = freeAt.top() + costs[static_cast<size_t>(chunkOfTask(static_cast<int>(costs.size()), task))];
        freeAt.pop();
        freeAt.push(end);
        cost.wall = std::max(cost.wall, end);
    }
    return cost;
}

int chooseChunkFrames(int frames, int fps, double runupRatio, int machines)
{
    int best = fps;
    double bestWall = chunkCost(frames, best, runupRatio, machines).wall;
    for (int seconds = 2; seconds <= 60; ++seconds) {
        const double wall = chunkCost(frames, seconds * fps, runupRatio, machines).wall;
        if (wall < bestWall - 1e-9) {
            best = seconds * fps;
            bestWall = wall;
        }
    }
    return best;
}

std::string farmPlanText(const FarmPlan& plan)
{
    std::string text = "orvalune-farm plan 1\nchunk_frames " + std::to_string(plan.chunkFrames) + "\n";
    for (const std::string& argument : plan.captureArguments)
        text += "arg " + argument + "\n";
    return text;
}

bool readFarmPlan(const std::string& text, FarmPlan& plan, std::string& problem)
{
    plan = FarmPlan{};
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != "orvalune-farm plan 1") {
        problem = "not a plan of orvalune-farm";
        return false;
    }
    while (std::getline(lines, line)) {
        if (line.rfind("arg ", 0) == 0) {
            plan.captureArguments.push_back(line.substr(4));
        } else if (line.rfind("chunk_frames ", 0) == 0) {
            const std::string value = line.substr(13);
            if (value.empty() || value.size() > 8 || !std::all_of(value.begin(), value.end(), ::isdigit)) {
                problem = "a bad chunk length in the plan";
                return false;
            }
            plan.chunkFrames = std::stoi(value);
        } else if (!line.empty()) {
            problem = "an unknown line in the plan: " + line.substr(0, 40);
            return false;
        }
    }
    return derive(plan, problem);
}

std::string chunkVideo(const std::string& folder, int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "chunk-%04d.mkv", index);
    return folder + "/" + name;
}

std::vector<std::string> chunkCaptureArguments(const FarmPlan& plan, const std::string& capture,
                                               const std::string& folder, int index)
{
    std::vector<std::string> a = {capture};
    const std::vector<std::string>& m = plan.captureArguments;
    for (size_t i = 0; i < m.size(); ++i) {
        const bool skip = deliveryOnly(m[i]);
        const bool value = takesValue(m[i]) && i + 1 < m.size();
        if (!skip) {
            a.push_back(m[i]);
            if (value)
                a.push_back(m[i + 1]);
        }
        i += value ? 1 : 0;
    }
    const ChunkSpan& span = plan.chunks.at(static_cast<size_t>(index));
    a.insert(a.end(), {"--chunk", std::to_string(span.first) + "-" + std::to_string(span.last), "--codec", "ffv1",
                       "--out", chunkVideo(folder, index)});
    return a;
}

std::string concatListText(const std::vector<std::string>& videos)
{
    std::string text = "ffconcat version 1.0\n";
    for (const std::string& video : videos) {
        // Quoted as the concat demuxer reads it: a single quote closes, is escaped, and reopens.
        std::string quoted = "'";
        for (const char c : video)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        text += "file " + quoted + "'\n";
    }
    return text;
}

std::vector<std::string> joinArguments(const FarmPlan& plan, const std::string& concatList)
{
    const CaptureOptions& o = plan.options;
    const int frames = plan.chunks.empty() ? 0 : plan.chunks.back().last + 1;
    std::vector<std::string> a = ffmpegArguments(o, o.fromMs, frames, true);
    // The raw frames on standard input give way to the chunks, read in order.
    const auto raw = std::find(a.begin(), a.end(), "rawvideo");
    const auto pipe = std::find(a.begin(), a.end(), "pipe:0");
    if (raw != a.end() && pipe != a.end() && raw != a.begin()) {
        const auto at = a.erase(raw - 1, pipe + 1);
        a.insert(at, {"-f", "concat", "-safe", "0", "-i", "file:" + concatList});
    }
    // Frames keep their own times (no frame dropped or repeated by ffmpeg's rate conversion).
    const auto output = a.end() - 1;
    a.insert(output, {"-fps_mode", "passthrough"});
    // The chunks are the master's frames already, losslessly: an RGB FFV1 master is a copy of them.
    if (o.codec == VideoCodec::Ffv1 && effectivePixFmt(o) == "bgr0") {
        const auto codec = std::find(a.begin(), a.end(), "-c:v");
        const auto audio = std::find(codec, a.end(), "-c:a");
        if (codec != a.end() && audio != a.end()) {
            const auto at = a.erase(codec, audio);
            a.insert(at, {"-c:v", "copy"});
        }
    }
    return a;
}

std::vector<std::string> arraySubmitArguments(const FarmPlan& plan, const std::string& folder,
                                              const std::string& script, const std::string& farm,
                                              const std::vector<std::string>& extra)
{
    std::vector<std::string> a = {"sbatch", "--parsable", "--job-name=orvalune-chunk",
                                  "--array=0-" + std::to_string(plan.chunks.size() - 1), "--requeue",
                                  "--chdir=" + folder, "--output=" + folder + "/slurm-task-%a.log", "--open-mode=append"};
    a.insert(a.end(), extra.begin(), extra.end());
    a.insert(a.end(), {script, farm, "chunk", folder});
    return a;
}

std::vector<std::string> joinSubmitArguments(const std::string& arrayJob, const std::string& folder,
                                             const std::string& script, const std::string& farm,
                                             const std::vector<std::string>& extra)
{
    std::vector<std::string> a = {"sbatch", "--parsable", "--job-name=orvalune-join",
                                  "--dependency=afterok:" + arrayJob, "--kill-on-invalid-dep=yes",
                                  "--chdir=" + folder, "--output=" + folder + "/slurm-join.log"};
    a.insert(a.end(), extra.begin(), extra.end());
    a.insert(a.end(), {script, farm, "join", folder});
    return a;
}

std::string parsableJobId(const std::string& output)
{
    std::string id;
    for (const char c : output) {
        if (c < '0' || c > '9')
            break;
        id += c;
    }
    return id;
}

FarmStatus farmStatus(int chunks, const std::vector<bool>& complete, const std::string& squeueLines,
                      const std::vector<double>& chunkSeconds)
{
    FarmStatus s;
    std::vector<int> queued(static_cast<size_t>(std::max(chunks, 0)), 0); // 1 pending, 2 running
    std::istringstream lines(squeueLines);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string index, state;
        if (!(fields >> index >> state) || index.empty() || !std::all_of(index.begin(), index.end(), ::isdigit) ||
            index.size() > 8)
            continue;
        const int i = chunkOfTask(chunks, std::stoi(index));
        if (i < 0)
            continue;
        queued[static_cast<size_t>(i)] = state == "RUNNING" || state == "COMPLETING" ? 2 : 1;
    }
    for (int i = 0; i < chunks; ++i) {
        const bool isComplete = static_cast<size_t>(i) < complete.size() && complete[static_cast<size_t>(i)];
        if (queued[static_cast<size_t>(i)] == 2)
            ++s.running;
        else if (queued[static_cast<size_t>(i)] == 1)
            ++s.pending;
        else if (isComplete)
            ++s.done;
        else
            ++s.failed;
    }
    if (!chunkSeconds.empty()) {
        double sum = 0;
        for (const double seconds : chunkSeconds)
            sum += seconds;
        const double mean = sum / static_cast<double>(chunkSeconds.size());
        s.secondsLeft = mean * (chunks - s.done) / std::max(1, s.running);
    }
    return s;
}
