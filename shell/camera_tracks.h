// The three random camera tracks of the show's camera rig, built once at start-up, each from its
// own seed, over the first 300000 ms of music.
#pragma once

#include <cstdint>

struct CameraTrackRecipe {
    uint32_t seed;
    int keyCount;
    float nearest, farthest; // range of the keys' distance from the centre
};

constexpr CameraTrackRecipe cameraTrackRecipes[] = {
    {401, 10, 8.0f, 12.0f},
    {551591, 20, 5.0f, 10.0f},
    {50, 40, 10.0f, 20.0f},
};
constexpr int cameraTrackStartMs = 0;
constexpr int cameraTrackEndMs = 300000;

// Fills cameraRig's tracks 0, 1 and 2. Each key draws its distance, then the eye's direction,
// then the target's. Eyes are keyed at 2.5 above the floor plus a fifth of their height on the
// direction drawn, so never below the floor.
void buildCameraTracks();
