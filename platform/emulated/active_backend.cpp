#include "platform/emulated/backend.h"

namespace {
PlatformBackend* installedBackend = nullptr;
} // namespace

PlatformBackend& activeBackend() { return installedBackend ? *installedBackend : defaultBackend(); }
void setActiveBackend(PlatformBackend* backend) { installedBackend = backend; }
