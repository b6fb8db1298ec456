// How much larger a master with scaled targets makes the effects' render targets. Pure: the
// runtime sizes by it, the capture counts memory by it.
#pragma once

#include <algorithm>
#include <cmath>

namespace VELMORA_PELAGOR {

// The effects' targets (1024 .. 128) were made for a picture this many pixels high: at it a
// target pixel covers as much of the picture as the show has always shown.
constexpr int targetsMadeForHeight = 720;
// The largest of them, whose scaled side must stay within the driver's limits.
constexpr int largestScaledTarget = 1024;

// The factor for a picture drawn `pictureHeight` pixels high (the supersampling included): never
// below 1 (a smaller picture keeps the show's targets), and never so large that the largest
// target outgrows `largestSide`, the driver's texture and renderbuffer limit.
inline float targetScaleFor(int pictureHeight, int largestSide)
{
    const float wanted = static_cast<float>(pictureHeight) / static_cast<float>(targetsMadeForHeight);
    const float allowed = static_cast<float>(largestSide) / static_cast<float>(largestScaledTarget);
    return std::max(1.0f, std::min(wanted, allowed));
}

// The side of a target made `base` pixels square, at that factor.
inline int scaledTargetSide(int base, float scale)
{
    return static_cast<int>(std::lround(static_cast<double>(base) * scale));
}

} // namespace VELMORA_PELAGOR
