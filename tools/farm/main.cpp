// orvalune-farm: a master rendered as chunks, on this machine or on a Slurm cluster, and joined
// into the very frames one capture of the whole range gives.
//
//   orvalune-farm plan   DIR [--chunk-seconds S] -- CAPTURE-OPTIONS   cut the master into chunks
//   orvalune-farm render DIR [--resume] [... -- CAPTURE-OPTIONS]     every chunk here, then the join
//   orvalune-farm chunk  DIR [INDEX]                                 one chunk (again)
//   orvalune-farm join   DIR                                         check the chunks, join, encode
//   orvalune-farm submit DIR [--sbatch ARG]... [... -- CAPTURE-OPTIONS]  a Slurm job array + join job
//   orvalune-farm status DIR                                         chunks done, running, failed
#include "platform/process_start.h"
#include "runtime/archive.h"
#include "runtime/version.h"
#include "tools/capture/child_process.h"
#include "tools/capture/sha256.h"
#include "tools/capture/sidecar.h"
#include "tools/capture/video_encoder.h"
#include "tools/farm/plan.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const usage =
    "usage: orvalune-farm plan   DIR [LENGTH] -- CAPTURE-OPTIONS    cut a master (--out FILE) into chunks\n"
    "       orvalune-farm render DIR [--resume] [LENGTH -- CAPTURE-OPTIONS]   every chunk here, then the join\n"
    "       orvalune-farm chunk  DIR [INDEX]     one chunk (without INDEX: this Slurm task's or Indexed Job pod's)\n"
    "       orvalune-farm join   DIR             check the chunks, join them, encode the master\n"
    "       orvalune-farm submit DIR [--sbatch ARG]... [LENGTH -- CAPTURE-OPTIONS]   a Slurm job array and join\n"
    "       orvalune-farm status DIR             chunks done, running, waiting, failed; the time left\n"
    "LENGTH: --chunk-seconds S, or the length that ends soonest on --machines N (default 8) when a\n"
    "run-up frame costs --runup-ratio R of a kept frame (default 0.005, the 4K master recipe's).\n"
    "Each chunk renders on its own, here or as one task of a Slurm job array; the join checks that\n"
    "every frame is there exactly once and encodes the master as the capture's options say.\n";

std::atomic<int> stopSignal{0};

void noteStop(int signal) { stopSignal = signal; }

int fail(const std::string& message, int code = 1)
{
    std::fprintf(stderr, "orvalune-farm: %s\n", message.c_str());
    return code;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whole or not at all: a temporary file renamed over.
bool writeFile(const fs::path& path, const std::string& text)
{
    const fs::path part = path.string() + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return false;
    }
    std::error_code error;
    fs::rename(part, path, error);
    return !error;
}

fs::path besideUs(const char* program)
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path(program) : self.parent_path() / program;
}

// The archive the chunks read: a path given to the plan is absolute; the default is found as the
// capture finds it, beside the programs or where an installation puts it.
std::string archiveOf(const FarmPlan& plan)
{
    if (fs::path(plan.options.archive).is_absolute())
        return plan.options.archive;
    std::error_code error;
    for (const fs::path& candidate : {besideUs("data.pak"), besideUs("../share/orvalune/data.pak")})
        if (fs::exists(candidate, error))
            return candidate.lexically_normal().string();
    return plan.options.archive;
}

// Paths the capture takes, made absolute: chunks run in other folders, on other machines.
void absolutePaths(std::vector<std::string>& arguments)
{
    for (size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == "--out" || arguments[i] == "--archive")
            arguments[i + 1] = fs::absolute(arguments[i + 1]).lexically_normal().string();
}

