// What the page asks the show while it plays: the music position for its title.
#include "runtime/dms.h"

#include <emscripten/emscripten.h>

extern "C" EMSCRIPTEN_KEEPALIVE int orvPositionMs() { return dmsGetModulePosition(); }
