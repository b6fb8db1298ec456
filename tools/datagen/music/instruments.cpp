#include "tools/datagen/music/instruments.h"

#include "tools/datagen/music/dsp.h"

#include <algorithm>
#include <cmath>

namespace {

using Buffer = std::vector<float>;

float seconds(size_t i) { return static_cast<float>(i) * (1.0f / sampleRate); }

// A glide of `bend` semitones across the note's held length, then held.
float glidePitch(const Note& n, float t)
{
    float held = static_cast<float>(n.lengthMs) * 0.001f;
    float u = held > 0 ? std::min(t / held, 1.0f) : 1.0f;
    return n.pitch + n.bend * u;
}

void kick(const Note& n, Buffer& out)
{
    Noise noise(n.seed);
    OnePole clickFilter;
    clickFilter.setLowPass(3000.0f);
    Svf punchFilter;
    punchFilter.set(2500.0f, 0.6f);
    float base = midiToHz(n.pitch); // about 45 Hz at pitch 30
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float hz = base + base * 2.6f * std::exp(-t / 0.035f) + 400.0f * std::exp(-t / 0.004f);
        phase += hz / sampleRate;
        float body = sineOf(phase) * std::exp(-t / (0.18f + 0.25f * n.bright));
        float attack = std::min(t / 0.0008f, 1.0f);
        float click = clickFilter.high(noise.white()) * std::exp(-t / 0.006f) * 0.5f;
        // Hard kicks carry a short burst of mid noise: a beat the whole spectrum feels.
        float punch = 0;
        if (n.bright > 0.5f) {
            punchFilter.process(noise.white(), &punch);
            punch *= std::exp(-t / 0.03f) * (n.bright - 0.5f) * 3.0f;
        }
        out[i] = softClip((body * attack + click + punch) * 1.6f) * 1.1f;
    }
}

void snare(const Note& n, Buffer& out)
{
    Noise noise(n.seed);
    Svf filter;
    filter.set(2500.0f + 3000.0f * n.bright, 0.7f);
    float hz = midiToHz(n.pitch);
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float tone = (sineOf(t * hz) + 0.5f * sineOf(t * hz * 1.47f)) * std::exp(-t / 0.05f) * 0.6f;
        float high = 0;
        filter.process(noise.white(), nullptr, &high);
        float body = high * std::exp(-t / (0.09f + 0.1f * n.bright));
        out[i] = softClip((tone + body) * 1.4f) * std::min(t / 0.0005f, 1.0f);
    }
}

void clap(const Note& n, Buffer& out)
{
    Noise noise(n.seed);
    Svf filter;
    filter.set(1100.0f + 900.0f * n.bright, 1.4f);
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        // Three quick hand bursts, then the room.
        float env = 0;
        for (int b = 0; b < 3; ++b) {
            float tb = t - 0.009f * static_cast<float>(b);
            if (tb >= 0)
                env = std::max(env, std::exp(-tb / 0.004f) * (1.0f - 0.15f * static_cast<float>(b)));
        }
        float tail = t - 0.02f;
        if (tail >= 0)
            env = std::max(env, 0.7f * std::exp(-tail / (0.09f + 0.12f * n.bright)));
        float band = 0;
        float high = 0;
        filter.process(noise.white(), &band, &high);
        out[i] = (band * 2.2f + high * 0.5f) * env;
    }
}

// The six-square "metal" of drum machines, for hats and cymbals.
float metal(float t, float scale)
{
    static const float ratios[6] = {205.3f, 304.4f, 369.6f, 522.7f, 540.0f, 800.0f};
    float sum = 0;
    for (float r : ratios) {
        float p = t * r * scale;
        sum += (p - std::floor(p)) < 0.5f ? 1.0f : -1.0f;
    }
    return sum * (1.0f / 6.0f);
}

void hat(const Note& n, Buffer& out, float decay)
{
    Noise noise(n.seed);
    Svf filter;
    filter.set(7000.0f + 3000.0f * n.bright, 0.9f);
    float scale = 1.6f + 0.4f * n.bright;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float src = noise.white() * 0.6f + metal(t, scale) * 0.7f;
        float high = 0;
        filter.process(src, nullptr, &high);
        out[i] = high * std::exp(-t / decay) * std::min(t / 0.0004f, 1.0f);
    }
}

