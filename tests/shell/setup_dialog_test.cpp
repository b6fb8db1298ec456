// The setup dialog: through the scripted backend with made-up display modes, and once on screen
// under Xvfb with the keyboard alone.
#include "platform/emulated/scripted_backend.h"
#include "platform/module_resources.h"
#include "render/driver_flags.h"
#include "shell/setup_choice.h"
#include "shell/setup_dialog.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int aspectList = 1022, modeList = 1023, fullscreenBox = 1005, alwaysOnTopBox = 1007, oldNvidiaBox = 1008,
              noModeNote = 1030;

std::vector<std::string> listTexts(HWND dialog, int list)
{
    std::vector<std::string> texts;
    const LRESULT count = SendDlgItemMessageA(dialog, list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[64] = {};
        SendDlgItemMessageA(dialog, list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.emplace_back(text);
    }
    return texts;
}

LRESULT selection(HWND dialog, int list) { return SendDlgItemMessageA(dialog, list, CB_GETCURSEL, 0, 0); }

class Setup : public ::testing::Test {
protected:
    ScriptedBackend backend;
    PlatformBackend* previous = nullptr;

    void SetUp() override
    {
        registerBuiltInResources();
        previous = &activeBackend();
        setActiveBackend(&backend);
        oldNvidia = false;
    }
    void TearDown() override
    {
        setActiveBackend(previous == &defaultBackend() ? nullptr : previous);
        oldNvidia = false;
    }
};

TEST_F(Setup, ListsUsableModesInTheDriversOrderAndPreselectsTheLast1024x768)
{
    backend.addDisplayMode(1024, 768, 32, 60);
    backend.addDisplayMode(800, 600, 32, 75);
    backend.addDisplayMode(1280, 1024, 16, 60); // too few bits
    backend.addDisplayMode(512, 384, 32, 60);   // too narrow
    backend.addDisplayMode(800, 600, 32, 75);   // listed twice by the driver: kept twice
    backend.addDisplayMode(1024, 768, 32, 85);
    backend.addDisplayMode(640, 480, 32, 0);
    backend.onDialog = [](HWND dialog) {
        const std::vector<std::string> expected = {"1024x768 32 bpp 60 hz", "800x600 32 bpp 75 hz",
                                                   "800x600 32 bpp 75 hz", "1024x768 32 bpp 85 hz",
                                                   "640x480 32 bpp 0 hz"};
        EXPECT_EQ(listTexts(dialog, modeList), expected);
        EXPECT_EQ(selection(dialog, modeList), 3) << "the later 1024x768 wins";
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, noModeNote)));
        ScriptedBackend::key(dialog, VK_RETURN);
    };
    const SetupChoice choice = runSetupDialog();
    EXPECT_TRUE(choice.play);
    EXPECT_EQ(choice.mode.width, 1024);
    EXPECT_EQ(choice.mode.height, 768);
    EXPECT_EQ(choice.mode.refreshRate, 85);
}

TEST_F(Setup, SixteenBitModesAloneGiveAnEmptyListThatCannotPlay)
{
    backend.addDisplayMode(1024, 768, 16, 60);
    backend.addDisplayMode(800, 600, 16, 60);
    SetupDialog dialog;
    EXPECT_TRUE(dialog.modeList.empty());
    backend.onDialog = [](HWND hwnd) {
        EXPECT_EQ(SendDlgItemMessageA(hwnd, modeList, CB_GETCOUNT, 0, 0), 0);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd, IDOK))) << "nothing to play in";
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(hwnd, noModeNote))) << "and the dialog says why";
        ScriptedBackend::key(hwnd, VK_RETURN);
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); // a command that gets through anyway
        EXPECT_TRUE(IsWindowVisible(hwnd)) << "the dialog stays open";
        ScriptedBackend::click(hwnd, IDCANCEL);
    };
    ASSERT_TRUE(dialog.run());
    EXPECT_FALSE(dialog.play);
    EXPECT_EQ(dialog.selectedMode, 0) << "the preselection is position 0";
    EXPECT_EQ(dialog.width(), 0);
}

