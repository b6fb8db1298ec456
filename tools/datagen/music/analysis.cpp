#include "tools/datagen/music/analysis.h"

#include "tools/datagen/music/dsp.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// The mono mix over [first, first + count), zero outside the song.
std::vector<float> monoWindow(const Song& song, long first, size_t count)
{
    std::vector<float> out(count, 0.0f);
    for (size_t i = 0; i < count; ++i) {
        long at = first + static_cast<long>(i);
        if (at >= 0 && at < static_cast<long>(song.frames()))
            out[i] = 0.5f * (song.left[static_cast<size_t>(at)] + song.right[static_cast<size_t>(at)]);
    }
    return out;
}

std::vector<float> hann(size_t n)
{
    std::vector<float> w(n);
    for (size_t i = 0; i < n; ++i)
        w[i] = 0.5f - 0.5f * std::cos(2.0f * pi * static_cast<float>(i) / static_cast<float>(n - 1));
    return w;
}

} // namespace

std::vector<float> spectrumAt(const Song& song, double ms)
{
    const long centre = static_cast<long>(ms * sampleRate / 1000.0);
    const std::vector<float> mono = monoWindow(song, centre - spectrumWindowSize / 2, spectrumWindowSize);
    std::vector<float> spectrum(spectrumBinCount);
    musicSpectrum(mono.data(), spectrum.data());
    return spectrum;
}

float spectrumSum(const Song& song, double ms)
{
    std::vector<float> s = spectrumAt(song, ms);
    return std::accumulate(s.begin(), s.begin() + (spectrumBinCount - 1), 0.0f);
}

double meanPowerDb(const Song& song, double fromMs, double toMs)
{
    const size_t from = std::min(song.frames(), static_cast<size_t>(std::max(0L, msToSample(fromMs))));
    const size_t to = std::min(song.frames(), static_cast<size_t>(std::max(0L, msToSample(toMs))));
    double power = 0;
    for (size_t i = from; i < to; ++i)
        power += 0.5 * (song.left[i] * song.left[i] + song.right[i] * song.right[i]);
    power /= static_cast<double>(std::max<size_t>(1, to - from));
    return 10.0 * std::log10(power + 1e-12);
}

std::vector<float> smoothedLoudness(const Song& song, double fromMs, double toMs, double fps)
{
    std::vector<float> out;
    float history[3] = {0, 0, 0};
    const double frameMs = 1000.0 / fps;
    for (double t = fromMs; t < toMs; t += frameMs) {
        history[0] = history[1];
        history[1] = history[2];
        history[2] = spectrumSum(song, t);
        const float w = 1.0f / 3.0f;
        out.push_back(w * history[0] + w * history[1] + w * history[2]);
    }
    return out;
}

std::vector<double> detectOnsets(const Song& song, double fromMs, double toMs)
{
    const size_t size = 256, hop = 32;
    static const std::vector<float> window = hann(size);
    const long first = static_cast<long>(fromMs * sampleRate / 1000.0) - static_cast<long>(size);
    const long last = static_cast<long>(toMs * sampleRate / 1000.0);
    std::vector<float> flux;
    std::vector<double> times;
    std::vector<float> previous;
    for (long start = first; start < last; start += static_cast<long>(hop)) {
        std::vector<float> frame = monoWindow(song, start, size);
        for (size_t i = 0; i < size; ++i)
            frame[i] *= window[i];
        std::vector<float> mags(size / 2 + 1);
        fftMagnitudes(frame.data(), static_cast<int>(size), mags.data());
        for (float& m : mags)
            m = std::log1p(100.0f * m);
        float f = 0;
        if (!previous.empty())
            for (size_t k = 1; k < mags.size(); ++k)
                f += std::max(0.0f, mags[k] - previous[k]);
        previous = std::move(mags);
        flux.push_back(f);
        // The frame reacts most when the attack crosses its middle.
        times.push_back((static_cast<double>(start) + size / 2.0) * 1000.0 / sampleRate);
    }
    // Peaks: the largest value within +-15 ms that stands clearly above the median of the
    // surrounding 200 ms (a median, so a busy bar or a noise sweep does not hide a hit), and by
    // an absolute margin too, so the wobble of a held chord is not taken for one.
    std::vector<double> onsets;
    const int near = static_cast<int>(0.015 * sampleRate / hop);
    const int around = static_cast<int>(0.1 * sampleRate / hop);
    const int count = static_cast<int>(flux.size());
    std::vector<float> local;
    for (int i = 1; i < count; ++i) {
        if (times[static_cast<size_t>(i)] < fromMs || times[static_cast<size_t>(i)] > toMs)
            continue;
        float v = flux[static_cast<size_t>(i)];
        bool peak = v > 0;
        for (int j = std::max(0, i - near); j <= std::min(count - 1, i + near) && peak; ++j)
            if (flux[static_cast<size_t>(j)] > v || (flux[static_cast<size_t>(j)] == v && j < i))
                peak = false;
        if (!peak)
            continue;
        local.assign(flux.begin() + std::max(0, i - around), flux.begin() + std::min(count, i + around + 1));
        std::nth_element(local.begin(), local.begin() + static_cast<long>(local.size() / 2), local.end());
        if (v > 1.5f * local[local.size() / 2] + 10.0f)
            onsets.push_back(times[static_cast<size_t>(i)]);
    }
    return onsets;
}
