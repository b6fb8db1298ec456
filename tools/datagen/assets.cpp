// The archive's generated files by name, in a fixed order.
#include "tools/datagen/assets.h"
#include "tools/datagen/generators.h"
#include "runtime/mesh.h"

#include <cstdio>

namespace {

PakFile jpeg(const std::string& name, const Image& image) { return {name, encodeJpeg(image)}; }
PakFile png(const std::string& name, const Image& image) { return {name, encodePng(image, true)}; }
PakFile mesh(const std::string& name, const T3D& object) { return {name, encodeT3D(object)}; }

// How the runtime samples some of the pictures. The descent draws the organisms a dozen or two
// pixels across: without mip-maps their minified outlines break into dashes.
PakFile textureSettings()
{
    std::string text = "# name, then its settings (mipmaps: mip-mapped, trilinear minification)\n";
    for (const char* name : spriteNames)
        text += std::string(name) + " mipmaps\n";
    return {"texture_settings.txt", std::vector<uint8_t>(text.begin(), text.end())};
}

} // namespace

std::vector<PakFile> generateAssets()
{
    std::vector<PakFile> files;
    for (int i = 0; i < 4; ++i)
        files.push_back(jpeg("smoke" + std::to_string(i + 1) + ".jpg", makeSmoke(i)));
    files.push_back(jpeg("water_normalmap.jpg", makeWaterNormalMap()));
    files.push_back(jpeg("water_distort.jpg", makeWaterDistortion()));
    files.push_back(jpeg("envmap.jpg", makeEnvironmentMask()));
    files.push_back(jpeg("circle.jpg", makeCircle()));
    files.push_back(png(spriteNames[0], makeCiliate()));
    files.push_back(png(spriteNames[1], makeStentor()));
    files.push_back(png(spriteNames[2], makeDiatom()));
    files.push_back(png(spriteNames[3], makeCopepod()));
    files.push_back(png(spriteNames[4], makeMedusa()));
    files.push_back(png(spriteNames[5], makeSeahorse()));
    files.push_back(textureSettings());
    files.push_back(jpeg("flare_white.jpg", makeFlare(FlareTint::White)));
    files.push_back(jpeg("flare_red.jpg", makeFlare(FlareTint::Red)));
    files.push_back(jpeg("flare_blue.jpg", makeFlare(FlareTint::Blue)));
    files.push_back(jpeg("flare_pink.jpg", makeFlare(FlareTint::Pink)));
    files.push_back(jpeg("flare_turq.jpg", makeFlare(FlareTint::Turquoise)));
    files.push_back(png("bubble1.png", makeBubble(0)));
    files.push_back(png("bubble2.png", makeBubble(1)));
    files.push_back(jpeg("plank_shell.jpg", makeRadiolarian()));
    files.push_back(jpeg("plank_shell2.jpg", makeCentricDiatom()));
    const FloorMaps silt = makeSiltFloor();
    files.push_back(jpeg("deeptxt2.jpg", silt.colour));
    files.push_back(jpeg("normal_map_deep2.jpg", silt.normals));
    const FloorMaps sand = makeSandFloor();
    files.push_back(jpeg("deeptxt3.jpg", sand.colour));
    files.push_back(jpeg("normal_map_deep3.jpg", sand.normals));
    for (int i = 0; i < causticFrameCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "cau_0%02d.jpg", i + 1);
        files.push_back(jpeg(name, makeCausticFrame(i)));
    }
    files.push_back(png("credits.png", makeCredits()));
    for (int i = 0; i < 3; ++i)
        files.push_back(png("greet" + std::to_string(i + 1) + ".png", makeGreeting(i)));
    files.push_back(mesh("fisu.t3d", makeFish()));
    files.push_back(mesh("sp.t3d", makeShell()));
    files.push_back(mesh("3djytky.t3d", makeCoral()));
    return files;
}