// The plan in the folder: made from the options when they are given (a folder holding another
// master's plan is refused), read from the folder otherwise.
bool loadPlan(const fs::path& folder, const std::vector<std::string>& captureArguments, const ChunkChoice& choice,
              FarmPlan& plan, std::string& problem)
{
    const fs::path file = folder / "plan.txt";
    std::error_code error;
    if (captureArguments.empty()) {
        if (!fs::exists(file, error)) {
            problem = "no plan in " + folder.string() + ": give the capture's options after --";
            return false;
        }
        if (!readFarmPlan(readFile(file), plan, problem)) {
            problem = file.string() + ": " + problem;
            return false;
        }
        return true;
    }
    std::vector<std::string> arguments = captureArguments;
    absolutePaths(arguments);
    if (!makeFarmPlan(arguments, choice, plan, problem))
        return false;
    const std::string text = farmPlanText(plan);
    if (fs::exists(file, error) && readFile(file) != text) {
        problem = folder.string() + " holds another master's plan; give another folder";
        return false;
    }
    fs::create_directories(folder, error);
    if (error || !writeFile(file, text)) {
        problem = "cannot write " + file.string();
        return false;
    }
    return true;
}

// A chunk whose sidecar says it holds all its frames.
bool chunkComplete(const FarmPlan& plan, const fs::path& folder, int index)
{
    const std::string video = chunkVideo(folder.string(), index);
    const fs::path sidecar = sidecarPath(video);
    std::error_code error;
    if (!fs::exists(sidecar, error) || !fs::exists(video, error))
        return false;
    ChunkRecord record;
    std::string problem;
    const ChunkSpan& span = plan.chunks[static_cast<size_t>(index)];
    return parseChunkSidecar(readFile(sidecar), sidecar.string(), record, problem) && record.span.first == span.first &&
           record.span.last == span.last && record.frames == span.frames();
}

struct RunResult {
    int exitCode = -1; // -1 when it ended by a signal
    int signal = 0;
};

// Runs a program with our own standard streams; a stop request to us is passed on to it.
RunResult run(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return {};
    int status = 0, passed = 0;
    for (;;) {
        const pid_t waited = waitpid(pid, &status, 0);
        if (waited == pid)
            break;
        if (waited < 0 && errno != EINTR)
            return {};
        if (stopSignal && !passed) {
            passed = stopSignal;
            kill(pid, passed);
        }
    }
    if (WIFSIGNALED(status))
        return {-1, WTERMSIG(status)};
    return {WEXITSTATUS(status), 0};
}

int renderChunk(const FarmPlan& plan, const fs::path& folder, int index)
{
    if (index < 0 || index >= static_cast<int>(plan.chunks.size()))
        return fail("there is no chunk " + std::to_string(index) + " (the plan has " +
                    std::to_string(plan.chunks.size()) + ")", 2);
    const std::string video = chunkVideo(folder.string(), index);
    std::error_code error;
    fs::remove(fs::path(video).replace_extension(".seconds"), error);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> arguments =
        chunkCaptureArguments(plan, besideUs("orvalune-capture").string(), folder.string(), index);
    const RunResult result = run(arguments);
    if (result.exitCode == 0 && chunkComplete(plan, folder, index)) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        writeFile(fs::path(video).replace_extension(".seconds"), std::to_string(seconds) + "\n");
        return 0;
    }
    const char* task = std::getenv("SLURM_ARRAY_TASK_ID");
    const char* job = std::getenv("SLURM_ARRAY_JOB_ID");
    const char* restarts = std::getenv("SLURM_RESTART_COUNT");
    // Killed from outside (the out-of-memory killer, a lost node's cleanup, a hand): under Slurm
    // the task goes back into the queue, a few times, rather than failing the whole master.
    if (result.signal != 0 && task && job && (!restarts || std::atoi(restarts) < 3)) {
        std::fprintf(stderr, "orvalune-farm: chunk %d was killed (signal %d); requeueing task %s_%s\n", index,
                     result.signal, job, task);
        const RunResult requeue = run({findOnPath("scontrol"), "requeue", std::string(job) + "_" + task});
        if (requeue.exitCode == 0)
            return 0;
    }
    if (result.exitCode < 0 && result.signal == 0)
        return fail("cannot start " + arguments[0]);
    return fail("chunk " + std::to_string(index) + " failed" +
                    (result.signal ? " (killed by signal " + std::to_string(result.signal) + ")"
                                   : " (exit code " + std::to_string(result.exitCode) + ")"),
                result.exitCode > 0 ? result.exitCode : 1);
}

