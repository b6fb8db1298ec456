// One smoothed loudness value from the music spectrum: each update() sums the current spectrum
// and returns the mean of the last count sums. The history starts at zero, so the first
// count - 1 calls are pulled towards 0. Call update() exactly once per frame.
#pragma once

#include <vector>

class SpectrumAverage {
public:
    int count;                  // history length; below 1 the average is always 0
    std::vector<float> history; // newest sum last

    explicit SpectrumAverage(int count);

    float update();
};
