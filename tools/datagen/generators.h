// The individual asset makers, one function per picture or mesh. Each seeds its own generator,
// so any one of them can be rebuilt or tested alone.
#pragma once

#include "runtime/dms.h"
#include "tools/datagen/image.h"

// Lights and particles (lights.cpp).
Image makeCircle();
enum class FlareTint { White, Red, Blue, Pink, Turquoise };
Image makeFlare(FlareTint tint);
Image makeBubble(int variant);

// Water (water.cpp).
Image makeSmoke(int variant);
Image makeWaterNormalMap();
Image makeWaterDistortion();
Image makeEnvironmentMask();
// Frame index 0..frameCount-1 of a caustic loop that tiles in both directions.
constexpr int causticFrameCount = 32;
constexpr int causticSize = 256;
Image makeCausticFrame(int frame);

// Sea floors (floor.cpp): colour and matching normal map.
struct FloorMaps {
    Image colour;
    Image normals;
};
FloorMaps makeSiltFloor();
FloorMaps makeSandFloor();

// Microscopic life (creatures.cpp), light grey with alpha.
Image makeCiliate();
Image makeStentor();
Image makeDiatom();
Image makeCopepod();
Image makeMedusa();
Image makeSeahorse();
Image makeRadiolarian();
Image makeCentricDiatom();

// Pictures with text (pictures.cpp).
Image makeCredits();
Image makeGreeting(int card);
Image makeBanner();
Image makeIcon();

// Meshes (meshes.cpp), in mesh units with outward face normals.
T3D makeFish();
T3D makeShell();
T3D makeCoral();
