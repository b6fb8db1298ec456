// What every image decoder checks before it decodes: the kind of file, and the size it declares.
#include "runtime/image_decode.h"

#include <cstring>

namespace VELMORA_PELAGOR {

ImageKind imageKind(const uint8_t* data, size_t size)
{
    static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (data && size >= 8 && std::memcmp(data, pngSignature, 8) == 0)
        return ImageKind::Png;
    if (data && size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return ImageKind::Jpeg;
    return ImageKind::Unknown;
}

bool imageSizeAllowed(long long width, long long height, int channels, const ImageLimits& limits, std::string& error)
{
    if (width <= 0 || height <= 0) {
        error = "it declares an empty picture";
        return false;
    }
    const std::string declared = "it declares " + std::to_string(width) + "x" + std::to_string(height) + " pixels";
    if (width > limits.maxSide || height > limits.maxSide) {
        error = declared + ", more than the largest texture (" + std::to_string(limits.maxSide) + " pixels a side)";
        return false;
    }
    const unsigned long long bytes =
        static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * static_cast<unsigned>(channels);
    if (bytes > limits.maxBytes) {
        error = declared + " (" + std::to_string(bytes >> 20) + " MB decoded), more than the " +
                std::to_string(limits.maxBytes >> 20) + " MB an image may take";
        return false;
    }
    return true;
}

} // namespace VELMORA_PELAGOR
