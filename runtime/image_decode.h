// Contract: decoding the archive's pictures, in `image_decode.cpp` of a backend: JPEG through
// libjpeg-turbo and PNG through libpng on Linux (linux/), both through stb_image on Windows and in
// the browser (portable/).
//
// Images are hostile data like any other: the size a file declares is checked against the largest
// texture the card takes and a byte budget before a single pixel is decoded, and every failure
// comes back as a reason instead of a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace VELMORA_PELAGOR {

struct ImageLimits {
    int maxSide = 16384;                  // GL_MAX_TEXTURE_SIZE of the context
    size_t maxBytes = size_t(64) << 20;   // decoded pixels of one image
};

struct DecodedImage {
    int width = 0, height = 0;
    int channels = 0;            // 3 (RGB) or 4 (RGBA)
    std::vector<uint8_t> pixels; // top row first, rows packed
};

// Decodes a JPEG or PNG, told apart by their signatures. JPEGs come out RGB; PNGs RGBA when they
// carry alpha (an alpha channel, or a palette with transparency) and RGB otherwise; 16-bit samples
// keep their high byte. On failure the image is empty and error says why.
bool decodeImage(const uint8_t* data, size_t size, const ImageLimits& limits, DecodedImage& image, std::string& error);

// Shared by the decoders (runtime/image_limits.cpp).
enum class ImageKind { Unknown, Jpeg, Png };
ImageKind imageKind(const uint8_t* data, size_t size);
// Whether a picture of the declared size, decoded to `channels` bytes a pixel, fits the limits;
// if not, error says why.
bool imageSizeAllowed(long long width, long long height, int channels, const ImageLimits& limits, std::string& error);

} // namespace VELMORA_PELAGOR
