// The shipped programs, run as a user runs them: the show under Xvfb and the capture tool.
#include "tests/support/pictures.h"
#include "tests/support/process.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<char> fileBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A bare X server resets whenever its last client leaves, and a program connecting at that
// moment is turned away; the window helpers below come and go. One connection held for the whole
// suite keeps the server up.
class HoldTheDisplay : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (std::getenv("DISPLAY"))
            SDL_InitSubSystem(SDL_INIT_VIDEO);
    }
    void TearDown() override
    {
        if (SDL_WasInit(SDL_INIT_VIDEO))
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};
::testing::Environment* const holdTheDisplay = ::testing::AddGlobalTestEnvironment(new HoldTheDisplay);

ProgramResult capture(const std::vector<std::string>& arguments, double timeout = 300.0)
{
    std::vector<std::string> argv = {builtProgram("orvalune-capture")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, ORV_BINARY_DIR, timeout);
}

std::string frameName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", index);
    return name;
}

// ffprobe's "key=value" lines for the streams of a file.
std::string probe(const fs::path& file)
{
    return runProgram({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                       "stream=codec_type,codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames,duration", "-of",
                       "default=nw=1", "file:" + file.string()},
                      ORV_BINARY_DIR, 60.0, 0.0, false)
        .output;
}

double probedAudioSeconds(const std::string& probed)
{
    // The duration that follows codec_type=audio.
    const size_t audio = probed.find("codec_type=audio");
    const size_t at = audio == std::string::npos ? std::string::npos : probed.find("duration=", audio);
    return at == std::string::npos ? -1.0 : std::atof(probed.c_str() + at + 9);
}

const std::string setupDialogTitle = "Velmora::Quillon - Orvalune";
const std::string messageBoxTitle = "Orvalune";
const std::string showStarted = "Your graphics cards vendor is";

// Runs `action` on the visible window of exactly that title once it shows (looking `tries`
// times, 0.2 s apart). Titles are compared by reading each window's name: xdotool's own name
// search misses the UTF-8 names of SDL's message boxes.
bool onWindowTitled(const std::string& title, const std::string& action, int tries)
{
    const std::string script =
        "for i in $(seq " + std::to_string(tries) + "); do "
        "for w in $(xdotool search --onlyvisible --maxdepth 1 --classname '.*' 2>/dev/null); do "
        "if [ \"$(xdotool getwindowname $w 2>/dev/null)\" = '" + title + "' ]; then " + action + "; exit; fi; "
        "done; sleep 0.2; done; exit 1";
    return std::system(("{ " + script + "; } >/dev/null 2>&1").c_str()) == 0;
}

// A user at the keyboard: for each (window title, keys) in turn, waits for that window, gives it
// the keyboard and types the keys through the X server, as a keyboard would. Runs beside the
// program and stops waiting once the program has ended (or after two minutes, for a machine
// loaded by builds).
std::thread keyboardUser(std::vector<std::pair<std::string, std::string>> steps, const std::atomic<bool>& programEnded)
{
    return std::thread([steps = std::move(steps), &programEnded] {
        for (const auto& [title, keys] : steps) {
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
            while (!onWindowTitled(title, "xdotool windowfocus --sync $w && xdotool key --delay 100 " + keys, 1))
                if (programEnded || std::chrono::steady_clock::now() > giveUp)
                    return;
        }
    });
}

// A message box outlives a killed program (SDL shows it from a child process): a failed run must
// not leave one for the next test to find.
void closeLeftoverWindows(const ProgramResult& run)
{
    if (!run.timedOut)
        return;
    for (const std::string& title : {setupDialogTitle, messageBoxTitle})
        while (onWindowTitled(title, "xdotool windowkill $w", 1)) {
        }
}

TEST(Show, PlayInTheDialogThenClosingTheWindowFadesOutAndExitsWithZero)
{
    ASSERT_EQ(std::system("command -v xdotool >/dev/null"), 0) << "needs xdotool";
    std::atomic<bool> ended{false};
    std::thread user = keyboardUser({{setupDialogTitle, "Return"}}, ended);
    // Closed as a window manager closes it, once the show has said it started.
    const ProgramResult run = runProgramSignalledOn({builtProgram("orvalune")}, ORV_BINARY_DIR, 300.0, showStarted);
    ended = true;
    user.join();
    closeLeftoverWindows(run);
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find(showStarted), std::string::npos) << "the show started\n" << run.output;
}

TEST(Show, QuitInTheDialogOpensNoWindowAndExitsWithZero)
{
    ASSERT_EQ(std::system("command -v xdotool >/dev/null"), 0) << "needs xdotool";
    std::atomic<bool> ended{false};
    std::thread user = keyboardUser({{setupDialogTitle, "Escape"}}, ended);
    const ProgramResult run = runProgram({builtProgram("orvalune")}, ORV_BINARY_DIR, 300.0);
    ended = true;
    user.join();
    closeLeftoverWindows(run);
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find(showStarted), std::string::npos) << run.output;
}

