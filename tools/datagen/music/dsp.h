// The soundtrack's building blocks: a seeded noise source, oscillators, envelopes, filters, a delay
// and a reverb. Everything is plain per-sample state so that a voice can be rendered alone.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

constexpr int sampleRate = 44100;
constexpr float pi = 3.14159265358979f;
constexpr float twoPi = 6.28318530717959f;

inline float midiToHz(float note) { return 440.0f * std::exp2((note - 69.0f) / 12.0f); }
inline float dbToGain(float db) { return std::pow(10.0f, db / 20.0f); }
inline long msToSample(double ms) { return static_cast<long>(std::lround(ms * sampleRate / 1000.0)); }

// xorshift32: tiny, fast and the same everywhere. Every voice owns one seeded from its note.
struct Noise {
    uint32_t state = 0x9e3779b9u;
    explicit Noise(uint32_t seed = 1) : state(seed ? seed * 2654435761u + 1u : 0x9e3779b9u) {}
    uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    float white() { return static_cast<float>(next() >> 8) * (2.0f / 16777216.0f) - 1.0f; }
    float unit() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
};

// Sine by table: the score runs thousands of oscillators and std::sin would dominate the render.
float sineOf(float phase); // phase in turns, any value

// A phase accumulator in turns.
struct Phasor {
    float phase = 0;
    float step(float hz)
    {
        float p = phase;
        phase += hz * (1.0f / sampleRate);
        phase -= std::floor(phase);
        return p;
    }
};

// Band-limited sawtooth (PolyBLEP): bright without the aliasing a naive ramp makes.
struct Saw {
    float phase = 0;
    float next(float hz);
};

// Band-limited square / pulse (two PolyBLEP steps).
struct Pulse {
    float phase = 0;
    float next(float hz, float width = 0.5f);
};

// Attack, decay, sustain, release in seconds; value() follows the elapsed time of a note of
// known length, so no gate events are needed.
struct Adsr {
    float attack = 0.01f, decay = 0.1f, sustain = 1.0f, release = 0.2f;
    float at(float time, float length) const;
};

// Zero-delay-feedback state-variable filter (low, band, high from one structure).
struct Svf {
    float ic1 = 0, ic2 = 0;
    float g = 0, k = 1, a1 = 0, a2 = 0, a3 = 0;
    void set(float hz, float q);
    // Returns low-pass; band and high are left in the out-parameters when asked for.
    float process(float x, float* band = nullptr, float* high = nullptr);
};

struct OnePole {
    float z = 0, a = 0;
    void setLowPass(float hz) { a = 1.0f - std::exp(-twoPi * hz / sampleRate); }
    float low(float x) { return z += a * (x - z); }
    float high(float x) { return x - low(x); }
};

// Soft saturation for warmth on drums and basses.
inline float softClip(float x) { return x / (1.0f + std::fabs(x)); }

// Stereo feedback delay with a damped loop and cross-feed (ping-pong).
struct StereoDelay {
    std::vector<float> left, right;
    size_t pos = 0;
    size_t length = 1;
    float feedback = 0.4f;
    OnePole dampL, dampR;
    StereoDelay(float seconds, float feedback, float dampHz);
    void process(float inL, float inR, float& outL, float& outR);
};

// A Schroeder-Moorer reverb in the Freeverb layout: eight damped combs and four allpasses per
// side, the right side's delays spread a little longer for width.
struct Reverb {
    struct Comb {
        std::vector<float> buffer;
        size_t pos = 0;
        float store = 0;
    };
    struct Allpass {
        std::vector<float> buffer;
        size_t pos = 0;
    };
    Comb combs[2][8];
    Allpass allpasses[2][4];
    float feedback = 0.84f, damp = 0.3f;
    Reverb(float roomSize, float damping);
    void process(float in, float& outL, float& outR);
};
