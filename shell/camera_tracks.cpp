#include "toolkit/show_state.h"
#include "shell/camera_tracks.h"

#include "toolkit/camera_rig.h"
#include "maths/random.h"

#include <cmath>

void buildCameraTracks()
{
    int track = 0;
    for (const CameraTrackRecipe& recipe : cameraTrackRecipes) {
        seedRandom(recipe.seed);
        cameraRig.setTrackWindow(track, cameraTrackStartMs, cameraTrackEndMs);
        for (int k = 0; k < recipe.keyCount; ++k) {
            const float s = randomRange(recipe.nearest, recipe.farthest);
            Vector3 eye = Vector3(randomDirection()) * s;
            eye.y = std::fabs(eye.y) * 0.2f + 2.5f;
            Vector3 target = Vector3(randomDirection()) * s * 0.6f;
            if (track == 2)
                target.y = eye.y; // a level gaze
            if (track == 0)
                target.y += 1.5f;
            cameraRig.addEyeKey(track, eye);
            cameraRig.addTargetKey(track, target);
        }
        cameraRig.finishCurves(track);
        cameraRig.resampleEye(track);
        cameraRig.resampleTarget(track);
        ++track;
    }
}
