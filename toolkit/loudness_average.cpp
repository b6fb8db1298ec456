#include "toolkit/loudness_average.h"

#include "runtime/dms.h"

#include <algorithm>

namespace {
constexpr int spectrumSize = 512;
constexpr int summedBins = 511; // the top bin is left out of the sum
} // namespace

SpectrumAverage::SpectrumAverage(int count_) : count(count_), history(static_cast<size_t>(std::max(count_, 0)), 0.0f) {}

float SpectrumAverage::update()
{
    float spectrum[spectrumSize] = {};
    dmsGetSpectrum(spectrum, spectrumSize);
    float sum = 0.0f;
    for (int i = 0; i < summedBins; ++i)
        sum += spectrum[i];

    if (count < 1)
        return 0.0f;
    std::copy(history.begin() + 1, history.end(), history.begin());
    history.back() = sum;

    const float weight = 1.0f / static_cast<float>(count);
    float average = 0.0f;
    for (float h : history)
        average += weight * h;
    return average;
}
