// The SDL backend turns the window system's events and signals into the messages the driver's
// loop expects.
#include "platform/emulated/backend.h"
#include "platform/gl_proc_overrides.h"
#include "platform/module_resources.h"
#include "platform/win32.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>

namespace {

class SdlEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        setActiveBackend(nullptr);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << "needs a display (Xvfb): " << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        MSG stale;
        while (PeekMessageA(&stale, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

    // The next message of the given kind, skipping others, or WM_NULL.
    static UINT nextMessage(UINT wanted)
    {
        MSG msg;
        for (int i = 0; i < 100 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
            if (msg.message == wanted)
                return msg.message;
        return WM_NULL;
    }
};

TEST_F(SdlEvents, ClosingTheWindowPostsQuit)
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(nextMessage(WM_QUIT), WM_QUIT);
}

// SIGINT takes the same path, but a background job starts with it ignored, so only SIGTERM
// can be relied on here.
TEST_F(SdlEvents, TerminationSignalPostsQuit)
{
    std::raise(SIGTERM);
    EXPECT_EQ(nextMessage(WM_QUIT), WM_QUIT);
}

TEST_F(SdlEvents, PeekWithoutRemoveLeavesTheMessageWaiting)
{
    PostQuitMessage(4);
    MSG first, second;
    ASSERT_TRUE(PeekMessageA(&first, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&second, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(second.message, WM_QUIT);
    EXPECT_EQ(second.wParam, 4u);
    MSG none;
    EXPECT_FALSE(PeekMessageA(&none, nullptr, 0, 0, PM_REMOVE));
}

// Pressed and let go before anyone asked: SDL's keyboard state already says up, the press is kept
// for the next GetAsyncKeyState of that key alone.
TEST_F(SdlEvents, AKeyTappedBeforeAnyoneAsksIsReportedPressedOnce)
{
    GetAsyncKeyState(VK_ESCAPE);
    GetAsyncKeyState(VK_F1);
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
        SDL_Event key{};
        key.type = type;
        key.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
        key.key.keysym.sym = SDLK_ESCAPE;
        SDL_PushEvent(&key);
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 1) << "pressed since the last call, not held";
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
    EXPECT_EQ(GetAsyncKeyState(VK_F1), 0);
}

TEST(Resources, IconsAreFoundByNumberAndUnknownOnesAreNull)
{
    static const unsigned char png[] = {0x89, 'P', 'N', 'G'};
    static const ModuleResource table[] = {{113, png, sizeof png}};
    registerModuleResources(table, 1);
    EXPECT_EQ(reinterpret_cast<const ModuleResource*>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(113))),
              &table[0]);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(114)), nullptr);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), "named"), nullptr);
    registerModuleResources(nullptr, 0);
}

TEST(ProcAddresses, OverridesWinAndCanBeRemoved)
{
    const PROC replacement = [] {};
    setProcAddressOverride("glTestEntryOrvalune", replacement);
    EXPECT_EQ(wglGetProcAddress("glTestEntryOrvalune"), replacement);
    setProcAddressOverride("glTestEntryOrvalune", nullptr);
    EXPECT_NE(wglGetProcAddress("glTestEntryOrvalune"), replacement);
    EXPECT_EQ(wglGetProcAddress(nullptr), nullptr);
}

} // namespace
