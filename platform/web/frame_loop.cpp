// The page's frame loop: the browser owns the thread, so the show's frames run from its animation
// callback and runFrameLoop returns at once; the page lives on, and the program ends with the
// frame that says the show is over.
#include "platform/frame_loop.h"

#include <emscripten/emscripten.h>

namespace {

struct Loop {
    bool (*frame)(void*) = nullptr;
    void* context = nullptr;
};
Loop loop;

void animationFrame()
{
    const bool more = loop.frame(loop.context);
    // The page counts the frames shown: its start-up time and frame rate come from there.
    EM_ASM({ Module.orvFrames = (Module.orvFrames || 0) + 1; });
    if (more)
        return;
    emscripten_cancel_main_loop();
    EM_ASM({
        if (typeof Module.orvEnded == 'function')
            Module.orvEnded();
    });
}

} // namespace

void runFrameLoop(bool (*frame)(void* context), void* context)
{
    loop = {frame, context};
    // 0: at the browser's own rate (its animation frames); false: return now, the page lives on.
    emscripten_set_main_loop(animationFrame, 0, false);
}