// Frames in a chunk's video as its container counts them (no decoding).
int packetsIn(const std::string& video)
{
    std::string output;
    if (!programOutput({"ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                        "stream=nb_read_packets", "-of", "csv=p=0", "file:" + video},
                       output))
        return -1;
    return std::atoi(output.c_str());
}

int join(const FarmPlan& plan, const fs::path& folder)
{
    // What every chunk's sidecar must say, from the plan itself.
    CaptureOptions expected;
    {
        std::vector<std::string> arguments = chunkCaptureArguments(plan, "orvalune-capture", folder.string(), 0);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        std::string problem;
        if (!parseCaptureOptions(static_cast<int>(argv.size()), argv.data(), expected, problem))
            return fail(problem);
    }
    ChunkRecord model;
    std::string problem;
    parseChunkSidecar(sidecarJson(expected, 0, 0, "-"), "the plan", model, problem);

    const std::string archive = archiveOf(plan);
    std::string sha;
    if (!sha256OfFile(archive, sha))
        return fail("cannot read the archive " + archive);
    std::vector<ChunkRecord> chunks;
    std::vector<std::string> videos;
    for (size_t i = 0; i < plan.chunks.size(); ++i) {
        const std::string video = chunkVideo(folder.string(), static_cast<int>(i));
        const std::string sidecar = sidecarPath(video);
        std::error_code error;
        if (!fs::exists(sidecar, error))
            continue; // named below as missing frames
        ChunkRecord record;
        if (!parseChunkSidecar(readFile(sidecar), sidecar, record, problem))
            return fail(problem);
        if (record.optionsText != model.optionsText)
            return fail(sidecar + " was made with other options than the plan's");
        if (record.archiveSha256 != sha)
            return fail(sidecar + " was made from another archive than " + archive + " (SHA-256 differs)");
        const int packets = packetsIn(video);
        if (packets != record.frames)
            return fail(video + " holds " + std::to_string(packets) + " frames where its sidecar says " +
                        std::to_string(record.frames) + ": render it again");
        chunks.push_back(record);
        videos.push_back(video);
    }
    if (!checkChunksJoin(chunks, plan.options.fromMs, plan.options.fps, problem))
        return fail("cannot join: " + problem);

    VELMORA_PELAGOR::openArchive(archive, problem);
    std::vector<uint8_t> music;
    std::string why;
    if (VELMORA_PELAGOR::readArchiveEntry("music.ogg", music, why) != VELMORA_PELAGOR::ArchiveRead::Ok)
        return fail("cannot read the music from " + archive + (why.empty() ? "" : ": " + why));
    const int musicFd = musicInMemory(music);
    if (musicFd < 0)
        return fail("cannot hold the music in memory");

    const fs::path list = folder / "concat.txt";
    if (!writeFile(list, concatListText(videos)))
        return fail("cannot write " + list.string());
    // Written beside the master under another name, and renamed once ffmpeg is done.
    const fs::path out = plan.options.out;
    const fs::path part = fs::path(out).replace_extension(".part" + out.extension().string());
    std::vector<std::string> arguments = joinArguments(plan, list.string());
    arguments.back() = "file:" + part.string();
    ChildProcess ffmpeg;
    bool ok = ffmpeg.start(arguments, musicFd);
    ok = ffmpeg.finish() && ok;
    close(musicFd);
    std::error_code error;
    if (ok)
        fs::rename(part, out, error);
    if (!ok || error) {
        fs::remove(part, error);
        return fail("ffmpeg could not write " + out.string());
    }
    const int frames = plan.chunks.back().last + 1;
    if (!writeSidecar(sidecarPath(out.string()), sidecarJson(plan.options, plan.options.fromMs, frames, sha), problem))
        return fail(problem);
    std::printf("orvalune-farm: %s holds the %d frames of %zu chunks\n", out.string().c_str(), frames, chunks.size());
    return 0;
}

int renderHere(const FarmPlan& plan, const fs::path& folder, bool resume)
{
    for (size_t i = 0; i < plan.chunks.size(); ++i) {
        const int index = static_cast<int>(i);
        if (resume && chunkComplete(plan, folder, index)) {
            std::fprintf(stderr, "orvalune-farm: chunk %d is complete\n", index);
            continue;
        }
        std::fprintf(stderr, "orvalune-farm: chunk %d of %zu: frames %d-%d\n", index, plan.chunks.size(),
                     plan.chunks[i].first, plan.chunks[i].last);
        const int code = renderChunk(plan, folder, index);
        if (code != 0 || stopSignal) {
            std::fprintf(stderr, "orvalune-farm: stopped; `orvalune-farm render %s --resume` continues from chunk %d\n",
                         folder.string().c_str(), index);
            return stopSignal ? 128 + stopSignal : code;
        }
    }
    return join(plan, folder);
}

int submit(const FarmPlan& plan, const fs::path& folder, const std::vector<std::string>& extra)
{
    const fs::path script = folder / "slurm-task.sh";
    // The task's program and arguments come as the script's own arguments, never as text in it.
    if (!writeFile(script, "#!/bin/sh\n# One task of an orvalune-farm master: the program and its arguments.\nexec \"$@\"\n"))
        return fail("cannot write " + script.string());
    std::error_code error;
    fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec, error);
    const std::string farm = besideUs("orvalune-farm").string();
    std::string output;
    if (!programOutput(arraySubmitArguments(plan, folder.string(), script.string(), farm, extra), output) ||
        parsableJobId(output).empty())
        return fail("sbatch refused the chunks' job array" + (output.empty() ? std::string() : ": " + output));
    const std::string array = parsableJobId(output);
    if (!programOutput(joinSubmitArguments(array, folder.string(), script.string(), farm, extra), output) ||
        parsableJobId(output).empty()) {
        programOutput({"scancel", array}, output);
        return fail("sbatch refused the join job; the array " + array + " was cancelled");
    }
    const std::string joinJob = parsableJobId(output);
    writeFile(folder / "jobs.txt", "array " + array + "\njoin " + joinJob + "\n");
    std::printf("chunks: job array %s (%zu tasks)\njoin: job %s (after the array ends well)\n", array.c_str(),
                plan.chunks.size(), joinJob.c_str());
    return 0;
}

