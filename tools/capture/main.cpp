// orvalune-capture: the show rendered offline, frame by frame, to PNG files or a video.
//
//   orvalune-capture --at MS --out DIR                       one frame as a viewer sees it, played
//                                                            from the start of the scenes live then
//   orvalune-capture --from MS --to MS [--fps N] --out DIR   every frame of the range, ending early
//                                                            with the show past 363000 ms
//   orvalune-capture --from MS --to MS --out FILE.mp4        a video with the music (needs ffmpeg)
//   ... --supersample 2 --scale-targets --motion-blur 4 --codec ffv1 --out FILE.mkv
//                                                            a master: sharper, smoother, lossless
//   orvalune-capture --help                                  every option
#include "platform/module_resources.h"
#include "platform/process_start.h"
#include "platform/utf8_files.h"
#include "render/draw_state_recorder.h"
#include "render/effect_gl_state.h"
#include "render/warm_up.h"
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "runtime/version.h"
#include "shell/command_line.h"
#include "shell/driver.h"
#include "tools/capture/chunks.h"
#include "tools/capture/frame_reducer.h"
#include "tools/capture/memory.h"
#include "tools/capture/options.h"
#include "tools/capture/png_writer.h"
#include "tools/capture/progress.h"
#include "tools/capture/runup.h"
#include "tools/capture/sha256.h"
#include "tools/capture/sidecar.h"
#include "tools/capture/stop_request.h"
#include "tools/capture/video_encoder.h"

#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr GLenum rasterizerDiscard = 0x8C89; // GL 3.0

// Effects whose picture carries over from frame to frame (the spray's zoom trail keeps a texture
// nobody clears): while one of them is live, run-up frames are drawn in full.
const std::vector<std::string> effectsWithHistory = {"suihke"};

int fail(const std::string& message, int code)
{
    std::fprintf(stderr, "orvalune-capture: %s\n", message.c_str());
    return code;
}

// The recorded draw states to their file, with how many the warm-up lacks (each of those is a
// stall at its first draw until the warm-up's table has it).
bool writeDrawStates(const std::string& path)
{
    int unknown = 0;
    if (!stopRecordingDrawStates(path.c_str(), warmUpDrawStates(), &unknown)) {
        fail("cannot write the draw states to " + path, 1);
        return false;
    }
    std::fprintf(stderr, "orvalune-capture: draw states written to %s; %d of them not in the warm-up\n", path.c_str(),
                 unknown);
    return true;
}

bool isOurFrame(const std::string& name)
{
    static const std::regex frameName("(frame|at)_[0-9]{6}\\.png(\\.part)?");
    return std::regex_match(name, frameName);
}

// What the command line names on disk, checked before anything starts: the archive is a file,
// and a folder's earlier frames are never mixed with this run's.
bool checkPaths(const CaptureOptions& o, std::string& problem)
{
    std::error_code error;
    const fs::path out = pathFromUtf8(o.out);
    if (fs::is_directory(pathFromUtf8(o.archive), error)) {
        problem = "--archive " + o.archive + " is a folder, not a data archive";
        return false;
    }
    if (o.output != OutputKind::Frames) {
        const fs::path parent = out.parent_path();
        if (fs::is_directory(out, error)) {
            problem = o.out + " is a folder, not a video file";
            return false;
        }
        if (!parent.empty() && !fs::is_directory(parent, error)) {
            problem = "the folder " + parent.string() + " for " + o.out + " does not exist";
            return false;
        }
        return true;
    }
    if (!fs::exists(out, error))
        return true;
    if (!fs::is_directory(out, error)) {
        problem = o.out + " is a file, not a folder for frames";
        return false;
    }
    if (o.force)
        return true;
    for (const auto& entry : fs::directory_iterator(out, error))
        if (isOurFrame(entry.path().filename().string())) {
            problem = o.out + " already holds frames (" + entry.path().filename().string() +
                      "); give another folder, or --force to replace them";
            return false;
        }
    return true;
}

