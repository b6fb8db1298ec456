// PNG frames: the encoder's pictures decode to the same pixels, and the writer leaves only
// complete files under their final names.
#include "tools/capture/png_writer.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> gradient(int width, int height, int seed)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<uint8_t>((i * 7 + i / 977 * 13 + static_cast<size_t>(seed)) & 0xff);
    return rgba;
}

TEST(PngWriter, EncodedPicturesDecodeToTheSamePixelsOpaque)
{
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{37, 5}, std::pair{64, 48}}) {
        const std::vector<uint8_t> rgba = gradient(w, h, w);
        for (int level : {1, 9}) {
            const std::vector<uint8_t> png = encodePng(rgba.data(), w, h, level);
            int dw = 0, dh = 0, channels = 0;
            unsigned char* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &dw, &dh, &channels, 4);
            ASSERT_NE(pixels, nullptr) << stbi_failure_reason();
            ASSERT_EQ(dw, w);
            ASSERT_EQ(dh, h);
            EXPECT_EQ(channels, 3);
            bool same = true;
            for (size_t i = 0; i < rgba.size(); ++i)
                same = same && pixels[i] == (i % 4 == 3 ? 255 : rgba[i]);
            stbi_image_free(pixels);
            EXPECT_TRUE(same) << w << "x" << h << " level " << level;
        }
    }
}

TEST(PngWriter, WritesEveryQueuedFrameUnderItsFinalNameOnly)
{
    const fs::path folder = fs::temp_directory_path() / ("orvalune-pngwriter-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    {
        PngWriter writer(folder.string(), 32, 16, 2);
        for (int i = 0; i < 7; ++i)
            ASSERT_TRUE(writer.submit(gradient(32, 16, i), "frame_00000" + std::to_string(i) + ".png"));
        EXPECT_TRUE(writer.finish());
        EXPECT_EQ(writer.written(), 7u);
    }
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        ++files;
        EXPECT_EQ(entry.path().extension(), ".png") << entry.path();
    }
    EXPECT_EQ(files, 7);
    fs::remove_all(folder);

    // A folder that is gone: the failure is reported, and later frames are refused.
    PngWriter lost((folder / "missing").string(), 8, 8, 1);
    lost.submit(gradient(8, 8, 0), "frame_000000.png");
    EXPECT_FALSE(lost.finish());
    EXPECT_NE(lost.error().find("missing"), std::string::npos) << lost.error();
    EXPECT_FALSE(lost.submit(gradient(8, 8, 1), "frame_000001.png"));
}

} // namespace
