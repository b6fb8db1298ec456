#include "tools/datagen/music/mixer.h"

#include "tools/datagen/music/dsp.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

// The side-chain gain at a control rate: every kick dips the ducked instruments and lets them
// swell back, the "breathing" the pads and basses get.
constexpr size_t duckStep = 32;

std::vector<float> sideChain(const std::vector<Note>& notes, size_t frames)
{
    std::vector<float> gain(frames / duckStep + 2, 1.0f);
    for (const Note& n : notes) {
        if (!n.sidechain)
            continue;
        long start = msToSample(n.startMs);
        float depth = std::clamp(n.velocity, 0.0f, 1.0f) * 0.6f;
        for (size_t k = 0; k < gain.size(); ++k) {
            long at = static_cast<long>(k * duckStep) - start;
            if (at < -200)
                continue;
            float t = static_cast<float>(at) / sampleRate;
            if (t > 0.6f)
                break;
            float attack = std::clamp((t + 0.0045f) / 0.0045f, 0.0f, 1.0f);
            float dip = depth * attack * std::exp(-std::max(t, 0.0f) / 0.13f);
            gain[k] = std::min(gain[k], 1.0f - dip);
        }
    }
    return gain;
}

// A look-ahead limiter that never lets a sample over the ceiling: the gain at each sample is the
// running mean of the look-ahead minimum, so it starts falling before a peak arrives.
void limit(Song& song, float ceiling)
{
    const size_t n = song.frames();
    const size_t look = sampleRate * 3 / 1000; // 3 ms
    std::vector<float> need(n);
    for (size_t i = 0; i < n; ++i) {
        float peak = std::max(std::fabs(song.left[i]), std::fabs(song.right[i]));
        need[i] = peak > ceiling ? ceiling / peak : 1.0f;
    }
    // Minimum over [i, i + look) with a monotone deque.
    std::vector<float> ahead(n);
    std::deque<size_t> window;
    for (size_t j = n; j-- > 0;) {
        while (!window.empty() && need[window.back()] >= need[j])
            window.pop_back();
        window.push_back(j);
        while (window.front() >= j + look)
            window.pop_front();
        ahead[j] = need[window.front()];
    }
    // Slow release so the gain does not flutter between hits.
    const float release = 1.0f - std::exp(-1.0f / (0.08f * sampleRate));
    float g = 1.0f;
    for (size_t i = 0; i < n; ++i) {
        g = std::min(ahead[i], g + (1.0f - g) * release);
        ahead[i] = g;
    }
    double sum = 0;
    std::vector<float> history(look, 1.0f);
    for (size_t i = 0; i < look; ++i)
        sum += 1.0;
    for (size_t i = 0; i < n; ++i) {
        sum += ahead[i] - history[i % look];
        history[i % look] = ahead[i];
        float gain = std::min(static_cast<float>(sum / static_cast<double>(look)), ahead[i]);
        song.left[i] *= gain;
        song.right[i] *= gain;
    }
}

} // namespace

Song mixSong(const std::vector<Note>& notes, const MixSettings& settings, const Progress& progress)
{
    const size_t frames = static_cast<size_t>(msToSample(settings.lengthMs));
    Song song;
    song.left.assign(frames, 0.0f);
    song.right.assign(frames, 0.0f);
    std::vector<float> reverbSend(frames, 0.0f), delaySend(frames, 0.0f);
    const std::vector<float> duck = sideChain(notes, frames);

    std::vector<float> left, right;
    for (size_t k = 0; k < notes.size(); ++k) {
        const Note& n = notes[k];
        if (progress && (k % 64 == 0))
            progress("notes", static_cast<double>(k) / static_cast<double>(notes.size()));
        long start = msToSample(n.startMs);
        if (start >= static_cast<long>(frames))
            continue;
        renderNote(n, left, right);
        float pan = std::clamp(n.pan, -1.0f, 1.0f);
        float gl = std::cos((pan + 1.0f) * pi * 0.25f) * 1.41421f * n.velocity;
        float gr = std::sin((pan + 1.0f) * pi * 0.25f) * 1.41421f * n.velocity;
        for (size_t i = 0; i < left.size(); ++i) {
            long at = start + static_cast<long>(i);
            if (at < 0)
                continue;
            if (at >= static_cast<long>(frames))
                break;
            size_t s = static_cast<size_t>(at);
            float d = n.ducked ? duck[s / duckStep] : 1.0f;
            float l = left[i] * gl * d, r = right[i] * gr * d;
            song.left[s] += l;
            song.right[s] += r;
            float mono = 0.5f * (l + r);
            reverbSend[s] += mono * n.reverb;
            delaySend[s] += mono * n.delay;
        }
    }

    // Returns: a dotted-eighth ping-pong near the show's tempo, feeding a large soft room.
    StereoDelay delay(0.388f, 0.42f, 3500.0f);
    Reverb reverb(0.88f, 0.35f);
    OnePole reverbTone;
    reverbTone.setLowPass(6000.0f);
    const float fadeStart = static_cast<float>(msToSample(settings.fadeStartMs));
    const float fadeEnd = static_cast<float>(msToSample(settings.fadeEndMs));
    // DC and sub-sonic rumble out before the limiter sees the signal.
    OnePole dcL, dcR;
    dcL.setLowPass(18.0f);
    dcR.setLowPass(18.0f);
    for (size_t s = 0; s < frames; ++s) {
        if (progress && (s % (sampleRate * 8) == 0))
            progress("effects", static_cast<double>(s) / static_cast<double>(frames));
        float dl = 0, dr = 0;
        delay.process(delaySend[s], 0.0f, dl, dr);
        float wl = 0, wr = 0;
        reverb.process(reverbTone.low(reverbSend[s] + 0.25f * (dl + dr)) * 0.12f, wl, wr);
        float l = song.left[s] + dl * settings.delayReturn + wl * settings.reverbReturn;
        float r = song.right[s] + dr * settings.delayReturn + wr * settings.reverbReturn;
        float fade = 1.0f;
        float fs = static_cast<float>(s);
        if (fs >= fadeEnd)
            fade = 0.0f;
        else if (fs > fadeStart)
            fade = 0.5f + 0.5f * std::cos(pi * (fs - fadeStart) / (fadeEnd - fadeStart));
        song.left[s] = dcL.high(l) * settings.masterGain * fade;
        song.right[s] = dcR.high(r) * settings.masterGain * fade;
    }
    if (progress)
        progress("limiter", 0.0);
    limit(song, masterCeiling);
    const float trim = dbToGain(masterTrimDb);
    for (size_t s = 0; s < frames; ++s) {
        song.left[s] *= trim;
        song.right[s] *= trim;
    }
    if (progress)
        progress("limiter", 1.0);
    return song;
}
