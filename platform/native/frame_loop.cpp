// The frame loop of a program that owns its thread: frames until the show says it is over.
#include "platform/frame_loop.h"

void runFrameLoop(bool (*frame)(void* context), void* context)
{
    while (frame(context)) {
    }
}