// Clears a folder's frames of an earlier run (only with --force), so that runs cannot mix.
bool prepareFolder(const CaptureOptions& o, std::string& problem)
{
    std::error_code error;
    const fs::path out = pathFromUtf8(o.out);
    fs::create_directories(out, error);
    if (error) {
        problem = "cannot create " + o.out + ": " + error.message();
        return false;
    }
    for (const auto& entry : fs::directory_iterator(out, error))
        if (isOurFrame(entry.path().filename().string()))
            fs::remove(entry.path(), error);
    return true;
}

std::vector<LiveWindow> liveWindows()
{
    std::vector<LiveWindow> windows;
    for (const TimelineEntry& entry : dmsTimeline())
        windows.push_back({entry.start, entry.end, entry.name ? entry.name : ""});
    return windows;
}

// Drawing with the rasterizer off still runs every scene's simulation and sets the same GL
// state; only the pixels, which no later frame reads, are skipped.
bool canSkipPixels()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version && std::atoi(version) >= 3;
}

void reportGlErrors()
{
    // Reported, not fatal: the picture is still worth having, and tests look for it.
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
        std::fprintf(stderr, "\norvalune-capture: GL error 0x%04x in the frame at %d ms\n", error, dmsGetModulePosition());
}

// Where the frames go: a folder of PNG files or a video. Each failure is reported once, with its
// reason.
class FrameSink {
public:
    bool open(const CaptureOptions& o, int firstMs, int frames, std::string& problem)
    {
        options = &o;
        if (o.output == OutputKind::Frames) {
            if (!prepareFolder(o, problem))
                return false;
            pngs = std::make_unique<PngWriter>(o.out, o.width, o.height);
            return true;
        }
        std::vector<uint8_t> music;
        if (!dmsReadArchiveFile("music.ogg", music))
            std::fprintf(stderr, "orvalune-capture: the archive has no music; the video is silent\n");
        this->firstMs = firstMs;
        const std::string archive = dmsArchiveFile();
        if (archive.empty() || !sha256OfFile(archive, archiveSha256))
            std::fprintf(stderr, "orvalune-capture: cannot read the archive again for its checksum; the sidecar has none\n");
        // The video is made again: a sidecar of the earlier one would describe what is gone.
        std::error_code error;
        fs::remove(sidecarPath(o.out), error);
        video = std::make_unique<VideoEncoder>();
        return video->open(o, firstMs, frames, music, problem);
    }

    bool write(std::vector<uint8_t>&& rgba, const std::string& name)
    {
        if (video && !video->write(rgba)) {
            report("ffmpeg stopped taking frames");
            return false;
        }
        if (pngs && !pngs->submit(std::move(rgba), name)) {
            report(pngs->error());
            return false;
        }
        videoFrames += video ? 1 : 0;
        return true;
    }

    // Frames written: for pictures, those on disk under their final name; for a video, those
    // ffmpeg was given.
    int written() const { return pngs ? static_cast<int>(pngs->written()) : videoFrames; }

    // Waits until every picture handed over is on disk, so that written() is final; false when
    // one could not be written.
    bool flush()
    {
        if (pngs && !pngs->finish()) {
            report(pngs->error());
            return false;
        }
        return true;
    }

    // Finishes what was written: a video ffmpeg cannot finish, or one cut by a failure, is
    // removed. `stopReason` names the signal that cut the capture short. False when the output is
    // not usable.
    bool close(bool failed, const char* stopReason)
    {
        if (pngs) {
            const bool ok = flush() && !failed;
            if ((stopReason || !ok) && written() > 0)
                std::fprintf(stderr, "orvalune-capture: %s holds the first %d frames, each complete\n",
                             options->out.c_str(), written());
            else if (stopReason || !ok)
                std::fprintf(stderr, "orvalune-capture: nothing was written\n");
            return ok;
        }
        if (!video)
            return !failed;
        if (failed) {
            removeVideo("");
            return false;
        }
        if (!video->finish()) {
            removeVideo("ffmpeg failed to write " + options->out);
            return false;
        }
        if (stopReason)
            std::fprintf(stderr, "orvalune-capture: %s holds the first %d frames and plays\n", options->out.c_str(),
                         written());
        // The video is good without it, but a master should say how it was made.
        std::string problem;
        if (!writeSidecar(sidecarPath(options->out), sidecarJson(*options, firstMs, written(), archiveSha256), problem)) {
            std::fprintf(stderr, "orvalune-capture: %s\n", problem.c_str());
            return false;
        }
        return true;
    }

