// orvalune.exe carries icon 113, the picture the window and the dialog ask for: the generator's
// icon, the very pixels of the built-in resource the other platforms show.
#include "platform/module_resources.h"
#include "platform/win32.h"
#include "tests/support/process.h"

#include <stb/stb_image.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// The icon's colour pixels at `size`, top row first, as blue green red alpha.
std::vector<unsigned char> iconPixels(HICON icon, int size)
{
    std::vector<unsigned char> pixels;
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return pixels;
    BITMAPINFO layout{};
    layout.bmiHeader.biSize = sizeof layout.bmiHeader;
    layout.bmiHeader.biWidth = size;
    layout.bmiHeader.biHeight = -size;
    layout.bmiHeader.biPlanes = 1;
    layout.bmiHeader.biBitCount = 32;
    layout.bmiHeader.biCompression = BI_RGB;
    pixels.resize(static_cast<size_t>(size) * size * 4);
    HDC screen = GetDC(nullptr);
    if (GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(size), pixels.data(), &layout, DIB_RGB_COLORS) != size)
        pixels.clear();
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

TEST(IconResource, TheProgramCarriesTheGeneratedIcon)
{
    HMODULE program = LoadLibraryExA(builtProgram("orvalune").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr) << "cannot open " << builtProgram("orvalune");
    EXPECT_NE(FindResourceA(program, MAKEINTRESOURCEA(113), MAKEINTRESOURCEA(14)), nullptr) << "no icon group 113";
    constexpr int size = 128; // the generator's own size: no resampling on either side
    HICON icon = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(113), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << "icon 113 cannot be loaded";
    const std::vector<unsigned char> loaded = iconPixels(icon, size);
    DestroyIcon(icon);
    FreeLibrary(program);
    ASSERT_EQ(loaded.size(), static_cast<size_t>(size) * size * 4);

    registerBuiltInResources();
    const ModuleResource* png = findModuleResource(113);
    ASSERT_NE(png, nullptr);
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> expected(
        stbi_load_from_memory(png->data, static_cast<int>(png->size), &w, &h, &channels, 4), stbi_image_free);
    ASSERT_TRUE(expected && w == size && h == size);
    // Compared where the icon is opaque (the rounded corners blend with whatever is behind), up to
    // one level of rounding; a flipped, shifted or swapped-channel icon fails by far.
    int compared = 0, off = 0;
    for (int i = 0; i < size * size; ++i) {
        const unsigned char* want = expected.get() + i * 4;
        const unsigned char* got = &loaded[static_cast<size_t>(i) * 4];
        if (want[3] != 255)
            continue;
        ++compared;
        if (std::abs(got[2] - want[0]) > 1 || std::abs(got[1] - want[1]) > 1 || std::abs(got[0] - want[2]) > 1)
            ++off;
    }
    EXPECT_GT(compared, size * size * 3 / 4);
    EXPECT_EQ(off, 0) << "of " << compared << " opaque pixels";
}

} // namespace
