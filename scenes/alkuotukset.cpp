#include "toolkit/scene_kit.h"
#include "toolkit/show_state.h"
#include "scenes/alkuotukset.h"

#include "toolkit/camera_rig.h"
#include "toolkit/grey_swimmer.h"

#include "maths/ramps.h"
#include "maths/random.h"

#include <GL/gl.h>

namespace {
constexpr int speckCount = 1000;
} // namespace

AlkuotuksetEffect::AlkuotuksetEffect(int32_t cameraTrack_) : cameraTrack(cameraTrack_), stepTimer(16, 5)
{
    swimmers.reserve(speckCount);
    for (int i = 0; i < speckCount; ++i) {
        Swimmer swimmer;
        initGreySwimmer(swimmer);
        swimmers.push_back(swimmer);
    }
}

AlkuotuksetEffect::~AlkuotuksetEffect() = default;

bool AlkuotuksetEffect::init(unsigned long start, unsigned long end) { return Base::init(start, end); }

void AlkuotuksetEffect::run()
{
    const float t = sceneTime(*this);
    draw(t, fadeAt(t));
}

void AlkuotuksetEffect::draw(float /*t*/, float alpha)
{
    stepTimer.update();
    while (stepTimer.hasStep()) {
        simulate();
        stepTimer.consumeStep();
    }

    if (ownCameraFlag) {
        glLoadIdentity();
        cameraRig.placeCamera(cameraTrack, 1.0f);
    }

    // No capture: the points go straight into the current frame buffer.
    setSpeckPointState();
    for (const Swimmer& swimmer : swimmers)
        drawSwimmerPoint(points, swimmer, alpha);
    endSpeckPoints(points); // blending stays on, additive
}

float AlkuotuksetEffect::fadeAt(float t)
{
    return sceneFade(t, 0.1f, 10.0f, 0.975f, 40.00004f);
}

void AlkuotuksetEffect::simulate()
{
    for (Swimmer& swimmer : swimmers)
        updateSwimmer(swimmer);
}
