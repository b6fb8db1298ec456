#include "shell/driver.h"

#include "render/effect_gl_state.h"
#include "render/gl_capabilities.h"
#include "render/render_targets.h"
#include "render/screen.h"
#include "render/shader_manager.h"
#include "render/warm_up.h"
#include "runtime/dms.h"
#include "shell/camera_tracks.h"
#include "shell/show_files.h"
#include "toolkit/show_state.h"
#include "toolkit/camera_rig.h"
#include "maths/ramps.h"
#include "maths/random.h"
#include "platform/frame_loop.h"

#include <GL/gl.h>

#include <exception>
#include <string>

namespace {

constexpr int keyEscape = 27;
constexpr int keyLeft = 37;
constexpr int keyRight = 39;
constexpr int keyF1 = 112;
constexpr int windowIconResource = 113;
// The warm-up's share of start-up: about what the opening's first frames draw, with a cold shader
// cache on a software renderer, and start-up stays under a second.
constexpr int startUpWarmUpMs = 450;

void startFade(LoopState& state)
{
    // Only a fade that is not already running starts: a second Escape changes nothing.
    if (state.fadeRemaining == 0.0f)
        state.fadeRemaining = fadeSeconds;
}

void prepareSmokeTextures()
{
    static const char* const smoke[] = {"smoke1.jpg", "smoke2.jpg", "smoke3.jpg", "smoke4.jpg"};
    for (const char* name : smoke)
        dmsSetMipMaps(name, 1);
    for (const char* name : smoke) {
        dmsSetTextureParameter(name, GL_TEXTURE_MAG_FILTER, static_cast<float>(GL_LINEAR));
        dmsSetTextureParameter(name, GL_TEXTURE_MIN_FILTER, static_cast<float>(GL_LINEAR_MIPMAP_LINEAR));
    }
}

void handleSeekKeys(LoopState& state)
{
    if (!dmsGetKey(keyF1))
        return;
    if (dmsGetKey(keyLeft)) {
        dmsSetVolume(0.0f);
        state.seekDirection = -1;
        dmsAdjustTime(-1000.0f);
    } else if (dmsGetKey(keyRight)) {
        dmsSetVolume(0.0f);
        state.seekDirection = +1;
        dmsAdjustTime(+1000.0f);
    } else if (state.seekDirection != 0) {
        dmsSetVolume(100.0f);
        state.seekDirection = 0;
    }
}

} // namespace

bool startShow(const ShowMode& mode, const char* archive)
{
    constexpr int bitsPerPixel = 32;
    constexpr int runtimeInterfaceVersion = 1;
    constexpr int noReservedFlags = 0;
    dmsRequireArchiveFiles(showArchiveFiles());
    if (!dmsInitEx(mode.width, mode.height, bitsPerPixel, mode.fullscreen, runtimeInterfaceVersion, mode.alwaysOnTop,
                   mode.alwaysOnTop, noReservedFlags, mode.aspectIndex, archive, mode.refreshRate))
        return false;
    dmsSetWindowTitle("Velmora.Quillon :: Orvalune");
    SendMessageA(dmsGetHWND(), WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(windowIconResource))));
    prepareSmokeTextures();
    initGl();
    shaderManager = ShaderManager::create();
    buildCameraTracks();
    registerEffects();
    dmsInitEffects();
    warmUpGlFor(startUpWarmUpMs);
    watchEffectGlStateInDebugBuilds();
    dmsInitTimer();
    dmsPlaySong(1);
    return true;
}

bool fadeOut(float& fadeRemaining)
{
    glLoadIdentity();
    dmsPerspective2D(1, 1);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const float e = rampEaseIn(fadeRemaining, 0.0f, fadeSeconds);
    const float a = e * e;
    glColor4f(fogColor.x, fogColor.y, fogColor.z, 1.0f - a);
    drawUnitSquare();

    dmsPerspective3D();
    glLoadIdentity();
    dmsSetVolume(a);
    fadeRemaining -= dmsGetDeltaTime();
    glEnable(GL_TEXTURE_2D);
    return fadeRemaining <= 0.0f;
}

void drawFrame(LoopState& state)
{
    dmsUpdateTimer();
    cameraRig.updatePosition();
    if (dmsGetKey(keyEscape))
        startFade(state);

    glClearColor(fogColor.x, fogColor.y, fogColor.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    dmsRun();
    handleSeekKeys(state);
    if (state.fadeRemaining > 0.0f)
        state.done = fadeOut(state.fadeRemaining);
    if (dmsGetModulePosition() > showEndMs)
        state.done = true;
    // One piece of the GL warm-up a frame until all is warm; it leaves no pixel and no state.
    warmUpGlStep();
}

void loopStep(LoopState& state)
{
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        state.lastMessage = msg;
        // Closing the window fades out like Escape; during a fade the message is swallowed.
        if (msg.message == WM_QUIT) {
            startFade(state);
        } else {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return;
    }
    drawFrame(state);
    SwapBuffers(dmsGetHDC());
}

void shutDownShow()
{
    releaseEffects();
    releaseRenderTargets();
    ShaderManager::release();
    dmsSetGamma(0);
    dmsShutDown();
}

namespace {

// The whole run's state: it outlives runDemo's call where the platform's frame loop returns at
// once (the browser) and the frames go on from its callback.
struct DemoRun {
    LoopState state;
    int exitCode = 0;
};

// Runs `step`; an error it throws is logged and ends the run with exit code 1.
template <typename Step>
void guarded(DemoRun& run, const Step& step)
{
    const char* error = nullptr;
    std::string what;
    try {
        step();
        return;
    } catch (const char* thrown) {
        error = thrown;
    } catch (const std::exception& thrown) {
        what = thrown.what();
        error = what.c_str();
    }
    dmsMsg("Exception: %s\n", error);
    run.exitCode = 1;
    run.state.done = true;
}

// The end of the run, once the loop is over: shutdown, and the exit code.
int finishDemo(DemoRun& run)
{
    shutDownShow();
    if (run.state.lastMessage.message == WM_QUIT)
        return static_cast<int>(run.state.lastMessage.wParam);
    return run.exitCode;
}

// One pass of the loop; false once the show is over and shut down.
bool demoFrame(void* context)
{
    DemoRun& run = *static_cast<DemoRun*>(context);
    if (!run.state.done)
        guarded(run, [&] { loopStep(run.state); });
    if (!run.state.done)
        return true;
    run.exitCode = finishDemo(run);
    return false;
}

} // namespace

int runDemo(const ShowStart& start)
{
    static DemoRun run;
    run = DemoRun{};
    guarded(run, [&] {
        setFogColor(Vector3(0.0f, 0.0f, 0.0f));
        SetupChoice choice;
        if (start.dialog) {
            choice = runSetupDialog();
        } else {
            choice.play = true;
            choice.mode = start.mode;
        }
        if (!choice.play) {
            run.state.done = true;
            run.exitCode = choice.exitCode; // 1 when the dialog could not be shown
        } else if (!startShow(choice.mode)) {
            run.state.done = true;
            run.exitCode = 1;
        } else if (start.startMs > 0) {
            dmsAdjustTime(static_cast<float>(start.startMs));
        }
    });
    runFrameLoop(demoFrame, &run);
    return run.exitCode;
}