TEST_F(Setup, FullscreenGreysOutAlwaysOnTopAtOnceAndItsTickStillCounts)
{
    backend.addDisplayMode(1024, 768, 32, 60);
    backend.onDialog = [](HWND dialog) {
        HWND alwaysOnTop = GetDlgItem(dialog, alwaysOnTopBox);
        EXPECT_TRUE(IsWindowEnabled(alwaysOnTop));
        EXPECT_EQ(IsDlgButtonChecked(dialog, fullscreenBox), BST_UNCHECKED);
        ScriptedBackend::click(dialog, alwaysOnTopBox);
        ScriptedBackend::click(dialog, fullscreenBox);
        EXPECT_FALSE(IsWindowEnabled(alwaysOnTop)) << "greyed out by the click itself";
        ScriptedBackend::click(dialog, alwaysOnTopBox); // cannot be unticked while grey
        EXPECT_EQ(IsDlgButtonChecked(dialog, alwaysOnTopBox), BST_CHECKED);
        ScriptedBackend::click(dialog, fullscreenBox);
        EXPECT_TRUE(IsWindowEnabled(alwaysOnTop)) << "back when Fullscreen is unticked";
        ScriptedBackend::click(dialog, fullscreenBox);
        ScriptedBackend::click(dialog, IDOK);
    };
    const SetupChoice choice = runSetupDialog();
    ASSERT_TRUE(choice.play);
    EXPECT_TRUE(choice.mode.fullscreen);
    EXPECT_TRUE(choice.mode.alwaysOnTop);
}

TEST_F(Setup, AspectChoicesMapToIndices)
{
    backend.addDisplayMode(1024, 768, 32, 60);
    for (int pick = 0; pick < 3; ++pick) {
        backend.onDialog = [pick](HWND dialog) {
            const std::vector<std::string> expected = {"4:3", "16:10", "16:9"};
            EXPECT_EQ(listTexts(dialog, aspectList), expected);
            EXPECT_EQ(selection(dialog, aspectList), 0);
            ScriptedBackend::select(dialog, aspectList, pick);
            ScriptedBackend::click(dialog, IDOK);
        };
        const SetupChoice choice = runSetupDialog();
        ASSERT_TRUE(choice.play);
        EXPECT_EQ(choice.mode.aspectIndex, pick);
    }
}

TEST_F(Setup, QuitEscapeAndTheCloseBoxDoNotPlayNorKeepTicks)
{
    backend.addDisplayMode(1024, 768, 32, 60);
    const std::vector<std::function<void(HWND)>> leave = {
        [](HWND dialog) { ScriptedBackend::click(dialog, IDCANCEL); },
        [](HWND dialog) { ScriptedBackend::key(dialog, VK_ESCAPE); },
        [](HWND dialog) { ScriptedBackend::closeBox(dialog); },
    };
    for (const auto& how : leave) {
        backend.onDialog = [&how](HWND dialog) {
            ScriptedBackend::click(dialog, fullscreenBox);
            ScriptedBackend::click(dialog, oldNvidiaBox);
            how(dialog);
        };
        const int shownBefore = backend.dialogsShown;
        const SetupChoice choice = runSetupDialog();
        EXPECT_EQ(backend.dialogsShown, shownBefore + 1);
        EXPECT_FALSE(choice.play);
        EXPECT_EQ(choice.exitCode, 0);
        EXPECT_FALSE(choice.mode.fullscreen) << "only Play takes the ticks";
        EXPECT_FALSE(oldNvidia);
    }
}

