// Decoding pictures: the layouts the show uses come out as stb_image gave them, and hostile
// files (huge declared sizes, broken Huffman tables, truncations) are refused with a reason and
// without a large allocation.
#include "runtime/dms.h"
#include "runtime/image_decode.h"
#include "tests/runtime/allocation_probe.h"
#include "tests/runtime/runtime_fixture.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

std::vector<uint8_t> seed(const std::string& name)
{
    std::ifstream file(std::string(ORV_SOURCE_DIR) + "/fuzz/corpus/image/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool decode(const std::vector<uint8_t>& bytes, DecodedImage& image, std::string& error)
{
    return decodeImage(bytes.data(), bytes.size(), ImageLimits{}, image, error);
}

TEST(ImageDecode, PngLayoutsMatchWhatTheShowUsedToGet)
{
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(decode(seed("rgba.png"), image, error)) << error;
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 2);
    ASSERT_EQ(image.channels, 4);
    // Top row first: red and opaque, then blue at half alpha.
    EXPECT_EQ(image.pixels[0], 255);
    EXPECT_EQ(image.pixels[3], 255);
    EXPECT_EQ(image.pixels[16 + 2], 255);
    EXPECT_EQ(image.pixels[16 + 3], 128);

    // A palette with a transparent entry gains alpha; 16-bit grey keeps its high byte as RGB.
    for (const char* name : {"palette-transparent.png", "grey16.png"}) {
        const std::vector<uint8_t> bytes = seed(name);
        ASSERT_TRUE(decode(bytes, image, error)) << name << ": " << error;
        int w = 0, h = 0, channels = 0;
        ASSERT_TRUE(stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels));
        const int wanted = channels == 4 || channels == 2 ? 4 : 3;
        EXPECT_EQ(image.channels, wanted) << name;
        unsigned char* reference = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, wanted);
        ASSERT_NE(reference, nullptr);
        EXPECT_EQ(image.pixels, std::vector<uint8_t>(reference, reference + w * h * wanted)) << name;
        stbi_image_free(reference);
    }
}

TEST(ImageDecode, JpegComesOutRgbWithinOneStepOfStbImage)
{
    const std::vector<uint8_t> bytes = seed("small.jpg");
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(decode(bytes, image, error)) << error;
    ASSERT_EQ(image.channels, 3);
    int w = 0, h = 0, channels = 0;
    unsigned char* reference = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 3);
    ASSERT_NE(reference, nullptr);
    ASSERT_EQ(image.width, w);
    ASSERT_EQ(image.height, h);
    // The two decoders round the inverse transform and the chroma upsampling differently.
    int worst = 0;
    for (size_t i = 0; i < image.pixels.size(); ++i)
        worst = std::max(worst, std::abs(int(image.pixels[i]) - int(reference[i])));
    stbi_image_free(reference);
    EXPECT_LE(worst, 3);
}

TEST(ImageDecode, HugeDeclaredSizesAreRefusedBeforeDecoding)
{
    for (const char* name : {"huge-declared.png", "huge-declared.jpg"}) {
        DecodedImage image;
        std::string error;
        AllocationProbe probe;
        EXPECT_FALSE(decode(seed(name), image, error)) << name;
        EXPECT_LT(probe.largest(), size_t(1) << 20) << name;
        EXPECT_NE(error.find("16000x16000"), std::string::npos) << error;
        EXPECT_NE(error.find("MB an image may take"), std::string::npos) << error;
        EXPECT_TRUE(image.pixels.empty());
    }
    // Past the largest texture side, whatever the byte budget.
    ImageLimits small;
    small.maxSide = 2;
    DecodedImage image;
    std::string error;
    const std::vector<uint8_t> png = seed("rgba.png");
    EXPECT_FALSE(decodeImage(png.data(), png.size(), small, image, error));
    EXPECT_NE(error.find("largest texture (2 pixels a side)"), std::string::npos) << error;
}

TEST(ImageDecode, DamagedFilesAreRefusedWithAReason)
{
    for (const char* name : {"huffman-counts-over-256.jpg", "truncated.jpg", "truncated.png"}) {
        DecodedImage image;
        std::string error;
        EXPECT_FALSE(decode(seed(name), image, error)) << name;
        EXPECT_NE(error.find("not a readable"), std::string::npos) << name << ": " << error;
        EXPECT_TRUE(image.pixels.empty()) << name;
    }
    DecodedImage image;
    std::string error;
    EXPECT_FALSE(decodeImage(nullptr, 0, ImageLimits{}, image, error));
    EXPECT_EQ(error, "neither a JPEG nor a PNG");
}

} // namespace