void shaker(const Note& n, Buffer& out)
{
    Noise noise(n.seed);
    Svf filter;
    filter.set(6000.0f + 4000.0f * n.bright, 1.2f);
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float env = std::min(t / 0.012f, 1.0f) * std::exp(-t / 0.04f);
        float band = 0;
        filter.process(noise.white(), &band);
        out[i] = band * env * 1.5f;
    }
}

void crash(const Note& n, Buffer& out)
{
    Noise noise(n.seed);
    Svf filter;
    filter.set(4500.0f + 2000.0f * n.bright, 0.6f);
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float src = noise.white() * 0.8f + metal(t, 1.1f + 0.2f * n.bright) * 0.5f;
        float high = 0;
        filter.process(src, nullptr, &high);
        float env = std::exp(-t / (0.7f + 1.2f * n.bright)) * 0.8f + 0.4f * std::exp(-t / 0.05f);
        out[i] = high * env * std::min(t / 0.0005f, 1.0f);
    }
}

void tom(const Note& n, Buffer& out)
{
    Noise noise(n.seed);
    float base = midiToHz(n.pitch);
    float phase = 0;
    OnePole lp;
    lp.setLowPass(5000.0f);
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float hz = base * (1.0f + 0.6f * std::exp(-t / 0.03f));
        phase += hz / sampleRate;
        float body = sineOf(phase) * std::exp(-t / (0.15f + 0.2f * n.bright));
        float hit = lp.low(noise.white()) * std::exp(-t / 0.008f) * 0.6f;
        out[i] = softClip((body + hit) * 1.5f) * std::min(t / 0.0005f, 1.0f);
    }
}

Adsr envelopeFor(const Note& n)
{
    switch (n.instrument) {
    case Instrument::SubBass: return {0.004f, 0.2f, 0.85f, 0.08f};
    case Instrument::Bass: return {0.003f, 0.25f, 0.5f, 0.06f};
    case Instrument::Pad: return {0.6f + 1.4f * (1.0f - n.bright), 0.8f, 0.8f, 1.6f};
    case Instrument::Choir: return {1.0f, 1.0f, 0.85f, 2.0f};
    case Instrument::Lead: return {0.02f, 0.3f, 0.7f, 0.35f};
    case Instrument::Drone: return {3.0f, 1.0f, 1.0f, 4.0f};
    default: return {0.005f, 0.2f, 0.0f, 0.3f};
    }
}

void subBass(const Note& n, Buffer& out)
{
    Adsr env = envelopeFor(n);
    float held = static_cast<float>(n.lengthMs) * 0.001f;
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        phase += midiToHz(glidePitch(n, t)) / sampleRate;
        float s = sineOf(phase) + 0.25f * sineOf(phase * 2.0f) * n.bright;
        out[i] = softClip(s * 1.3f) * env.at(t, held);
    }
}

void bass(const Note& n, Buffer& out)
{
    Adsr env = envelopeFor(n);
    float held = static_cast<float>(n.lengthMs) * 0.001f;
    Saw saw;
    Pulse pulse;
    Svf filter;
    float hz = midiToHz(n.pitch);
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        if ((i & 15) == 0)
            filter.set(hz * (1.5f + 10.0f * n.bright * std::exp(-t / 0.12f)), 1.1f);
        float s = saw.next(hz) * 0.6f + pulse.next(hz * 0.5f, 0.5f) * 0.5f;
        out[i] = filter.process(s) * env.at(t, held);
    }
}

