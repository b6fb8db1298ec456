#include "runtime/image_decode.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace VELMORA_PELAGOR {

namespace {

// A progressive JPEG may hold any number of scans, each a pass over the whole image: a small file
// can keep the decoder busy for minutes. Real encoders write about ten.
constexpr int maxJpegScans = 256;
// Text and profile chunks are of no use here; a compressed one may not grow past this.
constexpr png_alloc_size_t maxPngChunkBytes = 1 << 20;

// ---------------------------------------------------------------------------------------------
// JPEG
// ---------------------------------------------------------------------------------------------

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jpegFail(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings are corrupt data the decoder would paper over with grey: refuse the file instead.
void jpegMessage(j_common_ptr info, int level)
{
    if (level < 0)
        jpegFail(info);
}

void jpegProgress(j_common_ptr info)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > maxJpegScans) {
        auto* errors = reinterpret_cast<JpegErrors*>(info->err);
        std::snprintf(errors->message, sizeof errors->message, "more than %d scans", maxJpegScans);
        std::longjmp(errors->jump, 1);
    }
}

// CMYK as Adobe writes it (inverted), multiplied out to RGB; four channels become three in place.
void cmykToRgb(std::vector<uint8_t>& pixels, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const unsigned k = pixels[i * 4 + 3];
        for (int c = 0; c < 3; ++c)
            pixels[i * 3 + c] = static_cast<uint8_t>((pixels[i * 4 + c] * k + 127) / 255);
    }
    pixels.resize(count * 3);
}

bool decodeJpeg(const uint8_t* data, size_t size, const ImageLimits& limits, DecodedImage& image, std::string& error)
{
    jpeg_decompress_struct info;
    JpegErrors errors;
    jpeg_progress_mgr progress;
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegFail;
    errors.manager.emit_message = jpegMessage;
    errors.message[0] = '\0';
    progress.progress_monitor = jpegProgress;
    // Nothing below owns memory outside the libjpeg object and `image`, so the jump back skips
    // no destructor; both are cleaned up here.
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        image = DecodedImage{};
        error = std::string("not a readable JPEG (") + errors.message + ")";
        return false;
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    info.mem->max_memory_to_use = static_cast<long>(limits.maxBytes * 2);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const int outChannels = cmyk ? 4 : 3;
    if (!imageSizeAllowed(info.image_width, info.image_height, outChannels, limits, error)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    // The accurate integer transform and smooth chroma upsampling: the closest to the encoder's
    // own picture.
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    const size_t stride = static_cast<size_t>(image.width) * outChannels;
    image.pixels.resize(stride * static_cast<size_t>(image.height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (cmyk)
        cmykToRgb(image.pixels, static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    image.channels = 3;
    return true;
}

// ---------------------------------------------------------------------------------------------
// PNG
// ---------------------------------------------------------------------------------------------

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t position;
    char message[256];
};

void pngRead(png_structp png, png_bytep out, png_size_t length)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->size - source->position)
        png_error(png, "the file ends early");
    std::memcpy(out, source->data + source->position, length);
    source->position += length;
}

[[noreturn]] void pngFail(png_structp png, png_const_charp message)
{
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source->message, sizeof source->message, "%s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

bool decodePng(const uint8_t* data, size_t size, const ImageLimits& limits, DecodedImage& image, std::string& error)
{
    PngSource source{data, size, 0, {}};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, pngFail, pngWarning);
    if (!png) {
        error = "not a readable PNG (out of memory)";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    // Row pointers live in a plain array owned by libpng's allocator: nothing with a destructor
    // stands between here and the jump back.
    png_bytep* volatile rows = nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        if (rows)
            png_free(png, rows);
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        image = DecodedImage{};
        error = std::string("not a readable PNG (") + (source.message[0] ? source.message : "out of memory") + ")";
        return false;
    }
    png_set_read_fn(png, &source, pngRead);
    png_set_chunk_malloc_max(png, maxPngChunkBytes);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colour = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    // Alpha when the file has an alpha channel, or a palette with transparent entries; a
    // transparent colour key on grey or RGB is ignored.
    const bool palette = colour == PNG_COLOR_TYPE_PALETTE;
    const bool alpha = (colour & PNG_COLOR_MASK_ALPHA) != 0 || (palette && png_get_valid(png, info, PNG_INFO_tRNS));
    const int channels = alpha ? 4 : 3;
    if (!imageSizeAllowed(width, height, channels, limits, error)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    if (palette) {
        png_set_palette_to_rgb(png);
        if (alpha)
            png_set_tRNS_to_alpha(png);
    }
    if ((colour & PNG_COLOR_MASK_COLOR) == 0) {
        if (depth < 8)
            png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (depth == 16)
        png_set_strip_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t stride = static_cast<size_t>(width) * channels;
    if (png_get_rowbytes(png, info) != stride)
        png_error(png, "unexpected row layout");

    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.channels = channels;
    image.pixels.resize(stride * height);
    rows = static_cast<png_bytepp>(png_malloc(png, sizeof(png_bytep) * height));
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = image.pixels.data() + stride * y;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    png_free(png, rows);
    rows = nullptr;
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

bool decodeImage(const uint8_t* data, size_t size, const ImageLimits& limits, DecodedImage& image, std::string& error)
{
    image = DecodedImage{};
    switch (imageKind(data, size)) {
    case ImageKind::Png: return decodePng(data, size, limits, image, error);
    case ImageKind::Jpeg: return decodeJpeg(data, size, limits, image, error);
    case ImageKind::Unknown: break;
    }
    error = "neither a JPEG nor a PNG";
    return false;
}

} // namespace VELMORA_PELAGOR
