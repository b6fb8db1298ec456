// Pictures read back from files, and how far apart two of them are.
#pragma once

#include <string>
#include <vector>

// Decoded RGBA of a PNG; empty when it does not decode.
std::vector<unsigned char> pixelsOf(const std::string& png, int& width, int& height);
// Mean absolute difference per colour value of two RGBA pictures of one size (255 if they differ
// in size or are empty).
double meanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);
