// Image decoding on any bytes: a picture within the limits, or a reason.
#include "runtime/image_decode.h"

#include <cstdlib>

using namespace VELMORA_PELAGOR;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageLimits limits;
    limits.maxSide = 4096;
    limits.maxBytes = size_t(16) << 20;
    DecodedImage image;
    std::string error;
    if (decodeImage(data, size, limits, image, error)) {
        const size_t expected = static_cast<size_t>(image.width) * image.height * image.channels;
        if (image.width > limits.maxSide || image.height > limits.maxSide || image.pixels.size() != expected ||
            expected > limits.maxBytes)
            std::abort();
    } else if (error.empty() || !image.pixels.empty()) {
        std::abort();
    }
    return 0;
}
