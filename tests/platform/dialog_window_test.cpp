// The Win32-style dialog calls on the scripted backend: what controls keep, what the user can
// and cannot do to them, the keys, the geometry, and a dialog that cannot be shown.
#include "platform/emulated/dialog_window.h"
#include "platform/emulated/scripted_backend.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int setupResource = 101;
constexpr int aspectList = 1022, modeList = 1023, fullscreenBox = 1005, alwaysOnTopBox = 1007, note = 1030;

struct Heard {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Heard> heard;
std::function<void(HWND)> onInit;
std::function<void(HWND, WORD id)> onCommand;

INT_PTR recordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    heard.push_back({message, wParam, lParam});
    if (message == WM_INITDIALOG && onInit)
        onInit(dialog);
    if (message == WM_COMMAND && onCommand)
        onCommand(dialog, LOWORD(wParam));
    if (message == WM_CLOSE)
        EndDialog(dialog, 0);
    return 0;
}

// Commands the procedure heard, as (id, notification).
std::vector<std::pair<WORD, WORD>> commands()
{
    std::vector<std::pair<WORD, WORD>> out;
    for (const Heard& h : heard)
        if (h.message == WM_COMMAND)
            out.emplace_back(LOWORD(h.wParam), HIWORD(h.wParam));
    return out;
}

class DialogCalls : public ::testing::Test {
protected:
    ScriptedBackend backend;
    PlatformBackend* previous = nullptr;

    void SetUp() override
    {
        previous = &activeBackend();
        setActiveBackend(&backend);
        heard.clear();
        onInit = nullptr;
        onCommand = nullptr;
    }
    void TearDown() override { setActiveBackend(previous == &defaultBackend() ? nullptr : previous); }

    INT_PTR show(LPARAM init = 0)
    {
        return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(setupResource), nullptr, &recordingProc, init);
    }
};

TEST_F(DialogCalls, ListsAndCheckBoxesKeepWhatTheProcedureSends)
{
    onInit = [](HWND dialog) {
        for (const char* text : {"a", "bb", "ccc"})
            SendDlgItemMessageA(dialog, aspectList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(SendDlgItemMessageA(dialog, aspectList, CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendDlgItemMessageA(dialog, aspectList, CB_GETCURSEL, 0, 0), CB_ERR) << "nothing selected at first";
        EXPECT_EQ(SendDlgItemMessageA(dialog, aspectList, CB_SETCURSEL, 1, 0), 1);
        EXPECT_EQ(SendDlgItemMessageA(dialog, aspectList, CB_SETCURSEL, 3, 0), CB_ERR) << "past the end";
        EXPECT_EQ(SendDlgItemMessageA(dialog, aspectList, CB_GETCURSEL, 0, 0), CB_ERR) << "a bad index clears";
        char text[8] = {};
        EXPECT_EQ(SendDlgItemMessageA(dialog, aspectList, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text)), 3);
        EXPECT_STREQ(text, "ccc");
        EXPECT_EQ(SendDlgItemMessageA(dialog, modeList, CB_GETCOUNT, 0, 0), 0) << "each list keeps its own entries";
        EXPECT_EQ(SendDlgItemMessageA(dialog, fullscreenBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x")), CB_ERR);

        EXPECT_EQ(IsDlgButtonChecked(dialog, fullscreenBox), BST_UNCHECKED);
        CheckDlgButton(dialog, fullscreenBox, BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, fullscreenBox), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, alwaysOnTopBox), BST_UNCHECKED);
        EXPECT_EQ(GetDlgItem(dialog, 4242), nullptr);
        EXPECT_EQ(GetDlgItem(dialog, noControlId), nullptr) << "decorations have no handle";
        EndDialog(dialog, 7);
    };
    EXPECT_EQ(show(), 7);
    ASSERT_GE(heard.size(), 2u);
    EXPECT_EQ(heard.front().message, WM_INITDIALOG);
    EXPECT_EQ(heard.back().message, WM_DESTROY) << "the procedure hears of the end last";
    EXPECT_EQ(backend.dialogsShown, 1);
}

TEST_F(DialogCalls, TheUserCannotUseWhatIsGreyedOutOrHidden)
{
    HWND shown = nullptr;
    onInit = [](HWND dialog) {
        SendDlgItemMessageA(dialog, modeList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
        SendDlgItemMessageA(dialog, modeList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two"));
        EnableWindow(GetDlgItem(dialog, alwaysOnTopBox), FALSE);
    };
    backend.onDialog = [&](HWND dialog) {
        shown = dialog;
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, note))) << "the note waits for ShowWindow";
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDOK)));

        ScriptedBackend::click(dialog, alwaysOnTopBox);
        EXPECT_EQ(IsDlgButtonChecked(dialog, alwaysOnTopBox), BST_UNCHECKED) << "a greyed-out box does not tick";
        EXPECT_TRUE(EnableWindow(GetDlgItem(dialog, alwaysOnTopBox), TRUE)) << "it was disabled";
        ScriptedBackend::click(dialog, alwaysOnTopBox);
        EXPECT_EQ(IsDlgButtonChecked(dialog, alwaysOnTopBox), BST_CHECKED) << "enabled again, it ticks itself";

        ScriptedBackend::select(dialog, modeList, 1);
        ScriptedBackend::select(dialog, modeList, 2); // there is no third entry
        EXPECT_EQ(SendDlgItemMessageA(dialog, modeList, CB_GETCURSEL, 0, 0), 1);

        ShowWindow(GetDlgItem(dialog, IDCANCEL), SW_HIDE);
        ScriptedBackend::click(dialog, IDCANCEL);
        ScriptedBackend::click(dialog, IDOK);
        EndDialog(dialog, 3);
        ScriptedBackend::click(dialog, IDOK); // an ended dialog takes no more clicks
    };
    EXPECT_EQ(show(), 3);
    const std::vector<std::pair<WORD, WORD>> expected = {
        {alwaysOnTopBox, BN_CLICKED}, {modeList, CBN_SELCHANGE}, {IDOK, BN_CLICKED}};
    EXPECT_EQ(commands(), expected);
    for (const Heard& h : heard) {
        if (h.message == WM_COMMAND) {
            EXPECT_NE(h.lParam, 0) << "a command names the control it came from";
        }
    }
    EXPECT_EQ(GetDlgItem(shown, IDOK), nullptr) << "the handles die with the dialog";
}

