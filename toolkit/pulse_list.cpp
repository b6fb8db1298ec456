#include "toolkit/pulse_list.h"

#include <cmath>

namespace {
// A cue counts as current only while it is above this.
constexpr float currentThreshold = 0.01f;
} // namespace

float Pulse::valueAt(int t) const
{
    if (t < start || t >= end)
        return 0.0f;
    const float d = static_cast<float>(t - start) / static_cast<float>(end - start);
    const float e = 1.0f - d;
    switch (shape) {
    // 1.55 rather than pi / 2: the cosine fall ends near 0.02, not at 0.
    case 2: return std::cos(d * 1.55f);
    case 3: return e * e;
    case 4: return e * e * e;
    case 5: return e * e * e * e;
    case 6: return e * e * e * e * e;
    default: return e;
    }
}

int PulseList::add(int start, int end, int shape)
{
    pulses.push_back(Pulse{shape, start, end});
    return ++count;
}

float PulseList::evaluate(int t)
{
    float sum = 0.0f;
    int found = -1;
    int index = 0;
    for (const Pulse& pulse : pulses) {
        const float v = pulse.valueAt(t);
        if (v > currentThreshold)
            found = index;
        sum += v;
        ++index;
    }
    if (!pulses.empty() && sum > 1.0f)
        sum = 1.0f;
    changed = false;
    if (found != -1 && found != lastIndex) {
        changed = true;
        lastIndex = found;
    }
    return sum;
}