std::string jobOf(const std::string& jobs, const std::string& role)
{
    std::istringstream lines(jobs);
    std::string key, id;
    while (lines >> key >> id)
        if (key == role)
            return parsableJobId(id);
    return "";
}

int status(const FarmPlan& plan, const fs::path& folder)
{
    const int chunks = static_cast<int>(plan.chunks.size());
    std::vector<bool> complete;
    std::vector<double> seconds;
    for (int i = 0; i < chunks; ++i) {
        complete.push_back(chunkComplete(plan, folder, i));
        const fs::path file = fs::path(chunkVideo(folder.string(), i)).replace_extension(".seconds");
        std::error_code error;
        if (complete.back() && fs::exists(file, error))
            seconds.push_back(std::atof(readFile(file).c_str()));
    }
    const std::string jobs = readFile(folder / "jobs.txt");
    const std::string array = jobOf(jobs, "array"), joinJob = jobOf(jobs, "join");
    std::string queue, joinState;
    if (!array.empty())
        programOutput({"squeue", "-h", "-r", "-j", array, "-o", "%K %T"}, queue);
    if (!joinJob.empty())
        programOutput({"squeue", "-h", "-j", joinJob, "-o", "%T"}, joinState);
    const FarmStatus s = farmStatus(chunks, complete, queue, seconds);
    std::printf("chunks: %d done, %d running, %d waiting, %d failed, of %d\n", s.done, s.running, s.pending,
                s.failed, chunks);
    if (s.secondsLeft >= 0 && s.done < chunks)
        std::printf("time left: about %.0f s\n", s.secondsLeft);
    std::error_code error;
    if (fs::exists(plan.options.out, error) && fs::exists(sidecarPath(plan.options.out), error))
        std::printf("master: %s is joined\n", plan.options.out.c_str());
    else if (!joinState.empty())
        std::printf("join: job %s %s", joinJob.c_str(), joinState.c_str());
    return s.failed > 0 ? 1 : 0;
}

} // namespace

int runCommand(const std::vector<std::string>& args);