// Detuned saws under a slowly breathing low-pass, spread across the stereo field.
void pad(const Note& n, Buffer& left, Buffer& right, int voices, float detuneCents, float filterBase)
{
    Noise noise(n.seed);
    Adsr env = envelopeFor(n);
    float held = static_cast<float>(n.lengthMs) * 0.001f;
    float hz = midiToHz(n.pitch);
    std::vector<Saw> saws(static_cast<size_t>(voices));
    std::vector<float> ratio(saws.size()), panL(saws.size()), panR(saws.size());
    for (size_t v = 0; v < saws.size(); ++v) {
        float spread = voices > 1 ? static_cast<float>(v) / static_cast<float>(voices - 1) * 2.0f - 1.0f : 0.0f;
        ratio[v] = std::exp2(spread * detuneCents / 1200.0f);
        saws[v].phase = noise.unit();
        panL[v] = std::sqrt(0.5f * (1.0f - spread * 0.8f));
        panR[v] = std::sqrt(0.5f * (1.0f + spread * 0.8f));
    }
    Svf filterL, filterR;
    float lfoRate = noise.range(0.07f, 0.16f), lfoPhase = noise.unit();
    float gain = 1.6f / static_cast<float>(voices);
    for (size_t i = 0; i < left.size(); ++i) {
        float t = seconds(i);
        if ((i & 31) == 0) {
            float lfo = sineOf(lfoPhase + t * lfoRate);
            float cutoff = filterBase * (0.5f + 1.5f * n.bright) * (1.0f + 0.35f * lfo);
            filterL.set(cutoff, 0.8f);
            filterR.set(cutoff * 1.03f, 0.8f);
        }
        float l = 0, r = 0;
        for (size_t v = 0; v < saws.size(); ++v) {
            float s = saws[v].next(hz * ratio[v]);
            l += s * panL[v];
            r += s * panR[v];
        }
        float e = env.at(t, held) * gain;
        left[i] = filterL.process(l) * e;
        right[i] = filterR.process(r) * e;
    }
}

// Saws through three vowel formants: a soft wordless choir.
void choir(const Note& n, Buffer& left, Buffer& right)
{
    Noise noise(n.seed);
    Adsr env = envelopeFor(n);
    float held = static_cast<float>(n.lengthMs) * 0.001f;
    float hz = midiToHz(n.pitch);
    Saw saws[4];
    float ratio[4] = {0.996f, 1.0f, 1.004f, 2.001f};
    for (auto& s : saws)
        s.phase = noise.unit();
    // "oo" opening towards "ah" as the note brightens.
    float f1 = 350.0f + 350.0f * n.bright, f2 = 800.0f + 400.0f * n.bright, f3 = 2600.0f;
    Svf formL[3], formR[3];
    formL[0].set(f1, 6.0f), formL[1].set(f2, 8.0f), formL[2].set(f3, 10.0f);
    formR[0].set(f1 * 1.02f, 6.0f), formR[1].set(f2 * 0.98f, 8.0f), formR[2].set(f3 * 1.01f, 10.0f);
    float vibratoRate = noise.range(4.5f, 5.5f);
    for (size_t i = 0; i < left.size(); ++i) {
        float t = seconds(i);
        float vib = 1.0f + 0.003f * sineOf(t * vibratoRate) * std::min(t, 1.0f);
        float a = saws[0].next(hz * ratio[0] * vib) + saws[3].next(hz * ratio[3] * vib) * 0.3f;
        float b = saws[1].next(hz * ratio[1] * vib) + saws[2].next(hz * ratio[2] * vib);
        float l = 0, r = 0, band = 0;
        const float weights[3] = {1.0f, 0.6f, 0.25f};
        for (int f = 0; f < 3; ++f) {
            formL[f].process(a + b * 0.5f, &band);
            l += band * weights[f];
            formR[f].process(b + a * 0.5f, &band);
            r += band * weights[f];
        }
        float e = env.at(t, held) * 0.9f;
        left[i] = l * e;
        right[i] = r * e;
    }
}

void pluck(const Note& n, Buffer& out)
{
    Saw saw;
    Pulse pulse;
    Svf filter;
    float hz = midiToHz(n.pitch);
    float held = static_cast<float>(n.lengthMs) * 0.001f;
    float decay = 0.12f + 0.35f * n.bright;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        if ((i & 15) == 0)
            filter.set(hz * (1.0f + 14.0f * n.bright * std::exp(-t / 0.07f)) + 200.0f, 1.6f);
        float s = saw.next(hz) * 0.5f + pulse.next(hz * 1.002f, 0.3f) * 0.4f;
        float env = std::min(t / 0.002f, 1.0f) * std::exp(-t / decay);
        if (t > held)
            env *= std::exp(-(t - held) / 0.08f);
        out[i] = filter.process(s) * env;
    }
}

// Two-operator FM with an inharmonic ratio: a glassy, watery bell.
void bell(const Note& n, Buffer& out)
{
    float hz = midiToHz(n.pitch);
    float modRatio = 3.5f;
    float decay = 0.8f + 2.0f * n.bright;
    float carrier = 0, modulator = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float index = (1.2f + 2.5f * n.bright) * std::exp(-t / 0.25f) + 0.3f;
        modulator += hz * modRatio / sampleRate;
        carrier += hz / sampleRate;
        float s = sineOf(carrier + index * sineOf(modulator) * 0.159f);
        float env = std::min(t / 0.001f, 1.0f) * std::exp(-t / decay);
        out[i] = s * env * 0.8f;
    }
}

