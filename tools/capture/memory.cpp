#include "tools/capture/memory.h"

#include "runtime/target_scale.h"

#include <cstdio>

long long captureBytesNeeded(const CaptureOptions& o)
{
    const long long picture = static_cast<long long>(o.width) * o.height * 4;
    const long long n = o.supersample;
    long long bytes = picture * n * n * 2; // RGBA8, and 24-bit depth with stencil
    if (reduces(o))
        bytes += picture * 4 + (4LL << 20); // float sums, and one band read back
    if (o.scaleTargets) {
        // The scaled 1024 and 512 targets: two colour textures and a depth renderbuffer each (the
        // 512's first texture with its mip-maps), at most as large as the whole picture asks.
        const float scale = VELMORA_PELAGOR::targetScaleFor(o.height * o.supersample, 1 << 30);
        const long long side1024 = VELMORA_PELAGOR::scaledTargetSide(1024, scale),
                        side512 = VELMORA_PELAGOR::scaledTargetSide(512, scale);
        bytes += side1024 * side1024 * 4 * 3 + side512 * side512 * 4 * 3 + side512 * side512 * 4 / 3;
    }
    return bytes + picture * 4;            // frames being read, waiting and written
}

bool checkMemory(const CaptureOptions& o, long long needed, long long available, std::string& problem)
{
    if (available < 0 || needed <= available)
        return true;
    char text[256];
    std::snprintf(text, sizeof text, "%dx%d%s needs about %.1f GB for its pictures, and only %.1f GB of memory is free",
                  o.width, o.height,
                  o.supersample > 1 ? (" supersampled " + std::to_string(o.supersample) + "x").c_str() : "",
                  static_cast<double>(needed) / 1e9, static_cast<double>(available) / 1e9);
    problem = text;
    return false;
}