int main(int argc, char** argv)
{
    prepareProcess();
    try {
        return runCommand(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        return fail(std::string("error: ") + error.what());
    }
}

int runCommand(const std::vector<std::string>& args)
{
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(usage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--version") {
        std::printf("%s\n", versionLine("orvalune-farm").c_str());
        return 0;
    }
    const std::string command = args[0];
    const bool known = command == "plan" || command == "render" || command == "chunk" || command == "join" ||
                       command == "submit" || command == "status";
    if (!known || args.size() < 2)
        return fail(known ? command + " needs a folder" : "unknown command '" + command + "' (see --help)", 2);
    const fs::path folder = fs::absolute(args[1]).lexically_normal();

    bool resume = false;
    ChunkChoice choice;
    int index = -1;
    std::vector<std::string> sbatchExtra, captureArguments;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            captureArguments.assign(args.begin() + static_cast<long>(i) + 1, args.end());
            if (captureArguments.empty())
                return fail("give the capture's options after --", 2);
            break;
        }
        if (a == "--resume" && command == "render")
            resume = true;
        else if ((a == "--chunk-seconds" || a == "--machines" || a == "--runup-ratio") && i + 1 < args.size() &&
                 command != "chunk" && command != "join" && command != "status") {
            char* end = nullptr;
            const double value = std::strtod(args[++i].c_str(), &end);
            if (!end || *end || args[i].empty())
                return fail("bad value '" + args[i] + "' for " + a + ": a number", 2);
            if (a == "--chunk-seconds")
                choice.seconds = value;
            else if (a == "--runup-ratio")
                choice.runupRatio = value;
            else
                choice.machines = value >= 1 && value <= 100000 ? static_cast<int>(value) : 0;
        } else if (a == "--sbatch" && i + 1 < args.size() && command == "submit")
            sbatchExtra.push_back(args[++i]);
        else if (command == "chunk" && index < 0 && !a.empty() && a.size() < 8 &&
                 a.find_first_not_of("0123456789") == std::string::npos)
            index = std::atoi(a.c_str());
        else
            return fail("unknown option '" + a + "' for " + command + " (see --help)", 2);
    }
    if (!captureArguments.empty() && command != "plan" && command != "render" && command != "submit")
        return fail(command + " takes no capture options: they are in the plan", 2);
    if (command == "plan" && captureArguments.empty())
        return fail("plan needs the capture's options after --", 2);

    FarmPlan plan;
    std::string problem;
    if (!loadPlan(folder, captureArguments, choice, plan, problem))
        return fail(problem, 2);

    struct sigaction action {};
    action.sa_handler = noteStop;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1})
        sigaction(signal, &action, nullptr);

    if (command == "plan") {
        const int frames = plan.chunks.back().last + 1;
        const ChunkCost cost = chunkCost(frames, plan.chunkFrames, choice.runupRatio, choice.machines);
        std::printf("%zu chunks of %d frames; run-ups %.1f %% of the work; on %d machines about %.0f frames' time "
                    "(one machine: %d)\n",
                    plan.chunks.size(), plan.chunkFrames, 100.0 * cost.runup / cost.total, choice.machines, cost.wall,
                    frames);
        for (size_t i = 0; i < plan.chunks.size(); ++i)
            std::printf("chunk %zu: frames %d-%d\n", i, plan.chunks[i].first, plan.chunks[i].last);
        return 0;
    }
    if (command == "chunk") {
        if (index < 0) {
            // A Slurm array task's index, or a Kubernetes Indexed Job pod's.
            const char* task = std::getenv("SLURM_ARRAY_TASK_ID");
            if (!task)
                task = std::getenv("JOB_COMPLETION_INDEX");
            if (!task)
                return fail("chunk needs an INDEX (or $SLURM_ARRAY_TASK_ID, $JOB_COMPLETION_INDEX)", 2);
            index = chunkOfTask(static_cast<int>(plan.chunks.size()), std::atoi(task));
        }
        return renderChunk(plan, folder, index);
    }
    if (command == "join")
        return join(plan, folder);
    if (command == "render")
        return renderHere(plan, folder, resume);
    if (command == "submit")
        return submit(plan, folder, sbatchExtra);
    return status(plan, folder);
}
