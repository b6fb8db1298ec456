// The show's frame loop as the platform runs it.
//   runFrameLoop  calls frame(context) until it returns false. On Linux and Windows a plain loop
//                 that returns when frame has; in the browser frame runs once per animation frame
//                 from the browser's own callback and runFrameLoop returns at once: the page lives
//                 on, and the program ends with frame's last call.
#pragma once

void runFrameLoop(bool (*frame)(void* context), void* context);