    // After an exception: whatever is half written goes.
    void abandon()
    {
        if (video)
            removeVideo("");
        if (pngs)
            pngs->finish();
    }

private:
    void report(const std::string& problem)
    {
        if (reported)
            return;
        reported = true;
        std::fprintf(stderr, "\norvalune-capture: %s\n", problem.c_str());
    }

    // Says what became of the video: removed, or never made.
    void removeVideo(const std::string& cause)
    {
        const bool removed = video->discard();
        const std::string lead = cause.empty() ? "" : cause + "; ";
        if (removed)
            std::fprintf(stderr, "orvalune-capture: %sthe partial %s was removed\n", lead.c_str(), options->out.c_str());
        else
            std::fprintf(stderr, "orvalune-capture: %sno video was written\n", lead.c_str());
    }

    const CaptureOptions* options = nullptr;
    int firstMs = 0;
    std::string archiveSha256;
    std::unique_ptr<PngWriter> pngs;
    std::unique_ptr<VideoEncoder> video;
    int videoFrames = 0;
    bool reported = false;
};

struct Plan {
    Runup runup;    // frames played, not kept, before the first kept frame
    int firstMs = 0; // music time of the first kept frame
    int frames = 0; // frames kept
};

// One sub-frame of a supersampled or motion-blurred frame, read in bands into the reduction.
void readInto(FrameReducer& reducer, int rows, std::vector<uint8_t>& band)
{
    const int step = reducer.bandRows();
    for (int top = 0; top < rows; top += step) {
        const int count = std::min(step, rows - top);
        dmsReadFrameRows(top, count, band);
        reducer.addRows(top, count, band.data());
    }
    reducer.endSubFrame();
}