void lead(const Note& n, Buffer& out)
{
    Adsr env = envelopeFor(n);
    float held = static_cast<float>(n.lengthMs) * 0.001f;
    Saw a, b;
    b.phase = 0.37f;
    Svf filter;
    float pulseOfLife = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float vibrato = 0.12f * sineOf(t * 5.2f) * std::clamp((t - 0.25f) * 2.0f, 0.0f, 1.0f);
        float hz = midiToHz(glidePitch(n, t) + vibrato);
        if ((i & 15) == 0)
            filter.set(hz * (2.0f + 5.0f * n.bright) + 300.0f * std::exp(-t / 0.1f), 0.9f);
        float s = a.next(hz) + b.next(hz * 1.006f) + 0.5f * sineOf(pulseOfLife);
        pulseOfLife += hz * 0.5f / sampleRate;
        out[i] = filter.process(s) * env.at(t, held) * 0.5f;
    }
}

// Noise swept up through a band-pass, with a rising tone inside it; swells to its end.
void riser(const Note& n, Buffer& out)
{
    Noise noise(n.seed);
    Svf filter;
    float held = static_cast<float>(n.lengthMs) * 0.001f;
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float u = std::min(t / held, 1.0f);
        if ((i & 15) == 0)
            filter.set(250.0f * std::exp2(u * 5.0f), 2.5f);
        float band = 0;
        filter.process(noise.white(), &band);
        phase += midiToHz(n.pitch + n.bend * u) / sampleRate;
        float tone = (sineOf(phase) + 0.3f * sineOf(phase * 2.01f)) * 0.25f * n.bright;
        // Swells to its end but clears the last 40 ms, so the hit it leads to lands in a gap.
        float env = u * u * std::clamp((held - t) / 0.04f, 0.0f, 1.0f);
        out[i] = (band * 1.2f + tone) * env;
    }
}

// A deep boom and a burst of grit: the big downbeats.
void impact(const Note& n, Buffer& out)
{
    Noise noise(n.seed);
    OnePole lp;
    lp.setLowPass(2500.0f);
    float base = midiToHz(n.pitch);
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float hz = base * (1.0f + 1.5f * std::exp(-t / 0.08f));
        phase += hz / sampleRate;
        float boom = sineOf(phase) * std::exp(-t / (0.6f + 0.8f * n.bright));
        float grit = lp.low(noise.white()) * std::exp(-t / 0.12f) * 1.2f;
        float snap = noise.white() * std::exp(-t / 0.004f) * 0.6f;
        out[i] = softClip((boom + grit + snap) * 1.4f) * std::min(t / 0.0004f, 1.0f);
    }
}

// Moving band-passed noise, different on each side: air over the water, currents below.
void wind(const Note& n, Buffer& left, Buffer& right)
{
    Noise noise(n.seed);
    Svf filterL, filterR;
    float held = static_cast<float>(n.lengthMs) * 0.001f;
    Adsr env{std::min(2.5f, held * 0.4f), 0.1f, 1.0f, 2.5f};
    float rateL = noise.range(0.05f, 0.13f), rateR = noise.range(0.05f, 0.13f);
    float phaseL = noise.unit(), phaseR = noise.unit();
    float centre = midiToHz(n.pitch);
    for (size_t i = 0; i < left.size(); ++i) {
        float t = seconds(i);
        if ((i & 31) == 0) {
            filterL.set(centre * std::exp2(1.2f * sineOf(phaseL + t * rateL)), 1.5f + 3.0f * n.bright);
            filterR.set(centre * std::exp2(1.2f * sineOf(phaseR + t * rateR)), 1.5f + 3.0f * n.bright);
        }
        float e = env.at(t, held);
        float band = 0;
        filterL.process(noise.white(), &band);
        left[i] = band * e;
        filterR.process(noise.white(), &band);
        right[i] = band * e;
    }
}

// A rising blip: a bubble leaving the floor.
void bubble(const Note& n, Buffer& out)
{
    float base = midiToHz(n.pitch);
    float phase = 0;
    float length = std::max(0.02f, static_cast<float>(n.lengthMs) * 0.001f);
    for (size_t i = 0; i < out.size(); ++i) {
        float t = seconds(i);
        float u = t / length;
        phase += base * (1.0f + 1.8f * u * u) / sampleRate;
        float env = std::min(t / 0.002f, 1.0f) * std::exp(-t / (length * 0.5f));
        out[i] = sineOf(phase) * env;
    }
}