TEST(Show, AMissingArchiveIsNamedAndExitsWithOne)
{
    ASSERT_EQ(std::system("command -v xdotool >/dev/null"), 0) << "needs xdotool";
    const fs::path folder = freshFolder("no-archive");
    const fs::path copy = folder / "orvalune";
    fs::copy_file(builtProgram("orvalune"), copy);
    // Play, then the message box that names the archive is acknowledged with Enter.
    std::atomic<bool> ended{false};
    std::thread user = keyboardUser({{setupDialogTitle, "Return"}, {messageBoxTitle, "Return"}}, ended);
    const ProgramResult run = runProgram({copy.string()}, folder.string(), 300.0);
    ended = true;
    user.join();
    closeLeftoverWindows(run);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("data.pak"), std::string::npos) << run.output;
    fs::remove_all(folder);
}

// A data.pak that is not a file: a folder used to play a black, silent show and a pipe held both
// programs in open() for ever. The show names it in a box and ends; so does the capture, on stderr.
TEST(Show, ADataArchiveThatIsAFolderOrAPipeIsNamedAndBothProgramsEnd)
{
    ASSERT_EQ(std::system("command -v xdotool >/dev/null"), 0) << "needs xdotool";
    for (const std::string kind : {"folder", "pipe (FIFO)"}) {
        const fs::path folder = freshFolder("odd-archive");
        const fs::path copy = folder / "orvalune";
        const fs::path archive = folder / "data.pak";
        fs::copy_file(builtProgram("orvalune"), copy);
        if (kind == "folder")
            fs::create_directory(archive);
        else
            ASSERT_EQ(mkfifo(archive.c_str(), 0600), 0);
        std::atomic<bool> ended{false};
        std::thread user = keyboardUser({{messageBoxTitle, "Return"}}, ended);
        const ProgramResult run = runProgram({copy.string(), "--window", "320x240"}, folder.string(), 120.0);
        ended = true;
        user.join();
        closeLeftoverWindows(run);
        const std::string reason = "Cannot open the data archive \"" + archive.string() + "\": it is a " + kind;
        EXPECT_FALSE(run.timedOut) << run.output;
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find(reason), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find(showStarted), std::string::npos) << run.output;

        const ProgramResult captured =
            capture({"--at", "0", "--archive", archive.string(), "--out", (folder / "frames").string()}, 60.0);
        EXPECT_FALSE(captured.timedOut) << captured.output;
        EXPECT_NE(captured.exitCode, 0) << captured.output;
        EXPECT_NE(captured.output.find(kind == "folder" ? "is a folder" : reason), std::string::npos)
            << captured.output;
        fs::remove_all(folder);
    }
}

// The dialog cannot show: it says so and the program ends before anything else starts.
TEST(Show, WithoutADisplayItSaysSoAndExitsWithOne)
{
    const ProgramResult run = runProgram({builtProgram("orvalune")}, ORV_BINARY_DIR, 30.0, 0.0, false);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("setup dialog: no display"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(showStarted), std::string::npos) << run.output;
}

// Started from a menu, nobody reads standard error: the run's lines, the reason it ended
// included, stay in the log file that --help names.
TEST(Show, ARunKeepsItsLinesInTheLogFileThatHelpNames)
{
    const fs::path state = freshFolder("log-state");
    ProgramRun run;
    run.argv = {builtProgram("orvalune")};
    run.environment =
        environmentWith({"DISPLAY", "WAYLAND_DISPLAY", "XDG_STATE_HOME"}, {"XDG_STATE_HOME=" + state.string()});
    const ProgramResult result = runProgram(run);
    EXPECT_EQ(result.exitCode, 1) << result.output;
    const std::vector<char> bytes = fileBytes(state / "orvalune" / "orvalune.log");
    const std::string log(bytes.begin(), bytes.end());
    EXPECT_NE(log.find("] orvalune "), std::string::npos) << log;
    EXPECT_NE(log.find("Orvalune: Cannot show the setup dialog: no display"), std::string::npos) << log;
    const ProgramResult help = runProgram({builtProgram("orvalune"), "--help"}, ORV_BINARY_DIR, 30.0, 0.0, false);
    EXPECT_NE(help.output.find("$XDG_STATE_HOME/orvalune/"), std::string::npos) << help.output;
    fs::remove_all(state);
}