int capture(const CaptureOptions& o)
{
    const bool single = o.atMs >= 0;
    Plan plan;
    plan.firstMs = single ? o.atMs : o.fromMs;
    plan.frames = single ? 1 : framesInRange(o.fromMs, o.toMs, o.fps);
    const int subFrames = o.motionBlur;

    OfflineOptions offline{o.fps, plan.firstMs};
    offline.supersample = o.supersample;
    offline.scaleTargets = o.scaleTargets;
    offline.subFrames = subFrames;
    offline.shutter = o.shutter;
    dmsEnableOffline(offline);
    skipGlWarmUp();
    ShowMode mode;
    mode.width = o.width;
    mode.height = o.height;
    mode.aspectIndex = nearestAspectIndex(o.width, o.height);
    if (!startShow(mode, o.archive.c_str()))
        return 1;
    if (!o.recordDrawStates.empty())
        startRecordingDrawStates();
    if (o.checkGlState)
        watchEffectGlState();
    if (single && !o.seek) {
        plan.runup = planRunup(liveWindows(), o.atMs, o.fps, o.runupMs);
        // Back to the run-up's start, as a range from there begins.
        dmsAdjustTime(static_cast<float>(plan.runup.startMs - o.atMs));
    }
    if (o.chunkFirst >= 0) {
        // A chunk plays the range from its first frame, on the range's own clock (chunks.h).
        plan.runup = {o.fromMs, o.chunkFirst};
        plan.firstMs = frameTimeMs(o.fromMs, o.chunkFirst, o.fps);
        plan.frames = o.chunkLast - o.chunkFirst + 1;
    }

    FrameSink sink;
    std::string problem;
    if (!sink.open(o, plan.firstMs, plan.frames, problem))
        return fail(problem, 1);

    const bool terminal = isatty(STDERR_FILENO);
    LoopState state;
    try {
        if (plan.runup.frames > 0) {
            std::fprintf(stderr, "orvalune-capture: playing from %d ms to the frame at %d ms\n", plan.runup.startMs,
                         plan.firstMs);
            const std::vector<LiveWindow> timeline = liveWindows();
            const bool skipPixels = canSkipPixels();
            // A picture carried over matters only if its effect is still live at the first frame
            // kept (a chunk may start long after the spray).
            const bool historyShown = o.chunkFirst < 0 || anyLive(timeline, plan.firstMs, effectsWithHistory);
            // Every sub-frame is played, as the kept frames will be: the scenes' per-frame
            // smoothing then runs as often as in the frames kept.
            const int total = plan.runup.frames * subFrames;
            Progress progress("run-up", total, terminal, subFrames);
            for (int k = 0; k < total && !stopRequest(); ++k) {
                const bool cheap = skipPixels && !(historyShown && anyLive(timeline, frameTimeMs(plan.runup.startMs, k / subFrames, o.fps),
                                                                           effectsWithHistory));
                if (cheap)
                    glEnable(rasterizerDiscard);
                drawFrame(state);
                if (cheap)
                    glDisable(rasterizerDiscard);
                reportGlErrors();
                progress.update(k + 1);
            }
            if (!stopRequest())
                progress.finish(total);
        }

        int handedOver = 0;
        bool failed = false;
        Progress progress(single ? "frame" : "frames", plan.frames * subFrames, terminal, subFrames);
        // Sub-frames of the frames written and of the one being drawn; a frame not written is not
        // counted, and the count never steps back while the writer catches up.
        const bool showProgress = !single || subFrames > 1;
        int subFramesShown = 0;
        auto showSubFrames = [&](int count) {
            subFramesShown = std::max(subFramesShown, count);
            progress.update(subFramesShown);
        };
        std::vector<uint8_t> rgba, band;
        // Without supersampling or motion blur the frame buffer is the picture, read as it is.
        std::unique_ptr<FrameReducer> reducer;
        if (reduces(o))
            reducer = std::make_unique<FrameReducer>(o.width, o.height, dmsSupersampling(), o.averageIn);
        // The show ends by itself past its last frame, as it does on screen; that frame is kept,
        // made of the sub-frames drawn until then. A stop request drops a frame half drawn.
        // Where the time goes: submitting the frame, GL finishing it and reading it back (and
        // reducing it), and waiting for the encoder to take it.
        using Clock = std::chrono::steady_clock;
        Clock::duration drawing{}, readBack{}, encoding{};
        while (handedOver < plan.frames && !failed && !state.done && !stopRequest()) {
            Clock::time_point read{};
            int drawn = 0;
            for (; drawn < subFrames && !state.done && !stopRequest(); ++drawn) {
                const Clock::time_point start = Clock::now();
                drawFrame(state);
                reportGlErrors();
                const Clock::time_point submitted = Clock::now();
                if (reducer)
                    readInto(*reducer, o.height * dmsSupersampling(), band);
                else
                    dmsReadFrame(rgba);
                read = Clock::now();
                drawing += submitted - start;
                readBack += read - submitted;
                if (showProgress)
                    showSubFrames(sink.written() * subFrames + drawn + 1);
            }
            if (drawn == 0 || (stopRequest() && drawn < subFrames))
                break;
            // A texture, mesh or shader text the frame could not have: its picture is not the
            // show's, and keeping it would report a garbage frame as a success.
            if (const std::vector<std::string>& problems = dmsResourceProblems(); !problems.empty()) {
                std::fprintf(stderr, "\norvalune-capture: the frame at %d ms cannot be drawn as the show draws it: %s%s\n",
                             dmsGetModulePosition(), problems.front().c_str(),
                             problems.size() > 1 ? (" (and " + std::to_string(problems.size() - 1) + " more)").c_str() : "");
                failed = true;
                break;
            }
            if (reducer)
                reducer->finish(rgba);
            readBack += Clock::now() - read;
            read = Clock::now();
            char name[64];
            if (single)
                std::snprintf(name, sizeof name, "at_%06d.png", o.atMs);
            else
                std::snprintf(name, sizeof name, "frame_%06d.png", handedOver);
            // Either writer takes the frame; a video's leaves a free buffer here to read into.
            failed = !sink.write(std::move(rgba), name);
            encoding += Clock::now() - read;
            handedOver += failed ? 0 : 1;
            if (showProgress)
                showSubFrames(sink.written() * subFrames);
        }
        const int stoppedBy = stopRequest();
        const Clock::time_point closing = Clock::now();
        failed = !sink.flush() || failed;
        const int written = sink.written();
        if (showProgress && !stoppedBy && !failed)
            progress.finish(written * subFrames);
        if (stoppedBy)
            std::fprintf(stderr, "\norvalune-capture: stopped by %s at %d ms, after %d of %d frames\n",
                         stopRequestName(stoppedBy), dmsGetModulePosition(), written, plan.frames);
        bool ok = sink.close(failed, stoppedBy ? stopRequestName(stoppedBy) : nullptr);
        if (!o.recordDrawStates.empty())
            ok = writeDrawStates(o.recordDrawStates) && ok;
        if (o.checkGlState && effectGlStateDepartures() > 0) {
            std::fprintf(stderr, "orvalune-capture: the GL state between effects departed from its contract %d times; "
                                 "the first: %s\n",
                         effectGlStateDepartures(), firstEffectGlStateDeparture().c_str());
            ok = false;
        }
        if (!single) {
            auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
            std::fprintf(stderr,
                         "orvalune-capture: %.1f s drawing, %.1f s finishing and reading back, %.1f s waiting for "
                         "the encoder, %.1f s closing\n",
                         seconds(drawing), seconds(readBack), seconds(encoding), seconds(Clock::now() - closing));
        }
        if (stoppedBy)
            return 128 + stoppedBy;
        return ok ? 0 : 1;
    } catch (...) {
        sink.abandon();
        throw;
    }
}

} // namespace