// Low fifths that beat slowly against each other: the deep water.
void drone(const Note& n, Buffer& left, Buffer& right)
{
    Adsr env = envelopeFor(n);
    float held = static_cast<float>(n.lengthMs) * 0.001f;
    float hz = midiToHz(n.pitch);
    float pl[4] = {0, 0.25f, 0.5f, 0.75f};
    const float ratios[4] = {1.0f, 1.0035f, 1.4983f, 2.002f};
    const float gains[4] = {0.5f, 0.45f, 0.3f, 0.18f};
    Saw edge;
    Svf filter;
    filter.set(hz * (2.0f + 4.0f * n.bright), 0.7f);
    for (size_t i = 0; i < left.size(); ++i) {
        float t = seconds(i);
        float l = 0, r = 0;
        for (int k = 0; k < 4; ++k) {
            pl[k] += hz * ratios[k] / sampleRate;
            float s = sineOf(pl[k]) * gains[k];
            l += (k & 1) ? s * 0.6f : s;
            r += (k & 1) ? s : s * 0.6f;
        }
        float grit = filter.process(edge.next(hz * 0.999f)) * 0.35f;
        float e = env.at(t, held);
        left[i] = (l + grit) * e;
        right[i] = (r + grit) * e;
    }
}

bool isStereo(Instrument i)
{
    return i == Instrument::Pad || i == Instrument::Choir || i == Instrument::Wind || i == Instrument::Drone;
}

} // namespace

float tailSeconds(const Note& n)
{
    switch (n.instrument) {
    case Instrument::Kick: return 0.8f + 1.2f * n.bright;
    case Instrument::Snare: return 0.5f;
    case Instrument::Clap: return 0.6f;
    case Instrument::HatClosed: return 0.15f;
    case Instrument::HatOpen: return 0.8f;
    case Instrument::Shaker: return 0.2f;
    case Instrument::Crash: return 4.0f + 5.0f * n.bright;
    case Instrument::Tom: return 1.0f;
    case Instrument::Pluck: return 1.0f + 1.5f * n.bright;
    case Instrument::Bell: return 4.0f + 9.0f * n.bright;
    case Instrument::Riser: return 0.2f;
    case Instrument::Impact: return 3.0f + 3.0f * n.bright;
    case Instrument::Bubble: return std::max(0.3f, 0.005f * static_cast<float>(n.lengthMs));
    case Instrument::Wind: return 2.6f;
    default: return envelopeFor(n).release + 0.01f;
    }
}

void renderNote(const Note& n, std::vector<float>& left, std::vector<float>& right)
{
    double total = n.lengthMs * 0.001 + tailSeconds(n);
    size_t frames = static_cast<size_t>(std::max(1.0, total * sampleRate));
    left.assign(frames, 0.0f);
    right.assign(frames, 0.0f);
    switch (n.instrument) {
    case Instrument::Kick: kick(n, left); break;
    case Instrument::Snare: snare(n, left); break;
    case Instrument::Clap: clap(n, left); break;
    case Instrument::HatClosed: hat(n, left, 0.025f + 0.03f * n.bright); break;
    case Instrument::HatOpen: hat(n, left, 0.15f + 0.2f * n.bright); break;
    case Instrument::Shaker: shaker(n, left); break;
    case Instrument::Crash: crash(n, left); break;
    case Instrument::Tom: tom(n, left); break;
    case Instrument::SubBass: subBass(n, left); break;
    case Instrument::Bass: bass(n, left); break;
    case Instrument::Pad: pad(n, left, right, 5, 14.0f, 900.0f); break;
    case Instrument::Choir: choir(n, left, right); break;
    case Instrument::Pluck: pluck(n, left); break;
    case Instrument::Bell: bell(n, left); break;
    case Instrument::Lead: lead(n, left); break;
    case Instrument::Riser: riser(n, left); break;
    case Instrument::Impact: impact(n, left); break;
    case Instrument::Wind: wind(n, left, right); break;
    case Instrument::Bubble: bubble(n, left); break;
    case Instrument::Drone: drone(n, left, right); break;
    }
    if (!isStereo(n.instrument))
        right = left;
}
