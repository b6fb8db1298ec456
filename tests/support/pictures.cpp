#include "tests/support/pictures.h"

#include <stb/stb_image.h>

#include <cstdlib>

std::vector<unsigned char> pixelsOf(const std::string& png, int& width, int& height)
{
    int channels = 0;
    unsigned char* pixels = stbi_load(png.c_str(), &width, &height, &channels, 4);
    if (!pixels)
        return {};
    std::vector<unsigned char> rgba(pixels, pixels + static_cast<size_t>(width) * height * 4);
    stbi_image_free(pixels);
    return rgba;
}

double meanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.size() != b.size() || a.empty())
        return 255.0;
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        if (i % 4 != 3)
            sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
    return sum / (static_cast<double>(a.size()) * 0.75);
}
