// Where a desktop program on Linux keeps its logs: under $XDG_STATE_HOME.
#include "platform/run_log.h"

#include <cstdlib>

std::filesystem::path runLogFolder() { return runLogFolderFrom(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")); }