TEST(Capture, OneFrameIsOnePictureOfTheChosenSizeAndTheSameEveryTime)
{
    const fs::path first = freshFolder("capture-a"), second = freshFolder("capture-b");
    for (const fs::path& out : {first, second}) {
        const ProgramResult run = runProgram(
            {builtProgram("orvalune-capture"), "--at", "5000", "--size", "320x240", "--out", out.string()}, ORV_BINARY_DIR,
            120.0);
        ASSERT_EQ(run.exitCode, 0) << run.output;
    }
    std::vector<fs::path> pictures;
    for (const auto& entry : fs::directory_iterator(first))
        pictures.push_back(entry.path());
    ASSERT_EQ(pictures.size(), 1u);
    int w = 0, h = 0, channels = 0;
    ASSERT_TRUE(stbi_info(pictures[0].c_str(), &w, &h, &channels));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    int loadedChannels = 0;
    unsigned char* pixels = stbi_load(pictures[0].c_str(), &w, &h, &loadedChannels, 4);
    ASSERT_NE(pixels, nullptr);
    bool opaque = true;
    for (int i = 3; i < w * h * 4; i += 4)
        opaque = opaque && pixels[i] == 255;
    stbi_image_free(pixels);
    EXPECT_TRUE(opaque) << "a captured picture is what a viewer sees: no alpha";
    EXPECT_EQ(fileBytes(pictures[0]), fileBytes(second / pictures[0].filename())) << "the same time, the same picture";
    fs::remove_all(first);
    fs::remove_all(second);
}

TEST(Capture, ARangeWritesEveryFrameAndBadInputIsRefused)
{
    const fs::path out = freshFolder("capture-range");
    const ProgramResult range = runProgram(
        {builtProgram("orvalune-capture"), "--from", "1000", "--to", "1500", "--fps", "10", "--size", "64x48", "--out",
         out.string()},
        ORV_BINARY_DIR, 120.0);
    ASSERT_EQ(range.exitCode, 0) << range.output;
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 6);

    const ProgramResult backwards = runProgram(
        {builtProgram("orvalune-capture"), "--from", "2000", "--to", "1000", "--out", out.string()}, ORV_BINARY_DIR, 30.0);
    EXPECT_EQ(backwards.exitCode, 2);

    const fs::path notZip = out / "broken.pak";
    std::ofstream(notZip) << "this is not a zip archive";
    const ProgramResult broken = runProgram(
        {builtProgram("orvalune-capture"), "--at", "0", "--archive", notZip.string(), "--out", (out / "other").string()},
        ORV_BINARY_DIR, 30.0, 0.0, false);
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.output.find("broken.pak"), std::string::npos) << broken.output;
    fs::remove_all(out);
}

