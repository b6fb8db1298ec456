// GL entry points that the runtime reroutes, the same on every platform: offline, frame buffer 0
// is the runtime's own frame buffer, so the calls that bind it are answered by the runtime.
//
//   setProcAddressOverride  answers `name` with `replacement` from now on (null removes it)
//   procAddressOverride     the rerouted entry point of that name, or null
//   setProcAddressSource    where a backend finds GL entry points while the runtime holds a
//                           context of its own, made without the backend (offline, on EGL);
//                           null returns to the backend's own lookup
//   resolveProcAddress      wglGetProcAddress's answer on every platform: null for a null name,
//                           else the override, else what the platform's `lookup` finds
#pragma once

#include "platform/win32.h"

void setProcAddressOverride(const char* name, PROC replacement);
PROC procAddressOverride(const char* name);

using ProcAddressLookup = void* (*)(const char* name);
void setProcAddressSource(ProcAddressLookup lookup);
ProcAddressLookup procAddressSource();

PROC resolveProcAddress(const char* name, PROC (*lookup)(const char* name));
