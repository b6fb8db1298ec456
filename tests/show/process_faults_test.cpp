// Both programs as machines and shells treat a process: closed standard streams, a reader of the
// output that quits, hang-ups and the other stop signals, no display at all, a disk that fills.
#include "tests/support/pictures.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string showStarted = "Your graphics cards vendor is";

std::vector<std::string> captureArguments(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv = {builtProgram("orvalune-capture")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

ProgramRun programRun(const std::vector<std::string>& argv)
{
    ProgramRun run;
    run.argv = argv;
    return run;
}


// The last 300 ms of the show in a small window, started as `launch` sets it up: it plays to its
// end by itself and exits with 0.
void expectTheShowPlaysToItsEnd(const std::function<void(ProgramRun&)>& launch)
{
    ProgramRun show = programRun({builtProgram("orvalune"), "--window", "160x120", "--start", "362700"});
    launch(show);
    const ProgramResult shown = runProgram(show);
    EXPECT_FALSE(shown.timedOut);
    EXPECT_EQ(shown.exitCode, 0) << shown.output;
}

int framesIn(const fs::path& folder)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.path().extension() == ".png" ? 1 : 0;
    return count;
}

// ffprobe's count of the video frames in a file; -1 when it is not a video that plays.
int videoFrames(const fs::path& file)
{
    const ProgramResult probed =
        runProgram({"ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                    "stream=nb_read_frames", "-of", "default=nw=1:nk=1", "file:" + file.string()},
                   ORV_BINARY_DIR, 60.0, 0.0, false);
    return probed.exitCode == 0 && !probed.output.empty() ? std::atoi(probed.output.c_str()) : -1;
}

// Processes whose command line holds `text` (an output path only this test uses).
int processesNaming(const std::string& text)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        const std::string line{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        count += line.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

bool noProcessNamesWithin(const std::string& text, double seconds)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (processesNaming(text) > 0)
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return true;
}

int countOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Started from a launcher that closed 0, 1 and 2, the programs do their whole work and end: no
// file or connection opened later takes one of those descriptors and gets the log.
TEST(ProcessFaults, WithItsStandardStreamsClosedEachProgramDoesItsWorkAndEnds)
{
    const fs::path folder = freshFolder("closed-streams");
    ProgramRun capture = programRun(captureArguments(
        {"--from", "95000", "--to", "95300", "--fps", "10", "--size", "64x36", "--out", folder.string()}));
    capture.closedStandardStreams = true;
    const ProgramResult captured = runProgram(capture);
    EXPECT_FALSE(captured.timedOut);
    EXPECT_EQ(captured.exitCode, 0);
    EXPECT_EQ(framesIn(folder), 4);

    expectTheShowPlaysToItsEnd([](ProgramRun& show) { show.closedStandardStreams = true; });
    fs::remove_all(folder);
}

// `2>&1 | head -c 1`: the reader is gone after one byte, and the log's writes fail from then on.
// Neither program dies of it, and the video is whole.
TEST(ProcessFaults, AReaderOfTheOutputThatQuitsStopsNeitherProgram)
{
    const fs::path folder = freshFolder("reader-quits");
    const fs::path video = folder / "v.mp4";
    ProgramRun capture = programRun(captureArguments(
        {"--from", "95000", "--to", "95990", "--fps", "30", "--size", "160x90", "--out", video.string()}));
    capture.readerQuitsAfter = 1;
    const ProgramResult captured = runProgram(capture);
    EXPECT_EQ(captured.exitCode, 0);
    EXPECT_EQ(videoFrames(video), 30);

    expectTheShowPlaysToItsEnd([](ProgramRun& show) { show.readerQuitsAfter = 1; });
    fs::remove_all(folder);
}

// A closed terminal (SIGHUP), SIGQUIT or SIGUSR1 stops a capture as SIGTERM does: the video is
// closed and plays with the frames it says it holds, and ffmpeg goes with the capture. Should the
// capture be killed outright, ffmpeg dies with it instead of finishing a shorter video that looks
// complete.
TEST(ProcessFaults, AHangUpOrAnyStopSignalEndsACaptureCleanlyAndFfmpegNeverOutlivesIt)
{
    const fs::path folder = freshFolder("hang-up");
    const fs::path video = folder / "hung up.mp4";
    const std::vector<std::string> longVideo = captureArguments(
        {"--from", "0", "--to", "60000", "--fps", "30", "--size", "64x36", "--out", video.string()});
    // The first progress line comes after the first frame is written.
    const ProgramResult hungUp = runProgramSignalledOn(longVideo, ORV_BINARY_DIR, 120.0, "orvalune-capture: frames", SIGHUP);
    EXPECT_EQ(hungUp.exitCode, 128 + SIGHUP) << hungUp.output;
    EXPECT_NE(hungUp.output.find("stopped by SIGHUP"), std::string::npos) << hungUp.output;
    std::smatch held;
    ASSERT_TRUE(std::regex_search(hungUp.output, held, std::regex("holds the first ([0-9]+) frames and plays")))
        << hungUp.output;
    EXPECT_EQ(videoFrames(video), std::stoi(held[1].str()));
    EXPECT_EQ(processesNaming(video.string()), 0) << "ffmpeg ended with the capture";

    for (const int stop : {SIGQUIT, SIGUSR1}) {
        const fs::path frames = folder / ("frames-" + std::to_string(stop));
        const ProgramResult stopped = runProgramSignalledOn(
            captureArguments({"--from", "0", "--to", "60000", "--fps", "30", "--size", "64x36", "--out", frames.string()}),
            ORV_BINARY_DIR, 120.0, "orvalune-capture: frames", stop);
        EXPECT_EQ(stopped.exitCode, 128 + stop) << stopped.output;
        EXPECT_NE(stopped.output.find(std::string("stopped by SIG") + (stop == SIGQUIT ? "QUIT" : "USR1")),
                  std::string::npos)
            << stopped.output;
        EXPECT_GT(framesIn(frames), 0) << stopped.output;
    }

    const fs::path killed = folder / "killed.mp4";
    const ProgramResult kill = runProgramSignalledOn(
        captureArguments({"--from", "0", "--to", "60000", "--fps", "30", "--size", "64x36", "--out", killed.string()}),
        ORV_BINARY_DIR, 120.0, "orvalune-capture: frames", SIGKILL);
    EXPECT_EQ(kill.exitCode, -1) << kill.output;
    EXPECT_TRUE(noProcessNamesWithin(killed.string(), 10.0)) << "ffmpeg outlived a killed capture";
    EXPECT_EQ(videoFrames(killed), -1) << "a killed capture's video must not look complete";
    fs::remove_all(folder);
}

// The show takes them as SIGTERM too: a fade, then exit code 0, and no core dump for SIGQUIT.
TEST(ProcessFaults, AHangUpOrSigquitEndsTheShowAsSigtermDoes)
{
    for (const int stop : {SIGHUP, SIGQUIT}) {
        const ProgramResult run = runProgramSignalledOn({builtProgram("orvalune"), "--window", "160x120", "--start", "95000"},
                                                        ORV_BINARY_DIR, 120.0, showStarted, stop);
        EXPECT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, 0) << "signal " << stop << "\n" << run.output;
        EXPECT_NE(run.output.find("ShaderManager::release()"), std::string::npos) << "shut down in order\n" << run.output;
    }
}

// An X server of the test's own, on a display number it picks itself, to take away mid-run.
class OwnXServer {
public:
    OwnXServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        const std::string writeEnd = std::to_string(fds[1]);
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            execlp("Xvfb", "Xvfb", "-displayfd", writeEnd.c_str(), "-screen", "0", "320x240x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes the number once it takes connections.
        char number[16] = {};
        const ssize_t n = read(fds[0], number, sizeof number - 1);
        close(fds[0]);
        if (n > 0)
            display = ":" + std::to_string(std::atoi(number));
    }
    ~OwnXServer() { stop(); }
    void stop()
    {
        if (pid <= 0)
            return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    pid_t pid = -1;
    std::string display; // empty when it did not start
};

// The capture draws without any display server: none is set (a server, a render job), or the one
// set goes away in the middle of a range. Either way every frame is drawn and the exit code is 0.
TEST(ProcessFaults, TheCaptureNeedsNoDisplayAndALostOneCannotTouchIt)
{
    const fs::path folder = freshFolder("no-display");
    ProgramRun none = programRun(
        captureArguments({"--from", "95000", "--to", "95000", "--size", "160x90", "--out", (folder / "none").string()}));
    none.environment = environmentWith({"DISPLAY", "WAYLAND_DISPLAY"}, {});
    const ProgramResult alone = runProgram(none);
    ASSERT_EQ(alone.exitCode, 0) << alone.output;
    int w = 0, h = 0;
    const std::vector<unsigned char> picture = pixelsOf(folder / "none" / "frame_000000.png", w, h);
    ASSERT_EQ(w, 160) << alone.output;
    ASSERT_EQ(h, 90);
    // The jellyfish scene, not a cleared frame: its pixels differ.
    EXPECT_GT(meanDifference(picture, std::vector<unsigned char>(picture.size(), picture[0])), 1.0);

    OwnXServer server;
    ASSERT_FALSE(server.display.empty()) << "needs Xvfb";
    ProgramRun lost = programRun(captureArguments(
        {"--from", "95000", "--to", "97000", "--fps", "30", "--size", "64x36", "--out", (folder / "lost").string()}));
    lost.environment = environmentWith({"WAYLAND_DISPLAY"}, {"DISPLAY=" + server.display});
    lost.whileRunning = [&](const std::string& output) {
        if (output.find("orvalune-capture: frames") != std::string::npos)
            server.stop();
        return false;
    };
    const ProgramResult kept = runProgram(lost);
    EXPECT_EQ(server.pid, -1) << "the display was taken away mid-run\n" << kept.output;
    EXPECT_EQ(kept.exitCode, 0) << kept.output;
    EXPECT_EQ(framesIn(folder / "lost"), 61) << kept.output;
    fs::remove_all(folder);
}

// A folder of its own on a file system of a few pages: mounted for the test (root only).
class SmallDisk {
public:
    SmallDisk(const std::string& name, const char* options, unsigned long flags)
        : folder(freshFolder(name)), mounted(mount("none", folder.c_str(), "tmpfs", flags, options) == 0),
          error(mounted ? 0 : errno)
    {
    }
    ~SmallDisk()
    {
        if (mounted)
            umount2(folder.c_str(), MNT_DETACH);
        fs::remove_all(folder);
    }
    const fs::path folder;
    const bool mounted;
    const int error;
};

// A full disk and a read-only one: the reason is given once; the count is that of the frames on
// disk, and a video that was never made is not said to be removed.
TEST(ProcessFaults, AFullOrReadOnlyDiskIsNamedOnceWithOnlyWrittenFramesCounted)
{
    SmallDisk full("full-disk", "size=96k", 0);
    if (!full.mounted)
        GTEST_SKIP() << "cannot mount a small file system here: " << std::strerror(full.error);
    const ProgramResult frames = runProgram(
        captureArguments({"--from", "95000", "--to", "97000", "--fps", "30", "--size", "320x180", "--out",
                          full.folder.string()}),
        ORV_BINARY_DIR, 120.0);
    EXPECT_EQ(frames.exitCode, 1) << frames.output;
    EXPECT_EQ(countOf(frames.output, "No space left on device"), 1) << frames.output;
    const int onDisk = framesIn(full.folder);
    EXPECT_NE(frames.output.find("holds the first " + std::to_string(onDisk) + " frames, each complete"),
              std::string::npos)
        << onDisk << " frames on disk\n" << frames.output;
    const std::regex progressLine("frames ([0-9]+)/61 frames");
    for (std::sregex_iterator it(frames.output.begin(), frames.output.end(), progressLine), end; it != end; ++it)
        EXPECT_LE(std::stoi((*it)[1].str()), onDisk) << frames.output;

    SmallDisk readOnly("read-only-disk", "size=96k", MS_RDONLY);
    ASSERT_TRUE(readOnly.mounted) << std::strerror(readOnly.error);
    const ProgramResult video = runProgram(
        captureArguments({"--from", "95000", "--to", "96000", "--size", "64x36", "--out",
                          (readOnly.folder / "v.mp4").string()}),
        ORV_BINARY_DIR, 120.0);
    EXPECT_EQ(video.exitCode, 1) << video.output;
    EXPECT_NE(video.output.find("Read-only file system"), std::string::npos) << video.output;
    EXPECT_NE(video.output.find("no video was written"), std::string::npos) << video.output;
    EXPECT_EQ(video.output.find("removed"), std::string::npos) << video.output;
}

} // namespace
