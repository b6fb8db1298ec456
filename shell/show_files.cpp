#include "shell/show_files.h"

#include "render/shader_manager.h"

#include <algorithm>
#include <cstdio>

std::vector<std::string> showArchiveFiles()
{
    std::vector<std::string> files = {
        "3djytky.t3d", "fisu.t3d", "sp.t3d",
        "bubble1.png", "bubble2.png", "credits.png", "greet1.png", "greet2.png", "greet3.png", "jellyfish1.png",
        "plankton1.png", "plankton2.png", "protozoa1.png", "protozoa2.png", "seahorse1.png",
        "circle.jpg", "deeptxt2.jpg", "deeptxt3.jpg", "envmap.jpg", "flare_blue.jpg", "flare_pink.jpg",
        "flare_red.jpg", "flare_turq.jpg", "flare_white.jpg", "normal_map_deep2.jpg", "normal_map_deep3.jpg",
        "plank_shell.jpg", "plank_shell2.jpg", "smoke1.jpg", "smoke2.jpg", "smoke3.jpg", "smoke4.jpg",
        "water_distort.jpg", "water_normalmap.jpg",
    };
    // The caustics' animation frames, cau_001.jpg to cau_032.jpg.
    for (int frame = 1; frame <= 32; ++frame) {
        char name[16];
        std::snprintf(name, sizeof name, "cau_0%02d.jpg", frame);
        files.emplace_back(name);
    }
    for (const CatalogueEntry& entry : shaderCatalogue()) {
        if (!entry.fromArchive)
            continue;
        for (const char* file : {entry.vertex, entry.fragment})
            if (std::find(files.begin(), files.end(), file) == files.end())
                files.emplace_back(file);
    }
    return files;
}
