// In the browser the Win32-style calls are emulated as on Linux, with the same declarations;
// platform/web/win32_browser.cpp defines them over the page.
#pragma once

#include "platform/linux/win32_emulation.h"