// The video path reaches ffmpeg as one argument: quotes, spaces, shell syntax and a leading dash
// are parts of a file name, never commands or options.
TEST(Capture, AVideoGoesToAnyPathWithTheMusic)
{
    const fs::path folder = freshFolder("capture video");
    const fs::path video = folder / "-it's $(touch pwned) a video.mp4";
    const ProgramResult run = runProgram(
        {builtProgram("orvalune-capture"), "--from", "1000", "--to", "1500", "--fps", "10", "--size", "64x48", "--out",
         video.string()},
        ORV_BINARY_DIR, 120.0);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_TRUE(fs::exists(video)) << run.output;
    EXPECT_FALSE(fs::exists(fs::path(ORV_BINARY_DIR) / "pwned"));
    EXPECT_FALSE(fs::exists(folder / "pwned"));
    const ProgramResult probe = runProgram({"ffprobe", "-v", "error", "-show_entries", "stream=codec_type", "-of",
                                            "csv=p=0", "file:" + video.string()},
                                           ORV_BINARY_DIR, 30.0, 0.0, false);
    EXPECT_NE(probe.output.find("video"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("audio"), std::string::npos) << probe.output;
    fs::remove_all(folder);
}

// An ffmpeg that takes a few frames, writes part of a file and dies: the capture says so, removes
// the partial file and ends with a failure, without waiting for ever on a writer nobody reads.
TEST(Capture, AnEncoderThatDiesMidwayIsReportedAndLeavesNoFile)
{
    const fs::path folder = freshFolder("capture dying encoder");
    const fs::path bin = folder / "bin";
    fs::create_directories(bin);
    {
        std::ofstream fake(bin / "ffmpeg");
        fake << "#!/bin/sh\n"
                "case \"$*\" in *-encoders*) echo ' V..... libx264 H.264'; echo ' A..... aac AAC'; exit 0;; esac\n"
                "for last; do :; done\n"
                "out=${last#file:}\n"
                "head -c 100000 > \"$out\"\n"
                "exit 1\n";
    }
    fs::permissions(bin / "ffmpeg", fs::perms::owner_all);
    const char* path = std::getenv("PATH");
    ProgramRun run;
    run.argv = {builtProgram("orvalune-capture"), "--from", "1000", "--to", "4000", "--fps", "30", "--size", "320x240",
                "--out", (folder / "cut.mp4").string()};
    run.environment = environmentWith({"PATH"}, {"PATH=" + bin.string() + ":" + (path ? path : "/usr/bin:/bin")});
    run.timeoutSeconds = 120.0;
    const ProgramResult result = runProgram(run);
    EXPECT_FALSE(result.timedOut) << result.output;
    EXPECT_NE(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("ffmpeg stopped taking frames"), std::string::npos) << result.output;
    EXPECT_FALSE(fs::exists(folder / "cut.mp4")) << "the partial file is removed";
    fs::remove_all(folder);
}

// The show from the command line skips the dialog: a window of that size at that music time,
// then Escape fades out and the program exits with 0.
TEST(Show, AWindowFromTheCommandLineStartsAtTheGivenTimeAndEscapeEndsIt)
{
    ASSERT_EQ(std::system("command -v xdotool >/dev/null"), 0) << "needs xdotool";
    const fs::path folder = freshFolder("show-start");
    const fs::path shot = folder / "shot.png";
    // A second of the show, a screenshot of the window, then Escape held for a few frames.
    std::thread user([&] {
        onWindowTitled("Velmora.Quillon :: Orvalune",
                       "sleep 1.5; eval $(xdotool getwindowgeometry --shell $w); "
                       "ffmpeg -v error -y -f x11grab -video_size ${WIDTH}x${HEIGHT} -i \"$DISPLAY+$X,$Y\" "
                       "-frames:v 1 '" + shot.string() + "'; "
                       "xdotool windowfocus --sync $w; xdotool keydown Escape; sleep 0.6; xdotool keyup Escape",
                       600); // up to 2 minutes for the window: bounds a failing run only
    });
    const ProgramResult run = runProgram({builtProgram("orvalune"), "--window", "640x480", "--start", "95000"},
                                         ORV_BINARY_DIR, 90.0);
    user.join();
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("Exception"), std::string::npos) << run.output;
    // The log's last line carries the music time at shutdown: past 95 s, a few seconds later.
    const size_t last = run.output.rfind("] ShaderManager::release()");
    ASSERT_NE(last, std::string::npos) << run.output;
    const double endSeconds = std::atof(run.output.c_str() + run.output.rfind('[', last) + 1);
    EXPECT_GT(endSeconds, 95.5) << run.output;
    EXPECT_LT(endSeconds, 95.0 + 60.0) << run.output;

    // The window shows the jellyfish scene: like the captured frame of that moment, not the
    // opening the show starts with.
    int w = 0, h = 0, cw = 0, ch = 0;
    const std::vector<unsigned char> screen = pixelsOf(shot, w, h);
    ASSERT_EQ(w, 640) << "no screenshot of the window";
    ASSERT_EQ(h, 480);
    const fs::path frames = freshFolder("show-start-frame");
    ASSERT_EQ(capture({"--at", "96500", "--runup", "1500", "--fps", "30", "--size", "640x480", "--out", frames.string()}).exitCode, 0);
    const std::vector<unsigned char> captured = pixelsOf(frames / "at_096500.png", cw, ch);
    const fs::path opening = freshFolder("show-start-opening");
    ASSERT_EQ(capture({"--at", "1500", "--fps", "30", "--size", "640x480", "--out", opening.string()}).exitCode, 0);
    const std::vector<unsigned char> first = pixelsOf(opening / "at_001500.png", cw, ch);
    EXPECT_LT(meanDifference(screen, captured), meanDifference(screen, first));
    EXPECT_LT(meanDifference(screen, captured), 12.0);
    for (const fs::path& f : {folder, frames, opening})
        fs::remove_all(f);
}

TEST(Show, HelpAndBadFlags)
{
    const ProgramResult help = runProgram({builtProgram("orvalune"), "--help"}, ORV_BINARY_DIR, 10.0, 0.0, false);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("--window WxH"), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("--start MS"), std::string::npos) << help.output;
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--window", "640x480junk"}, {"--frobnicate"}, {"--start", "later"}}) {
        std::vector<std::string> argv = {builtProgram("orvalune")};
        argv.insert(argv.end(), bad.begin(), bad.end());
        const ProgramResult run = runProgram(argv, ORV_BINARY_DIR, 10.0, 0.0, false);
        EXPECT_EQ(run.exitCode, 2) << bad[0];
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
        EXPECT_NE(run.output.find(bad.size() > 1 ? bad[1] : bad[0]), std::string::npos) << run.output;
    }
}

