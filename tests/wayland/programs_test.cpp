// The show and its dialog on Wayland: a weston nested in the tests' X server (started by
// test.sh), its clients with WAYLAND_DISPLAY and no DISPLAY. Keys are typed and the screen is
// read on the X display, where weston's window shows what its clients draw.
#include "tests/support/pictures.h"
#include "tests/support/process.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string showStarted = "Your graphics cards vendor is";
const std::string shadersBuilt = "ShaderManager instance created";
const std::string shutDown = "] ShaderManager::release()";

struct Nested {
    std::string wayland, runtimeDir, x, failure;
};

// The compositor test.sh started, or why there is none.
const Nested& nested()
{
    static const Nested found = [] {
        Nested n;
        const char* wayland = std::getenv("ORV_TEST_WAYLAND_DISPLAY");
        const char* runtimeDir = std::getenv("ORV_TEST_WAYLAND_RUNTIME_DIR");
        const char* x = std::getenv("ORV_TEST_X_DISPLAY");
        if (const char* failure = std::getenv("ORV_TEST_WAYLAND_FAILURE"))
            n.failure = failure;
        else if (!wayland || !runtimeDir || !x)
            n.failure = "no nested weston: ORV_TEST_WAYLAND_DISPLAY, ORV_TEST_WAYLAND_RUNTIME_DIR and ORV_TEST_X_DISPLAY "
                        "are set by ./test.sh";
        else if (!fs::exists(fs::path(runtimeDir) / wayland))
            n.failure = std::string("weston's socket ") + runtimeDir + "/" + wayland + " is gone";
        else
            n = {wayland, runtimeDir, x, {}};
        return n;
    }();
    return found;
}

// Whatever chooses a window system in the caller's environment is left out; each child gets
// exactly the one it needs.
const std::vector<std::string> windowSystemVariables = {"DISPLAY",         "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR",
                                                        "XAUTHORITY",      "GDK_BACKEND",     "SDL_VIDEODRIVER",
                                                        "ORVALUNE_VIDEO"};

std::vector<std::string> onWayland(std::vector<std::string> added = {})
{
    added.push_back("WAYLAND_DISPLAY=" + nested().wayland);
    added.push_back("XDG_RUNTIME_DIR=" + nested().runtimeDir);
    added.push_back("LP_NUM_THREADS=2");
    return environmentWith(windowSystemVariables, added);
}

std::vector<std::string> onX() { return environmentWith(windowSystemVariables, {"DISPLAY=" + nested().x}); }

ProgramResult xTool(const std::vector<std::string>& argv)
{
    ProgramRun run;
    run.argv = argv;
    run.environment = onX();
    run.timeoutSeconds = 30.0;
    return runProgram(run);
}

// Keys typed on the X display go to the window with the input focus: weston's, whatever earlier
// tests on the display left focused.
ProgramResult typeToCompositor(std::vector<std::string> xdotoolCommand)
{
    xTool({"xdotool", "search", "--class", "^Weston Compositor$", "windowfocus", "--sync"});
    xdotoolCommand.insert(xdotoolCommand.begin(), "xdotool");
    return xTool(xdotoolCommand);
}

void holdEscape()
{
    typeToCompositor({"keydown", "Escape"});
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    xTool({"xdotool", "keyup", "Escape"});
}

struct Area {
    int x = 0, y = 0, width = 0, height = 0;
};

int shellValue(const std::string& text, const std::string& name)
{
    const size_t at = text.find("\n" + name + "=");
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + name.size() + 2);
}

// Where weston's output sits on the X screen.
Area compositorArea()
{
    static const Area area = [] {
        const ProgramResult found =
            xTool({"xdotool", "search", "--class", "^Weston Compositor$", "getwindowgeometry", "--shell"});
        const std::string text = "\n" + found.output;
        return Area{shellValue(text, "X"), shellValue(text, "Y"), shellValue(text, "WIDTH"), shellValue(text, "HEIGHT")};
    }();
    return area;
}

// What the compositor shows, read back through the X server (xwd of the root window, cut to
// weston's output): RGBA, top row first; empty when it could not be read.
std::vector<unsigned char> compositorPicture(const fs::path& folder)
{
    const Area a = compositorArea();
    if (a.width <= 0 || a.height <= 0)
        return {};
    const fs::path dump = folder / "screen.xwd", png = folder / "screen.png";
    fs::remove(png);
    if (xTool({"xwd", "-root", "-silent", "-out", dump.string()}).exitCode != 0)
        return {};
    const std::string crop = "crop=" + std::to_string(a.width) + ":" + std::to_string(a.height) + ":" +
                             std::to_string(a.x) + ":" + std::to_string(a.y);
    runProgram({"ffmpeg", "-v", "error", "-y", "-i", dump.string(), "-vf", crop, png.string()}, ORV_BINARY_DIR, 60.0, 0.0,
               false);
    int w = 0, h = 0;
    return pixelsOf(png.string(), w, h);
}

