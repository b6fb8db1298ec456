// The GL state between effects: the check finds a departure from the contract, names the effect
// that left it, and changes no state itself.
#include "render/effect_gl_state.h"
#include "tests/render/render_setup.h"
#include "runtime/dms.h"
#include "runtime/offline.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// An effect whose run leaves lighting on, as a scene that forgot to switch it off would.
class LeavesLightingOn : public Base {
public:
    void run() override { glEnable(GL_LIGHTING); }
    void draw(float, float) override {}
};

TEST(EffectGlState, TheWatchNamesTheEffectThatLeftTheStateAndChangesNothing)
{
    ASSERT_TRUE(renderSetup().ok);
    dmsResetViewport();
    dmsPerspective3D();
    ASSERT_EQ(departureFromEffectGlState(readEffectGlState()), "") << "the start-up state keeps the contract";

    glMatrixMode(GL_PROJECTION);
    EXPECT_EQ(departureFromEffectGlState(readEffectGlState()).rfind("matrix mode is", 0), 0u);
    glMatrixMode(GL_MODELVIEW);
    // Inherited items are not the contract's: blending and the depth test come as the last pass left them.
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    EXPECT_EQ(departureFromEffectGlState(readEffectGlState()), "");

    LeavesLightingOn effect;
    dmsClearTimeline();
    dmsAddEffect(1000, 2000, 0, "forgetful", &effect);
    dmsSetPositionForTest(1500);
    watchEffectGlState();
    dmsRun();
    dmsRun(); // the next frame finds it too: counted, logged once
    unwatchEffectGlState();
    dmsClearTimeline();

    EXPECT_EQ(firstEffectGlStateDeparture(),
              "leaving \"forgetful\" (1000..2000) at 1500 ms: lighting is 1 (want 0)");
    EXPECT_EQ(effectGlStateDepartures(), 3); // left, then found and left again
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << "the check changed the state it read";
    glDisable(GL_LIGHTING);
}

} // namespace