TEST_F(Setup, PlayHandsOnTheChosenModeAndOldNvidiaFromACentredTopmostDialog)
{
    backend.desktop = {0, 0, 1600, 900};
    backend.addDisplayMode(1280, 720, 32, 50);
    backend.addDisplayMode(1024, 768, 32, 60);
    backend.onDialog = [](HWND dialog) {
        RECT r;
        ASSERT_TRUE(GetWindowRect(dialog, &r));
        EXPECT_EQ(r.left, 800 - (r.right - r.left) / 2);
        EXPECT_EQ(r.top, 450 - (r.bottom - r.top) / 2);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_TRUE(ScriptedBackend::topmost(dialog));
        const auto* icon = reinterpret_cast<const ModuleResource*>(SendMessageA(dialog, WM_SETICON, ICON_BIG, 0));
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->id, 113);
        ScriptedBackend::select(dialog, modeList, 0);
        ScriptedBackend::select(dialog, aspectList, 2);
        ScriptedBackend::click(dialog, fullscreenBox);
        ScriptedBackend::click(dialog, oldNvidiaBox);
        ScriptedBackend::click(dialog, IDOK);
    };
    const SetupChoice choice = runSetupDialog();
    ASSERT_TRUE(choice.play);
    EXPECT_EQ(choice.mode.width, 1280);
    EXPECT_EQ(choice.mode.height, 720);
    EXPECT_EQ(choice.mode.refreshRate, 50);
    EXPECT_EQ(choice.mode.aspectIndex, 2);
    EXPECT_TRUE(choice.mode.fullscreen);
    EXPECT_FALSE(choice.mode.alwaysOnTop);
    EXPECT_TRUE(oldNvidia);
}

TEST_F(Setup, WithoutADisplayItSaysSoAndAsksForExitCodeOne)
{
    backend.addDisplayMode(1024, 768, 32, 60);
    backend.noDisplay = true;
    const SetupChoice choice = runSetupDialog();
    EXPECT_FALSE(choice.play);
    EXPECT_EQ(choice.exitCode, 1);
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_NE(backend.boxes[0].text.find("no display"), std::string::npos) << backend.boxes[0].text;
}

// The real dialog under Xvfb, driven by the X server's keyboard as a user would drive it.
TEST_F(Setup, OnScreenTheKeyboardAloneChoosesAndPlays)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (Xvfb)";
    ASSERT_EQ(std::system("command -v xdotool >/dev/null"), 0) << "needs xdotool";
    // A bare X server resets when its last client leaves: xdotool's coming and going must not
    // take the server down under the dialog's first connection.
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    backend.realDialogs = true;
    backend.addDisplayMode(800, 600, 32, 60);
    backend.addDisplayMode(1024, 768, 32, 60);
    backend.addDisplayMode(1280, 1024, 32, 75);

    // Down picks the next mode, Tab moves on, space ticks; "Always on top" is greyed out by
    // Fullscreen, so Tab passes it by; Enter plays.
    std::atomic<bool> closed{false};
    std::mutex mutex;
    std::condition_variable wake;
    std::thread user([&] {
        std::system("timeout 120 xdotool search --sync --onlyvisible --name '^Velmora::Quillon - Orvalune$' "
                    "windowfocus --sync >/dev/null 2>&1 && "
                    "xdotool key --delay 120 Down Tab Down Tab space Tab space Return");
        // A dialog the keys did not close is closed as SIGTERM closes it, so a failing test ends.
        std::unique_lock<std::mutex> lock(mutex);
        if (!wake.wait_for(lock, std::chrono::seconds(120), [&] { return closed.load(); }))
            std::raise(SIGTERM);
    });
    const SetupChoice choice = runSetupDialog();
    {
        std::lock_guard<std::mutex> lock(mutex);
        closed = true;
    }
    wake.notify_all();
    user.join();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);

    ASSERT_TRUE(choice.play);
    EXPECT_EQ(choice.mode.width, 1280);
    EXPECT_EQ(choice.mode.height, 1024);
    EXPECT_EQ(choice.mode.refreshRate, 75);
    EXPECT_EQ(choice.mode.aspectIndex, 1);
    EXPECT_TRUE(choice.mode.fullscreen);
    EXPECT_FALSE(choice.mode.alwaysOnTop);
    EXPECT_TRUE(oldNvidia);
}

} // namespace