// True once the compositor shows something over its bare desktop: a window has opened.
bool windowShown(const fs::path& folder, const std::vector<unsigned char>& desktop)
{
    return meanDifference(compositorPicture(folder), desktop) > 2.0;
}

double meanBrightness(const std::vector<unsigned char>& rgba)
{
    double sum = 0.0;
    for (size_t i = 0; i < rgba.size(); ++i)
        if (i % 4 != 3)
            sum += rgba[i];
    return rgba.empty() ? 0.0 : sum / (static_cast<double>(rgba.size()) * 0.75);
}

// The display modes SDL itself reports on the compositor, in its order.
std::vector<SDL_DisplayMode> sdlWaylandModes()
{
    setenv("WAYLAND_DISPLAY", nested().wayland.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", nested().runtimeDir.c_str(), 1);
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
    std::vector<SDL_DisplayMode> modes;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return modes;
    for (int i = 0; i < SDL_GetNumDisplayModes(0); ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0 && SDL_BYTESPERPIXEL(mode.format) == 4 && mode.w >= 640)
            modes.push_back(mode);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return modes;
}

double endSeconds(const std::string& output)
{
    const size_t last = output.rfind(shutDown);
    return last == std::string::npos ? -1.0 : std::atof(output.c_str() + output.rfind('[', last) + 1);
}

#define REQUIRE_COMPOSITOR() ASSERT_TRUE(nested().failure.empty()) << nested().failure

TEST(Wayland, TheDialogListsSdlsModesAndPlayByKeyboardStartsTheShowOnWayland)
{
    REQUIRE_COMPOSITOR();
    const std::vector<SDL_DisplayMode> modes = sdlWaylandModes();
    ASSERT_GE(modes.size(), 2u) << "SDL lists the compositor's emulated modes";
    // The dialog preselects the last 1024x768 (else the first); Down picks the one after it.
    size_t preselected = 0;
    for (size_t i = 0; i < modes.size(); ++i)
        if (modes[i].w == 1024 && modes[i].h == 768)
            preselected = i;
    const SDL_DisplayMode& picked = modes[std::min(preselected + 1, modes.size() - 1)];

    const fs::path folder = freshFolder("wayland-dialog");
    const std::vector<unsigned char> desktop = compositorPicture(folder);
    ASSERT_FALSE(desktop.empty()) << "xwd cannot read weston's window on " << nested().x;
    bool typed = false, escaped = false;
    ProgramRun run;
    run.argv = {builtProgram("orvalune")};
    run.environment = onWayland();
    run.timeoutSeconds = 300.0;
    run.whileRunning = [&](const std::string& output) {
        if (!typed && windowShown(folder, desktop)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            typed = typeToCompositor({"key", "--delay", "150", "Down", "Return"}).exitCode == 0;
        } else if (typed && !escaped && output.find(shadersBuilt) != std::string::npos) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            holdEscape();
            escaped = true;
        }
        return false;
    };
    const ProgramResult result = runProgram(run);
    EXPECT_TRUE(typed) << "the dialog never showed\n" << result.output;
    EXPECT_FALSE(result.timedOut) << result.output;
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("Video driver wayland\n"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Renderer llvmpipe"), std::string::npos) << result.output;
    const std::string size = "Drawable " + std::to_string(picked.w) + "x" + std::to_string(picked.h) + "\n";
    EXPECT_NE(result.output.find(size), std::string::npos) << "the second mode SDL lists\n" << result.output;
    EXPECT_GT(endSeconds(result.output), 0.0) << "shut down after the fade\n" << result.output;
    fs::remove_all(folder);
}

// A window keeps its size; full screen in an 800x600 mode is that mode (the compositor scales
// it); a closed session (SIGTERM) fades out and exits with 0 like Escape.
TEST(Wayland, AWindowAndAModeFullScreenDrawAtTheirSizes)
{
    REQUIRE_COMPOSITOR();
    for (const auto& [arguments, size] :
         {std::pair<std::vector<std::string>, std::string>{{"--window", "640x480"}, "Drawable 640x480\n"},
          {{"--fullscreen", "--window", "800x600"}, "Drawable 800x600, full screen\n"}}) {
        ProgramRun run;
        run.argv = {builtProgram("orvalune")};
        run.argv.insert(run.argv.end(), arguments.begin(), arguments.end());
        run.environment = onWayland();
        run.timeoutSeconds = 300.0;
        run.signalOnOutput = shadersBuilt;
        const ProgramResult result = runProgram(run);
        EXPECT_FALSE(result.timedOut) << result.output;
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_NE(result.output.find("Video driver wayland\n"), std::string::npos) << result.output;
        EXPECT_NE(result.output.find(size), std::string::npos) << result.output;
    }
}

// Full screen at the desktop's mode covers the compositor's output, which shows the scene of
// that moment (read back through the X server); Escape fades out and the program exits with 0.
TEST(Wayland, DesktopFullScreenShowsTheSceneAndEscapeFadesOutWithZero)
{
    REQUIRE_COMPOSITOR();
    const fs::path folder = freshFolder("wayland-full-screen");
    const std::vector<unsigned char> desktop = compositorPicture(folder);
    ASSERT_FALSE(desktop.empty()) << "xwd cannot read weston's window on " << nested().x;
    std::vector<unsigned char> shot;
    ProgramRun run;
    run.argv = {builtProgram("orvalune"), "--fullscreen", "--start", "95000"};
    run.environment = onWayland();
    run.timeoutSeconds = 300.0;
    run.whileRunning = [&](const std::string& output) {
        if (shot.empty() && output.find(shadersBuilt) != std::string::npos) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            shot = compositorPicture(folder);
            holdEscape();
        }
        return false;
    };
    const ProgramResult result = runProgram(run);
    EXPECT_FALSE(result.timedOut) << result.output;
    EXPECT_EQ(result.exitCode, 0) << result.output;
    const Area output = compositorArea();
    const std::string size =
        "Drawable " + std::to_string(output.width) + "x" + std::to_string(output.height) + ", full screen\n";
    EXPECT_NE(result.output.find(size), std::string::npos) << result.output;
    EXPECT_GT(endSeconds(result.output), 95.5) << result.output;

    // Like the captured frame of that moment; neither black nor the desktop.
    const ProgramResult captured = runProgram({builtProgram("orvalune-capture"), "--at", "96500", "--runup", "1500",
                                               "--fps", "30", "--size",
                                               std::to_string(output.width) + "x" + std::to_string(output.height),
                                               "--out", (folder / "frame").string()},
                                              ORV_BINARY_DIR, 300.0);
    ASSERT_EQ(captured.exitCode, 0) << captured.output;
    int w = 0, h = 0;
    const std::vector<unsigned char> frame = pixelsOf((folder / "frame" / "at_096500.png").string(), w, h);
    ASSERT_FALSE(shot.empty()) << "no picture of the compositor";
    EXPECT_GT(meanBrightness(shot), 8.0) << "not black";
    EXPECT_GT(meanDifference(shot, desktop), 10.0) << "not the desktop";
    EXPECT_LT(meanDifference(shot, frame), meanDifference(shot, desktop));
    EXPECT_LT(meanDifference(shot, frame), 15.0);
    fs::remove_all(folder);
}

