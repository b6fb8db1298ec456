// The setup dialog on Windows, driven from the keyboard as a user would: key messages posted from a
// second thread to the focused control of the real modal dialog, which the dialog manager turns
// into focus moves, check marks, list choices and the Play or Quit command.
#include "shell/setup_dialog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace {

constexpr const char* caption = "Velmora::Quillon - Orvalune";
constexpr int modeList = 1023, aspectList = 1022, fullscreenBox = 1005, onTopBox = 1007;

// Polls until `done` holds, for at most ten seconds (the dialog thread handles posted keys in its
// own time).
bool waitUntil(const std::function<bool()>& done)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class KeyboardUser {
public:
    // Waits for the dialog to be shown; false when it never appears.
    bool find()
    {
        return waitUntil([this] {
            dialog = FindWindowA(nullptr, caption);
            return dialog && IsWindowVisible(dialog);
        });
    }
    HWND focus() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) ? info.hwndFocus : nullptr;
    }
    int focusedId() const
    {
        HWND focused = focus();
        return focused && GetParent(focused) == dialog ? GetDlgCtrlID(focused) : 0;
    }
    // A key pressed and released on the focused control (or the dialog when nothing has focus).
    void press(WPARAM key)
    {
        HWND target = focus() ? focus() : dialog;
        PostMessageA(target, WM_KEYDOWN, key, 1);
        PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    }
    // Tabs until the control has the focus; false after a full round without it.
    bool tabTo(int id)
    {
        for (int i = 0; i < 12; ++i) {
            if (waitUntil([&] { return focusedId() != 0; }) && focusedId() == id)
                return true;
            const int before = focusedId();
            press(VK_TAB);
            if (!waitUntil([&] { return focusedId() != before; }))
                return false;
        }
        return false;
    }
    LRESULT selection(int id) const { return SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0); }
    HWND dialog = nullptr;
};

// Runs the dialog on this thread while `user` types on another; the user's own failures are
// collected, and the dialog is closed whatever happens so the test never hangs.
void runWithUser(SetupDialog& setup, const std::function<void(KeyboardUser&)>& user, std::string& problems)
{
    std::thread typist([&] {
        KeyboardUser keyboard;
        if (!keyboard.find()) {
            problems += "the dialog never appeared; ";
            return;
        }
        user(keyboard);
        if (IsWindow(keyboard.dialog) && !waitUntil([&] { return !IsWindow(keyboard.dialog); })) {
            problems += "the dialog stayed open; ";
            PostMessageA(keyboard.dialog, WM_CLOSE, 0, 0);
        }
    });
    const bool shown = setup.run();
    typist.join();
    if (!shown)
        problems += "the dialog could not be shown; ";
}

TEST(SetupDialogKeys, TabSpaceArrowsAndEnterChooseAndPlay)
{
    SetupDialog setup;
    std::string problems;
    int aspectAfterKeys = -1;
    bool onTopEnabledAfterFullscreen = true, fullscreenChecked = false;
    runWithUser(setup, [&](KeyboardUser& user) {
        if (!user.tabTo(aspectList)) {
            problems += "Tab never reached the aspect list; ";
        } else {
            user.press(VK_DOWN);
            user.press(VK_DOWN);
            waitUntil([&] { return user.selection(aspectList) == 2; });
            aspectAfterKeys = static_cast<int>(user.selection(aspectList));
        }
        if (!user.tabTo(fullscreenBox)) {
            problems += "Tab never reached Fullscreen; ";
        } else {
            user.press(VK_SPACE);
            fullscreenChecked = waitUntil([&] { return IsDlgButtonChecked(user.dialog, fullscreenBox) == BST_CHECKED; });
            onTopEnabledAfterFullscreen = IsWindowEnabled(GetDlgItem(user.dialog, onTopBox));
        }
        user.press(VK_RETURN);
    }, problems);
    EXPECT_EQ(problems, "");
    EXPECT_EQ(aspectAfterKeys, 2) << "two presses of Down from 4:3 pick 16:9";
    EXPECT_TRUE(fullscreenChecked) << "Space ticks the focused check box";
    EXPECT_FALSE(onTopEnabledAfterFullscreen) << "Fullscreen greys out Always on top at once";
    EXPECT_TRUE(setup.play) << "Enter is Play";
    EXPECT_TRUE(setup.fullscreen);
    EXPECT_FALSE(setup.alwaysOnTop);
    EXPECT_EQ(setup.aspectIndex, 2);
}

TEST(SetupDialogKeys, EscapeQuitsWithoutPlaying)
{
    SetupDialog setup;
    std::string problems;
    int listed = -1;
    runWithUser(setup, [&](KeyboardUser& user) {
        listed = static_cast<int>(SendDlgItemMessageA(user.dialog, modeList, CB_GETCOUNT, 0, 0));
        user.tabTo(fullscreenBox);
        user.press(VK_SPACE);
        waitUntil([&] { return IsDlgButtonChecked(user.dialog, fullscreenBox) == BST_CHECKED; });
        user.press(VK_ESCAPE);
    }, problems);
    EXPECT_EQ(problems, "");
    EXPECT_EQ(listed, static_cast<int>(setup.modeList.size())) << "every usable display mode is listed";
    EXPECT_FALSE(setup.play) << "Escape is Quit";
    EXPECT_FALSE(setup.fullscreen) << "only Play takes the ticks over";
}

} // namespace