int main(int argc, char** argv)
{
    prepareProcess();
    CaptureOptions o;
    std::string problem;
    ProgramArguments arguments(argc, argv);
    if (!parseCaptureOptions(arguments.count(), arguments.values(), o, problem)) {
        std::fprintf(stderr, "orvalune-capture: %s (see orvalune-capture --help)\n", problem.c_str());
        return 2;
    }
    if (o.help || o.version) {
        std::fputs(o.help ? captureUsage() : (versionLine("orvalune-capture") + "\n").c_str(), stdout);
        return 0;
    }
    if (!checkPaths(o, problem))
        return fail(problem, 2);
    // Before any frame: a video that cannot be written, or pictures that cannot be held, are not
    // worth rendering.
    if (o.output != OutputKind::Frames && !checkFfmpeg(o.codec, problem))
        return fail(problem, 1);
    if (!checkMemory(o, captureBytesNeeded(o), availableMemoryBytes(), problem))
        return fail(problem, 1);
    dmsMsg("%s\n", versionLine("orvalune-capture").c_str());
    catchStopRequests();
    registerBuiltInResources();

    int exitCode = 1;
    try {
        exitCode = capture(o);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvalune-capture: error: %s\n", error.what());
        exitCode = 1;
    } catch (const char* error) {
        dmsMsg("Exception: %s\n", error);
        exitCode = 1;
    } catch (...) {
        std::fprintf(stderr, "orvalune-capture: an unknown error stopped the capture\n");
        exitCode = 1;
    }
    shutDownShow();
    stopRequestsSettled();
    return exitCode;
}