// A missing archive is reported in a message box: with zenity the box shows and Return closes
// it; without zenity the message on standard error is all; a box that never answers goes with
// the program when the program is stopped.
TEST(Wayland, AMessageBoxReachesStandardErrorWithOrWithoutZenityAndNeverHangs)
{
    REQUIRE_COMPOSITOR();
    const fs::path folder = freshFolder("wayland-box");
    const fs::path copy = folder / "orvalune";
    fs::copy_file(builtProgram("orvalune"), copy);
    const std::string message = "Cannot open the data archive";
    const std::vector<unsigned char> desktop = compositorPicture(folder);
    ASSERT_FALSE(desktop.empty());

    bool boxSeen = false;
    ProgramRun withZenity;
    withZenity.argv = {copy.string(), "--window", "640x480"};
    withZenity.workingDirectory = folder.string();
    withZenity.environment = onWayland();
    withZenity.timeoutSeconds = 120.0;
    withZenity.whileRunning = [&](const std::string& output) {
        if (!boxSeen && output.find(message) != std::string::npos && windowShown(folder, desktop)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            boxSeen = typeToCompositor({"key", "Return"}).exitCode == 0;
        }
        return false;
    };
    const ProgramResult shown = runProgram(withZenity);
    EXPECT_TRUE(boxSeen) << "zenity's box on the compositor\n" << shown.output;
    EXPECT_FALSE(shown.timedOut) << shown.output;
    EXPECT_EQ(shown.exitCode, 1) << shown.output;
    EXPECT_NE(shown.output.find(message), std::string::npos) << shown.output;

    const fs::path empty = folder / "empty";
    fs::create_directories(empty);
    const ProgramResult without = runProgram(ProgramRun{{copy.string(), "--window", "640x480"}, folder.string(), 60.0,
                                                        {}, SIGTERM, onWayland({"PATH=" + empty.string()}), {}});
    EXPECT_FALSE(without.timedOut) << without.output;
    EXPECT_EQ(without.exitCode, 1) << without.output;
    EXPECT_NE(without.output.find(message), std::string::npos) << without.output;
    EXPECT_NE(without.output.find("no message box"), std::string::npos) << without.output;

    // A zenity that never answers (and ignores its timeout): stopping the program ends it too.
    const fs::path stuck = folder / "stuck";
    fs::create_directories(stuck);
    const fs::path pidFile = folder / "zenity.pid";
    {
        std::ofstream script(stuck / "zenity");
        script << "#!/bin/sh\necho $$ > '" << pidFile.string() << "'\nexec /bin/sleep 600\n";
    }
    fs::permissions(stuck / "zenity", fs::perms::owner_all);
    ProgramRun hanging{{copy.string(), "--window", "640x480"}, folder.string(), 60.0, {}, SIGTERM,
                       onWayland({"PATH=" + stuck.string()}), {}};
    hanging.whileRunning = [&](const std::string&) {
        std::ifstream pid(pidFile);
        int value = 0;
        return static_cast<bool>(pid >> value) && value > 0;
    };
    const auto started = std::chrono::steady_clock::now();
    const ProgramResult stopped = runProgram(hanging);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_FALSE(stopped.timedOut) << stopped.output;
    EXPECT_LT(seconds, 30.0) << stopped.output;
    EXPECT_NE(stopped.output.find(message), std::string::npos) << stopped.output;
    int zenityPid = 0;
    std::ifstream(pidFile) >> zenityPid;
    ASSERT_GT(zenityPid, 0) << "the stand-in zenity ran";
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(kill(zenityPid, 0) != 0 && errno == ESRCH) << "the box went with the program";
    if (kill(zenityPid, 0) == 0)
        kill(zenityPid, SIGKILL);
    fs::remove_all(folder);
}