// A single frame is played from the start of the earliest scene live then, and equals the same
// frame of a range played from there, to the byte; --seek keeps the picture right after a seek.
TEST(Capture, APlayedFrameEqualsThatFrameOfAPlayedRangeAndSeekKeepsTheSeekedPicture)
{
    const fs::path played = freshFolder("played"), range = freshFolder("played-range"), seek = freshFolder("seeked");
    const fs::path seekRange = freshFolder("seeked-range");
    const std::vector<std::string> small = {"--fps", "10", "--size", "96x54"};
    auto with = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), small.begin(), small.end());
        return arguments;
    };
    // The plankton descent (its sprites are born over time), and the spray, whose zoom trail
    // carries pictures from frame to frame.
    for (const auto& [at, from] : {std::pair{50000, 8000}, std::pair{206000, 204000}}) {
        const std::string atText = std::to_string(at);
        fs::remove_all(played);
        fs::remove_all(range);
        const ProgramResult single = capture(with({"--at", atText, "--out", played.string()}));
        ASSERT_EQ(single.exitCode, 0) << single.output;
        EXPECT_NE(single.output.find("playing from " + std::to_string(from) + " ms"), std::string::npos) << single.output;
        const ProgramResult ranged =
            capture(with({"--from", std::to_string(from), "--to", atText, "--out", range.string()}), 600.0);
        ASSERT_EQ(ranged.exitCode, 0) << ranged.output;
        const fs::path picture = played / ("at_" + std::string(6 - atText.size(), '0') + atText + ".png");
        int w = 0, h = 0, rw = 0, rh = 0;
        const std::vector<unsigned char> a = pixelsOf(picture, w, h);
        const std::vector<unsigned char> b = pixelsOf(range / frameName((at - from) / 100), rw, rh);
        ASSERT_FALSE(a.empty());
        EXPECT_TRUE(a == b) << "at " << at << ": differs from frame " << (at - from) / 100 << " of the range";
        if (at != 50000)
            continue;
        ASSERT_EQ(capture(with({"--at", atText, "--seek", "--out", seek.string()})).exitCode, 0);
        ASSERT_EQ(capture(with({"--from", atText, "--to", atText, "--out", seekRange.string()})).exitCode, 0);
        const std::vector<unsigned char> seeked = pixelsOf(seek / picture.filename(), w, h);
        EXPECT_TRUE(seeked == pixelsOf(seekRange / frameName(0), rw, rh));
        EXPECT_FALSE(seeked == a) << "a played frame shows what was born before it";
    }
    for (const fs::path& f : {played, range, seek, seekRange})
        fs::remove_all(f);
}

// Two seconds of the show as mp4: the size, frame count and rate asked for, H.264 in yuv420p with
// the index first, the music exactly as long; its first frame is the PNG of that time.
TEST(Capture, ATwoSecondMp4IsWhatWasAskedForAndPlaysEverywhere)
{
    const fs::path folder = freshFolder("mp4");
    const fs::path temporary = freshFolder("mp4-tmp");
    const fs::path video = folder / "two seconds.mp4";
    const ProgramResult run = runProgram({"env", "TMPDIR=" + temporary.string(), builtProgram("orvalune-capture"),
                                          "--from", "95000", "--to", "96990", "--fps", "30", "--size", "160x90",
                                          "--out", video.string()},
                                         ORV_BINARY_DIR, 300.0);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(fs::is_empty(temporary)) << "nothing left in the temporary folder";
    const std::string probed = probe(video);
    for (const char* line : {"codec_name=h264", "width=160", "height=90", "pix_fmt=yuv420p", "r_frame_rate=30/1",
                             "nb_read_frames=60", "codec_type=audio"})
        EXPECT_NE(probed.find(line), std::string::npos) << line << "\n" << probed;
    EXPECT_NEAR(probedAudioSeconds(probed), 2.0, 0.03) << probed;
    const std::vector<char> bytes = fileBytes(video);
    const std::string head(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 4096));
    EXPECT_NE(head.find("moov"), std::string::npos) << "+faststart puts the index first";

    const fs::path first = folder / "first.png";
    ASSERT_EQ(runProgram({"ffmpeg", "-v", "error", "-i", "file:" + video.string(), "-frames:v", "1", first.string()},
                         ORV_BINARY_DIR, 60.0, 0.0, false)
                  .exitCode,
              0);
    const fs::path png = folder / "png";
    ASSERT_EQ(capture({"--from", "95000", "--to", "95000", "--size", "160x90", "--out", png.string()}).exitCode, 0);
    int w = 0, h = 0, pw = 0, ph = 0;
    EXPECT_LT(meanDifference(pixelsOf(first, w, h), pixelsOf(png / frameName(0), pw, ph)), 4.0);

    // The other containers with codecs they can hold.
    for (const auto& [name, codecs] : {std::pair<std::string, std::vector<std::string>>{"v.mkv", {"h264", "aac"}},
                                       {"v.webm", {"vp9", "opus"}}}) {
        const ProgramResult other = capture({"--from", "95000", "--to", "95500", "--fps", "10", "--size", "64x36",
                                             "--out", (folder / name).string()});
        ASSERT_EQ(other.exitCode, 0) << other.output;
        const std::string streams = probe(folder / name);
        for (const std::string& codec : codecs)
            EXPECT_NE(streams.find("codec_name=" + codec), std::string::npos) << name << "\n" << streams;
    }
    fs::remove_all(folder);
    fs::remove_all(temporary);
}

