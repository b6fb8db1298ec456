// Decoding the archive's pictures on Windows and in the browser, through stb_image: libjpeg-turbo
// and libpng have no MinGW or WebAssembly build in Debian, and stb_image is compiled into these
// builds anyway. The checks are the
// contract's (runtime/image_decode.h): only JPEG and PNG are taken, and the size a file declares
// is checked before a single pixel is decoded.
#include "runtime/image_decode.h"

#include <stb/stb_image.h>

#include <limits>
#include <memory>

namespace VELMORA_PELAGOR {

bool decodeImage(const uint8_t* data, size_t size, const ImageLimits& limits, DecodedImage& image, std::string& error)
{
    image = DecodedImage{};
    const ImageKind kind = imageKind(data, size);
    if (kind == ImageKind::Unknown) {
        error = "neither a JPEG nor a PNG";
        return false;
    }
    const char* what = kind == ImageKind::Jpeg ? "JPEG" : "PNG";
    if (size > static_cast<size_t>(std::numeric_limits<int>::max())) {
        error = std::string("not a readable ") + what + " (larger than the decoder takes)";
        return false;
    }
    const int length = static_cast<int>(size);
    int width = 0, height = 0, fileChannels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &fileChannels)) {
        error = std::string("not a readable ") + what + " (" + stbi_failure_reason() + ")";
        return false;
    }
    // As the other decoder: JPEGs come out RGB; PNGs RGBA when they carry alpha (grey or colour
    // with an alpha channel, or a palette with transparency, which stb_image reports as four
    // channels) and RGB otherwise.
    const int channels = kind == ImageKind::Png && (fileChannels == 2 || fileChannels == 4) ? 4 : 3;
    if (!imageSizeAllowed(width, height, channels, limits, error))
        return false;
    int w = 0, h = 0, n = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(stbi_load_from_memory(data, length, &w, &h, &n, channels),
                                                           stbi_image_free);
    if (!pixels) {
        error = std::string("not a readable ") + what + " (" + stbi_failure_reason() + ")";
        return false;
    }
    // The decode must give the size the header declared: that is what was checked.
    if (w != width || h != height) {
        error = std::string("not a readable ") + what + " (its header and its picture disagree on the size)";
        return false;
    }
    image.width = w;
    image.height = h;
    image.channels = channels;
    image.pixels.assign(pixels.get(), pixels.get() + static_cast<size_t>(w) * static_cast<size_t>(h) * channels);
    return true;
}

} // namespace VELMORA_PELAGOR