// Wayland when WAYLAND_DISPLAY is set, even with an X display beside it; --video or
// ORVALUNE_VIDEO force either (the flag first); a forced Wayland without a compositor says so.
TEST(Wayland, TheShowPicksWaylandWhenItIsThereAndEitherCanBeForced)
{
    REQUIRE_COMPOSITOR();
    const std::string both = "DISPLAY=" + nested().x;
    const std::vector<std::tuple<std::vector<std::string>, std::vector<std::string>, std::string>> cases = {
        {{}, {both}, "wayland"},
        {{"--video", "x11"}, {both}, "x11"},
        {{}, {both, "ORVALUNE_VIDEO=x11"}, "x11"},
        {{"--video", "wayland"}, {both, "ORVALUNE_VIDEO=x11"}, "wayland"},
        {{}, {both, "SDL_VIDEODRIVER=x11", "GDK_BACKEND=x11"}, "wayland"},
    };
    for (const auto& [flags, variables, driver] : cases) {
        ProgramRun run;
        run.argv = {builtProgram("orvalune"), "--window", "320x240"};
        run.argv.insert(run.argv.end(), flags.begin(), flags.end());
        run.environment = onWayland(variables);
        run.timeoutSeconds = 120.0;
        run.signalOnOutput = "Video driver";
        run.stopSignal = SIGKILL; // the choice is all this looks at
        const ProgramResult result = runProgram(run);
        EXPECT_FALSE(result.timedOut) << result.output;
        EXPECT_NE(result.output.find("Video driver " + driver + "\n"), std::string::npos)
            << variables.back() << "\n" << result.output;
    }

    const ProgramResult noCompositor = runProgram(ProgramRun{
        {builtProgram("orvalune"), "--video", "wayland"}, ORV_BINARY_DIR, 60.0, {}, SIGTERM,
        environmentWith(windowSystemVariables, {"WAYLAND_DISPLAY=no-such-compositor", "XDG_RUNTIME_DIR=" + nested().runtimeDir}),
        {}});
    EXPECT_FALSE(noCompositor.timedOut);
    EXPECT_EQ(noCompositor.exitCode, 1) << noCompositor.output;
    EXPECT_NE(noCompositor.output.find("no Wayland compositor"), std::string::npos) << noCompositor.output;

    const ProgramResult bad = runProgram(ProgramRun{{builtProgram("orvalune"), "--window", "320x240"}, ORV_BINARY_DIR, 30.0,
                                                    {}, SIGTERM, onWayland({"ORVALUNE_VIDEO=mir"}), {}});
    EXPECT_EQ(bad.exitCode, 2) << bad.output;
    EXPECT_NE(bad.output.find("ORVALUNE_VIDEO"), std::string::npos) << bad.output;
}

} // namespace