// Interrupted, the capture says where it stopped and leaves only complete output.
TEST(Capture, ASignalInTheMiddleStopsCleanly)
{
    const fs::path folder = freshFolder("interrupted");
    const ProgramResult frames = runProgram({builtProgram("orvalune-capture"), "--from", "0", "--to", "60000", "--fps",
                                             "30", "--size", "320x180", "--out", folder.string()},
                                            ORV_BINARY_DIR, 120.0, 6.0, true, SIGINT);
    EXPECT_EQ(frames.exitCode, 128 + SIGINT) << frames.output;
    EXPECT_NE(frames.output.find("stopped by SIGINT"), std::string::npos) << frames.output;
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().extension(), ".png") << "no half-written file: " << entry.path();
        ++count;
    }
    EXPECT_GT(count, 0) << frames.output;
    for (int i = 0; i < count; ++i) {
        int w = 0, h = 0;
        EXPECT_FALSE(pixelsOf(folder / frameName(i), w, h).empty()) << frameName(i) << " complete";
    }

    const fs::path temporary = freshFolder("interrupted-tmp");
    const fs::path video = folder / "cut.mp4";
    const ProgramResult cut = runProgram({"env", "TMPDIR=" + temporary.string(), builtProgram("orvalune-capture"),
                                         "--from", "0", "--to", "60000", "--fps", "30", "--size", "320x180", "--out",
                                         video.string()},
                                        ORV_BINARY_DIR, 120.0, 6.0, true, SIGTERM);
    EXPECT_EQ(cut.exitCode, 128 + SIGTERM) << cut.output;
    EXPECT_NE(cut.output.find("stopped by SIGTERM"), std::string::npos) << cut.output;
    if (fs::exists(video)) {
        EXPECT_NE(cut.output.find("plays"), std::string::npos) << cut.output;
        EXPECT_NE(probe(video).find("codec_name=h264"), std::string::npos) << "what was rendered plays";
    } else {
        EXPECT_NE(cut.output.find("removed"), std::string::npos) << cut.output;
    }
    EXPECT_TRUE(fs::is_empty(temporary));
    fs::remove_all(folder);
    fs::remove_all(temporary);
}

TEST(Capture, AFolderWithFramesIsNotMixedWithAnotherRun)
{
    const fs::path folder = freshFolder("twice");
    const std::vector<std::string> longer = {"--from", "1000", "--to", "1500", "--fps", "10", "--size", "64x36", "--out", folder.string()};
    ASSERT_EQ(capture(longer).exitCode, 0);
    const ProgramResult again = capture({"--from", "2000", "--to", "2200", "--fps", "10", "--size", "64x36", "--out", folder.string()});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_NE(again.output.find("already holds frames"), std::string::npos) << again.output;
    EXPECT_NE(again.output.find("--force"), std::string::npos) << again.output;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 6);
    // --force replaces them: only this run's three frames remain.
    ASSERT_EQ(capture({"--from", "2000", "--to", "2200", "--fps", "10", "--size", "64x36", "--force", "--out", folder.string()}).exitCode, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
    fs::remove_all(folder);
}