TEST_F(DialogCalls, EnterPressesTheFocusedButtonOrElseTheDefaultOneAndEscapeCancels)
{
    backend.onDialog = [](HWND dialog) {
        SetFocus(GetDlgItem(dialog, fullscreenBox));
        ScriptedBackend::key(dialog, VK_RETURN); // a check box has the keys: Play
        SetFocus(GetDlgItem(dialog, IDCANCEL));
        ScriptedBackend::key(dialog, VK_RETURN); // Quit has the keys: Quit
        ScriptedBackend::key(dialog, VK_ESCAPE);
        SetFocus(dialog);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        ScriptedBackend::key(dialog, VK_RETURN); // Play greyed out: nothing
        ScriptedBackend::closeBox(dialog);
    };
    EXPECT_EQ(show(), 0);
    const std::vector<std::pair<WORD, WORD>> expected = {
        {IDOK, BN_CLICKED}, {IDCANCEL, BN_CLICKED}, {IDCANCEL, BN_CLICKED}};
    EXPECT_EQ(commands(), expected);
    ASSERT_GE(heard.size(), 2u);
    EXPECT_EQ(heard[heard.size() - 2].message, WM_CLOSE) << "the close box";
}

TEST_F(DialogCalls, ADialogIsLaidOutInDialogUnitsAndMovesAsAsked)
{
    backend.desktop = {0, 0, 1280, 1024};
    onInit = [](HWND dialog) {
        RECT r;
        ASSERT_TRUE(GetWindowRect(dialog, &r));
        // 219 x 151 dialog units with 6 x 13 base units, rounded as Windows rounds.
        EXPECT_EQ(r.right - r.left, 329);
        EXPECT_EQ(r.bottom - r.top, 245);
        EXPECT_TRUE(SetWindowPos(dialog, HWND_TOPMOST, 100, 50, 0, 0, SWP_NOSIZE));
        ASSERT_TRUE(GetWindowRect(dialog, &r));
        EXPECT_EQ(r.left, 100);
        EXPECT_EQ(r.top, 50);
        EXPECT_EQ(r.right, 429);
        RECT play;
        ASSERT_TRUE(GetWindowRect(GetDlgItem(dialog, IDOK), &play));
        EXPECT_EQ(play.left, 100 + 8);  // 5 units
        EXPECT_EQ(play.top, 50 + 206);  // 127 units
        EXPECT_EQ(play.right, 100 + 234); // 156 units
        RECT desktop;
        ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop));
        EXPECT_EQ(desktop.right, 1280);
        SendMessageA(dialog, WM_SETICON, ICON_BIG, 1234);
        EXPECT_EQ(SendMessageA(dialog, WM_SETICON, ICON_BIG, 0), 1234) << "the icon it had";
        EndDialog(dialog, 1);
    };
    EXPECT_EQ(show(), 1);
}

TEST_F(DialogCalls, ADialogThatCannotBeShownRunsNothing)
{
    backend.noDisplay = true;
    EXPECT_EQ(show(), -1);
    EXPECT_TRUE(heard.empty()) << "no procedure call without a window";
    backend.noDisplay = false;
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, &recordingProc, 0), -1) << "no such resource";
    EXPECT_TRUE(heard.empty());
}

TEST_F(DialogCalls, DisplayModesComeInTheBackendsOrder)
{
    backend.addDisplayMode(800, 600, 32, 60);
    backend.addDisplayMode(640, 480, 16, 0);
    DEVMODEA mode;
    mode.dmSize = 148;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, 1, &mode));
    EXPECT_EQ(mode.dmPelsWidth, 640u);
    EXPECT_EQ(mode.dmBitsPerPel, 16u);
    EXPECT_EQ(mode.dmSize, 148) << "the caller's size stays";
    EXPECT_NE(mode.dmFields & DM_PELSWIDTH, 0u);
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, 0, &mode));
    EXPECT_EQ(mode.dmPelsWidth, 800u);
    EXPECT_EQ(mode.dmDisplayFrequency, 60u);
    EXPECT_FALSE(EnumDisplaySettingsA(nullptr, 2, &mode));
    EXPECT_FALSE(EnumDisplaySettingsA("\\\\.\\DISPLAY2", 0, &mode)) << "only the primary display";
}

} // namespace
