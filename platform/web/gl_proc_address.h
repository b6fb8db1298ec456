// What the browser backend's files share.
#pragma once

#include "platform/win32.h"

// A GL entry point of the browser's GL layer by name, or null.
PROC browserGlProcAddress(const char* name);
