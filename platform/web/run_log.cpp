// A page keeps no log file: its console is the browser's.
#include "platform/run_log.h"

std::filesystem::path runLogFolder() { return {}; }
