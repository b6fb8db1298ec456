// The generator's drawing kit, its built-in resources and the review sheet.
#include "tools/datagen/assets.h"
#include "tools/datagen/contact_sheet.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/image.h"
#include "tools/datagen/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

TEST(DatagenKit, RandomNumbersRepeatPerSeedAndStayInRange)
{
    Rng a(5), b(5), c(6);
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        const uint32_t x = a.next();
        EXPECT_EQ(x, b.next());
        differs |= x != c.next();
        const float u = a.unit();
        b.unit();
        EXPECT_GE(u, 0.0f);
        EXPECT_LT(u, 1.0f);
    }
    EXPECT_TRUE(differs);
}

TEST(DatagenKit, TileableNoiseRepeatsOverItsPeriod)
{
    for (float y : {0.0f, 0.37f, 2.9f})
        for (float x : {0.0f, 1.25f, 3.5f}) {
            EXPECT_NEAR(periodicNoise(x, y, 4, 9), periodicNoise(x + 4.0f, y, 4, 9), 1e-5f);
            EXPECT_NEAR(periodicNoise(x, y, 4, 9), periodicNoise(x, y - 4.0f, 4, 9), 1e-5f);
        }
    // The sum of octaves meets itself across the unit square's edges.
    EXPECT_NEAR(tileableFbm(0.0f, 0.3f, 3, 4, 0.5f, 2), tileableFbm(1.0f, 0.3f, 3, 4, 0.5f, 2), 1e-4f);
    EXPECT_NEAR(tileableFbm(0.7f, 0.0f, 3, 4, 0.5f, 2), tileableFbm(0.7f, 1.0f, 3, 4, 0.5f, 2), 1e-4f);
}

TEST(DatagenKit, WrappedBlurKeepsTheTotalAndSpreadsAcrossTheEdge)
{
    Field f(32, 32);
    f.at(0, 0) = 100.0f;
    blurWrapped(f, 2.0f);
    double total = 0.0;
    for (float v : f.values)
        total += v;
    EXPECT_NEAR(total, 100.0, 1e-2);
    EXPECT_NEAR(f.at(31, 0), f.at(1, 0), 1e-4f);
    EXPECT_NEAR(f.at(0, 31), f.at(0, 1), 1e-4f);
}

TEST(DatagenKit, FlatGroundMakesTheFlatNormal)
{
    Field flat(8, 8, 0.4f);
    const Image n = normalMapFromHeight(flat, 10.0f);
    EXPECT_FLOAT_EQ(n.at(3, 3).r, 0.5f);
    EXPECT_FLOAT_EQ(n.at(3, 3).g, 0.5f);
    EXPECT_FLOAT_EQ(n.at(3, 3).b, 1.0f);
    // A slope rising to the right tilts the normal to the left (red below the middle).
    Field ramp(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ramp.at(x, y) = float(x) * 0.1f;
    EXPECT_LT(normalMapFromHeight(ramp, 10.0f).at(4, 4).r, 0.4f);
}

TEST(DatagenKit, EncodedImagesDecodeToWhatWasDrawn)
{
    Image image(16, 8, rgb(0.2f, 0.6f, 1.0f));
    image.at(3, 2) = {1.0f, 0.0f, 0.0f, 0.5f};
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(decodeImage(encodePng(image, true), w, h, rgba));
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 8);
    EXPECT_NEAR(rgba[(2 * 16 + 3) * 4 + 3], 128, 1);
    EXPECT_NEAR(rgba[(2 * 16 + 3) * 4 + 0], 255, 1);
    EXPECT_NEAR(rgba[0], 51, 1);
    ASSERT_TRUE(decodeImage(encodeJpeg(image), w, h, rgba));
    EXPECT_NEAR(rgba[(5 * 16 + 10) * 4 + 2], 255, 6);
    EXPECT_EQ(rgba[3], 255);
    EXPECT_FALSE(decodeImage({1, 2, 3, 4}, w, h, rgba));
}

TEST(DatagenKit, TextIsDrawnWhereItIsMeasured)
{
    const TextStyle style{"DejaVuSans.ttf", 20.0f, 0.0f};
    const float narrow = textWidth(style, "ii"), wide = textWidth(style, "WWWW");
    EXPECT_GT(narrow, 0.0f);
    EXPECT_GT(wide, narrow * 2.0f);
    TextStyle squeezed = style;
    squeezed.squeeze = 0.5f;
    EXPECT_NEAR(textWidth(squeezed, "WWWW"), wide * 0.5f, 1.0f);

    Field mask(200, 40);
    drawText(mask, style, "Orvalune", 10.0f, 30.0f);
    int left = 200, right = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            if (mask.at(x, y) > 0.5f) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GE(left, 10);
    EXPECT_LE(left, 14);
    EXPECT_NEAR(float(right), 10.0f + textWidth(style, "Orvalune"), 4.0f);
}

TEST(DatagenKit, ResourcesAreTheBannerAndTheIcon)
{
    const std::vector<GeneratedResource> resources = generateModuleResources();
    ASSERT_EQ(resources.size(), 2u);
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    EXPECT_EQ(resources[0].id, 103);
    ASSERT_TRUE(decodeImage(resources[0].png, w, h, rgba));
    EXPECT_EQ(w, 320); // 213 x 64 dialog units with the dialog's font
    EXPECT_EQ(h, 104);
    EXPECT_EQ(resources[1].id, 113);
    ASSERT_TRUE(decodeImage(resources[1].png, w, h, rgba));
    EXPECT_EQ(w, h);
    EXPECT_GE(w, 16);
    EXPECT_LE(w, 256);
    EXPECT_LT(rgba[3], 16);                                // a rounded, transparent corner
    EXPECT_EQ(rgba[(size_t(h / 2) * w + w / 2) * 4 + 3], 255); // an opaque middle
}

TEST(DatagenKit, ContactSheetShowsEveryImageAndRejectsABrokenOne)
{
    const std::string path = (std::filesystem::temp_directory_path() / "orvalune-datagen-sheet-test.png").string();
    std::vector<PakFile> files = {{"circle.jpg", encodeJpeg(makeCircle())},
                                  {"bubble1.png", encodePng(makeBubble(0), true)},
                                  {"notes.txt", {'h', 'i'}}};
    std::string error;
    ASSERT_TRUE(writeContactSheet(files, path, error)) << error;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(path, bytes));
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(decodeImage(bytes, w, h, rgba));
    EXPECT_GT(w, 2 * 160);
    EXPECT_GT(h, 160);

    files.push_back({"broken.png", {0x89, 'P', 'N', 'G'}});
    EXPECT_FALSE(writeContactSheet(files, path, error));
    EXPECT_NE(error.find("broken.png"), std::string::npos) << error;
    std::filesystem::remove(path);
}