// Refused before anything starts: a clear line, exit code 2 (1 for a missing ffmpeg), no window.
TEST(Capture, UnusableArgumentsAreRefusedUpFront)
{
    const fs::path folder = freshFolder("refused");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--at", "0", "--archive", folder.string(), "--out", (folder / "a").string()}, "is a folder"},
        {{"--at", "0", "--archive", "", "--out", (folder / "a").string()}, "--archive"},
        {{"--at", "0", "--size", "320x180junk", "--out", (folder / "a").string()}, "320x180junk"},
        {{"--at", "400000", "--out", (folder / "a").string()}, "past the end"},
        {{"--from", "0", "--to", "100", "--size", "65x36", "--out", (folder / "a.webm").string()}, "even"},
        {{"--from", "0", "--to", "100", "--out", (folder / "nowhere" / "a.mp4").string()}, "does not exist"},
    };
    for (const auto& [arguments, words] : cases) {
        const ProgramResult run = capture(arguments, 30.0);
        EXPECT_EQ(run.exitCode, 2) << run.output;
        EXPECT_NE(run.output.find(words), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find(showStarted), std::string::npos) << run.output;
    }
    const ProgramResult noFfmpeg = runProgram({"env", "PATH=" + folder.string(), builtProgram("orvalune-capture"),
                                               "--from", "0", "--to", "100", "--out", (folder / "a.mp4").string()},
                                              ORV_BINARY_DIR, 30.0);
    EXPECT_EQ(noFfmpeg.exitCode, 1) << noFfmpeg.output;
    EXPECT_NE(noFfmpeg.output.find("needs ffmpeg"), std::string::npos) << noFfmpeg.output;
    EXPECT_EQ(noFfmpeg.output.find(showStarted), std::string::npos) << "no frame before the message";
    EXPECT_TRUE(fs::is_empty(folder));
    fs::remove_all(folder);
}

} // namespace

namespace {

// The frames a capture wrote into a fresh folder, decoded; empty pictures when it failed.
std::vector<std::vector<unsigned char>> capturedFrames(const std::string& name, const std::vector<std::string>& arguments,
                                                        int frames)
{
    const fs::path folder = freshFolder(name);
    std::vector<std::string> argv = arguments;
    argv.insert(argv.end(), {"--out", folder.string()});
    const ProgramResult run = capture(argv);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    std::vector<std::vector<unsigned char>> pictures;
    for (int i = 0; i < frames; ++i) {
        int w = 0, h = 0;
        pictures.push_back(pixelsOf(folder / frameName(i), w, h));
    }
    fs::remove_all(folder);
    return pictures;
}

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Jellyfish bodies and swimmers drawn straight into the window, letterboxed (170x90 holds a
// 160x90 picture at 16:9).
const std::vector<std::string> jellyfish = {"--from", "96000", "--to", "96100", "--fps", "10", "--size", "170x90"};

} // namespace

// The same options give the same pixels on every run; one sample and one sub-frame are today's
// frames, byte for byte; and a supersampled frame is the same picture, differing only at edges.
TEST(Capture, MastersAreTheSamePictureEveryRunAndOneOfEachIsTodays)
{
    const auto plain = capturedFrames("plain", jellyfish, 2);
    ASSERT_FALSE(plain[1].empty());
    EXPECT_EQ(capturedFrames("ones", with(jellyfish, {"--supersample", "1", "--motion-blur", "1"}), 2), plain);
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--supersample", "2"}, {"--motion-blur", "3", "--shutter", "0.8"},
          {"--supersample", "3", "--motion-blur", "2", "--average-in", "stored"}}) {
        const auto first = capturedFrames("master-a", with(jellyfish, options), 2);
        ASSERT_FALSE(first[1].empty()) << options[0];
        EXPECT_EQ(capturedFrames("master-b", with(jellyfish, options), 2), first) << options[0];
        EXPECT_NE(first, plain) << options[0];
    }
    const auto sharper = capturedFrames("sharper", with(jellyfish, {"--supersample", "2"}), 1);
    EXPECT_LT(meanDifference(sharper[0], plain[0]), 2.0) << "the same picture: the projection and letterbox scale";
}

// Two sub-frames over the whole interval are the two frames a capture at twice the rate draws:
// the same simulation, averaged.
TEST(Capture, ABlurredFrameAveragesTheFramesOfACaptureAtTheSubFrameRate)
{
    const auto fast = capturedFrames("fast", {"--from", "96000", "--to", "96050", "--fps", "20", "--size", "96x54"}, 2);
    const auto blurred = capturedFrames("blurred", {"--from", "96000", "--to", "96000", "--fps", "10", "--size", "96x54",
                                                    "--motion-blur", "2", "--shutter", "1", "--average-in", "stored"}, 1);
    ASSERT_FALSE(fast[1].empty());
    ASSERT_EQ(blurred[0].size(), fast[0].size());
    ASSERT_NE(fast[0], fast[1]) << "something moves";
    std::vector<unsigned char> average(fast[0].size());
    for (size_t i = 0; i < average.size(); ++i)
        average[i] = static_cast<unsigned char>((fast[0][i] + fast[1][i] + 1) / 2);
    EXPECT_EQ(blurred[0], average);
}

