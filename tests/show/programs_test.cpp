// The shipped programs, run as a user runs them: the show under Xvfb and the capture tool.
#include "tests/support/process.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path freshFolder(const std::string& name)
{
    const fs::path folder = fs::temp_directory_path() / ("orvalune-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

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

// The dialog cannot show: it says so and the program ends before anything else starts.
TEST(Show, WithoutADisplayItSaysSoAndExitsWithOne)
{
    const ProgramResult run = runProgram({builtProgram("orvalune")}, ORV_BINARY_DIR, 30.0, 0.0, false);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("setup dialog: no display"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(showStarted), std::string::npos) << run.output;
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
        {builtProgram("orvalune-capture"), "--at", "0", "--archive", notZip.string(), "--out", out.string()},
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

} // namespace
