// Everything the generator makes from code, grouped as the archive and the program use it.
#pragma once

#include "tools/datagen/pak.h"

#include <vector>

// Textures, meshes and pictures of data.pak, in a fixed order.
std::vector<PakFile> generateAssets();
// The organisms the descent drifts past, drawn small: the archive has them mip-mapped.
inline constexpr const char* spriteNames[] = {"protozoa1.png", "protozoa2.png", "plankton1.png",
                                              "plankton2.png", "jellyfish1.png", "seahorse1.png"};
// The program's built-in resources by number: 103 the dialog banner, 113 the window icon (PNG).
struct GeneratedResource {
    int id;
    std::vector<uint8_t> png;
};
std::vector<GeneratedResource> generateModuleResources();
// The window icon at each of these sizes (at most its own 128 pixels), as PNG files.
std::vector<std::vector<uint8_t>> iconPngs(const std::vector<int>& sizes);
// The same icon in the sizes of the desktops' "hicolor" icon theme, for the installed programs.
inline const std::vector<int> hicolorIconSizes = {16, 22, 24, 32, 48, 64, 128};
// The window icon as a Windows .ico file (16, 32, 48 and 128 pixels), for the Windows build's
// icon resource 113.
std::vector<uint8_t> windowsIconFile();
