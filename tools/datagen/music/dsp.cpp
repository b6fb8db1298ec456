#include "tools/datagen/music/dsp.h"

#include <algorithm>
#include <array>

namespace {

constexpr int sineTableSize = 4096;

const std::array<float, sineTableSize + 1>& sineTable()
{
    static const auto table = [] {
        std::array<float, sineTableSize + 1> t{};
        for (int i = 0; i <= sineTableSize; ++i)
            t[i] = static_cast<float>(std::sin(2.0 * 3.14159265358979323846 * i / sineTableSize));
        return t;
    }();
    return table;
}

// The correction that rounds off a step at phase 0 (PolyBLEP); dt is the phase step.
float polyBlep(float t, float dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

} // namespace

float sineOf(float phase)
{
    const auto& table = sineTable();
    float x = (phase - std::floor(phase)) * sineTableSize;
    int i = static_cast<int>(x);
    if (i >= sineTableSize)
        i = sineTableSize - 1;
    float f = x - static_cast<float>(i);
    return table[i] + (table[i + 1] - table[i]) * f;
}

float Saw::next(float hz)
{
    float dt = std::min(hz / sampleRate, 0.5f);
    float value = 2.0f * phase - 1.0f - polyBlep(phase, dt);
    phase += dt;
    if (phase >= 1.0f)
        phase -= 1.0f;
    return value;
}

float Pulse::next(float hz, float width)
{
    float dt = std::min(hz / sampleRate, 0.5f);
    float value = phase < width ? 1.0f : -1.0f;
    value += polyBlep(phase, dt);
    float shifted = phase - width;
    if (shifted < 0.0f)
        shifted += 1.0f;
    value -= polyBlep(shifted, dt);
    phase += dt;
    if (phase >= 1.0f)
        phase -= 1.0f;
    return value;
}

float Adsr::at(float time, float length) const
{
    auto held = [this](float x) {
        if (x < attack)
            return x / attack;
        x -= attack;
        if (x < decay)
            return 1.0f + (sustain - 1.0f) * (x / decay);
        return sustain;
    };
    if (time < 0.0f)
        return 0.0f;
    if (time < length)
        return held(time);
    float after = time - length;
    if (after >= release)
        return 0.0f;
    return held(length) * (1.0f - after / release);
}

void Svf::set(float hz, float q)
{
    hz = std::clamp(hz, 10.0f, sampleRate * 0.45f);
    g = std::tan(pi * hz / sampleRate);
    k = 1.0f / std::max(q, 0.05f);
    a1 = 1.0f / (1.0f + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

float Svf::process(float x, float* band, float* high)
{
    float v3 = x - ic2;
    float v1 = a1 * ic1 + a2 * v3;
    float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0f * v1 - ic1;
    ic2 = 2.0f * v2 - ic2;
    if (band)
        *band = v1;
    if (high)
        *high = x - k * v1 - v2;
    return v2;
}

StereoDelay::StereoDelay(float seconds, float fb, float dampHz)
    : length(std::max<size_t>(1, static_cast<size_t>(seconds * sampleRate))), feedback(fb)
{
    left.assign(length, 0.0f);
    right.assign(length, 0.0f);
    dampL.setLowPass(dampHz);
    dampR.setLowPass(dampHz);
}

void StereoDelay::process(float inL, float inR, float& outL, float& outR)
{
    float dl = left[pos], dr = right[pos];
    // Cross-feed so echoes bounce between the sides.
    left[pos] = inL + dampR.low(dr) * feedback;
    right[pos] = inR + dampL.low(dl) * feedback;
    if (++pos >= length)
        pos = 0;
    outL = dl;
    outR = dr;
}

Reverb::Reverb(float roomSize, float damping)
{
    static const int combTuning[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int allpassTuning[4] = {556, 441, 341, 225};
    const int spread = 23;
    feedback = roomSize;
    damp = damping;
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 8; ++i)
            combs[side][i].buffer.assign(combTuning[i] + side * spread, 0.0f);
        for (int i = 0; i < 4; ++i)
            allpasses[side][i].buffer.assign(allpassTuning[i] + side * spread, 0.0f);
    }
}

void Reverb::process(float in, float& outL, float& outR)
{
    float out[2] = {0.0f, 0.0f};
    for (int side = 0; side < 2; ++side) {
        float sum = 0.0f;
        for (auto& c : combs[side]) {
            float y = c.buffer[c.pos];
            c.store = y * (1.0f - damp) + c.store * damp;
            c.buffer[c.pos] = in + c.store * feedback;
            if (++c.pos >= c.buffer.size())
                c.pos = 0;
            sum += y;
        }
        for (auto& a : allpasses[side]) {
            float b = a.buffer[a.pos];
            a.buffer[a.pos] = sum + b * 0.5f;
            if (++a.pos >= a.buffer.size())
                a.pos = 0;
            sum = b - sum;
        }
        out[side] = sum;
    }
    outL = out[0];
    outR = out[1];
}