// The archive copy: FFV1 in Matroska with FLAC, lossless (its first frame is the PNG capture's),
// and a sidecar naming the options, the archive's checksum and the frames; H.264 at 4:4:4 and 10
// bits beside it.
TEST(Capture, AMasterIsALosslessMkvWithItsSidecar)
{
    const fs::path folder = freshFolder("master");
    const std::vector<std::string> master = {"--from", "95000", "--to", "95300", "--fps", "10", "--size", "96x54",
                                             "--supersample", "2", "--motion-blur", "2"};
    const fs::path mkv = folder / "master.mkv";
    const ProgramResult run = capture(with(master, {"--codec", "ffv1", "--out", mkv.string()}));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string probed = probe(mkv);
    for (const char* line : {"codec_name=ffv1", "pix_fmt=bgr0", "nb_read_frames=4", "codec_name=flac"})
        EXPECT_NE(probed.find(line), std::string::npos) << line << "\n" << probed;

    const std::vector<char> json = fileBytes(folder / "master.json");
    const std::string sidecar(json.begin(), json.end());
    const std::string sum = runProgram({"sha256sum", std::string(ORV_BINARY_DIR) + "/data.pak"}, ORV_BINARY_DIR, 30.0,
                                       0.0, false)
                                .output.substr(0, 64);
    for (const std::string& part : {std::string("\"frames\": 4"), std::string("\"supersample\": 2"),
                                    std::string("\"motion_blur\": 2"), std::string("\"codec\": \"ffv1\""),
                                    "\"archive_sha256\": \"" + sum + "\""})
        EXPECT_NE(sidecar.find(part), std::string::npos) << part << "\n" << sidecar;

    const fs::path first = folder / "first.png";
    ASSERT_EQ(runProgram({"ffmpeg", "-v", "error", "-i", "file:" + mkv.string(), "-frames:v", "1", first.string()},
                         ORV_BINARY_DIR, 60.0, 0.0, false)
                  .exitCode,
              0);
    int w = 0, h = 0;
    EXPECT_EQ(pixelsOf(first, w, h), capturedFrames("master-png", master, 1)[0]) << "lossless";

    const fs::path mp4 = folder / "master444.mp4";
    ASSERT_EQ(capture(with(master, {"--pix-fmt", "yuv444p10le", "--out", mp4.string()})).exitCode, 0);
    EXPECT_NE(probe(mp4).find("pix_fmt=yuv444p10le"), std::string::npos) << probe(mp4);
    EXPECT_TRUE(fs::exists(folder / "master444.json"));
    fs::remove_all(folder);
}

namespace {

// Every 2x2 block of an RGBA picture averaged into one pixel.
std::vector<unsigned char> halved(const std::vector<unsigned char>& rgba, int width, int height)
{
    std::vector<unsigned char> out(static_cast<size_t>(width / 2) * (height / 2) * 4);
    for (int y = 0; y < height / 2; ++y)
        for (int x = 0; x < width / 2; ++x)
            for (int c = 0; c < 4; ++c) {
                const auto at = [&](int dx, int dy) { return rgba[((2 * y + dy) * width + 2 * x + dx) * 4 + c]; };
                out[(y * (width / 2) + x) * 4 + c] =
                    static_cast<unsigned char>((at(0, 0) + at(1, 0) + at(0, 1) + at(1, 1) + 2) / 4);
            }
    return out;
}

// Mean absolute 4-neighbour Laplacian of the green channel: how much fine detail a picture holds.
double detail(const std::vector<unsigned char>& rgba, int width, int height)
{
    double total = 0.0;
    const auto g = [&](int x, int y) { return static_cast<double>(rgba[(y * width + x) * 4 + 1]); };
    for (int y = 1; y + 1 < height; ++y)
        for (int x = 1; x + 1 < width; ++x)
            total += std::abs(4 * g(x, y) - g(x - 1, y) - g(x + 1, y) - g(x, y - 1) - g(x, y + 1));
    return total / ((width - 2) * (height - 2));
}

} // namespace

// The ropes drawn at twice the size with targets that grow with it (2048 and 1024, the lines in
// them twice as wide), halved, are the frame drawn at the show's size within a few levels; at
// full size they hold far more detail than the same frame drawn into the show's own targets.
TEST(Capture, ScaledTargetsKeepThePictureAndAddDetail)
{
    const std::vector<std::string> ropes = {"--from", "230000", "--to", "230000"};
    const auto shows = capturedFrames("targets-1x", with(ropes, {"--size", "1280x720"}), 1)[0];
    const auto large = capturedFrames("targets-kept", with(ropes, {"--size", "2560x1440"}), 1)[0];
    const auto scaled = capturedFrames("targets-2x", with(ropes, {"--size", "2560x1440", "--scale-targets"}), 1)[0];
    ASSERT_FALSE(shows.empty() || large.empty() || scaled.empty());
    EXPECT_LT(meanDifference(halved(scaled, 2560, 1440), shows), 3.0) << "the same picture";
    EXPECT_GT(detail(scaled, 2560, 1440), 1.3 * detail(large, 2560, 1440)) << "sharper than the show's targets allow";
}
