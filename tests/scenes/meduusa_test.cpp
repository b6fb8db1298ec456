// The jellyfish scene: fade and windows, the layout init builds, the bell and tentacle steps, the
// shared swimmers' pace, and the frames with shells and with jellyfish.
#include "toolkit/show_state.h"
#include "scenes/meduusa.h"
#include "tests/support/capture.h"
#include "maths/random.h"
#include "toolkit/swimmer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

const MeduusaEffect& builtScene()
{
    static const MeduusaEffect* scene = [] {
        fillSharedSwimmers(); // the creatures scene's constructor builds them at start-up
        auto* s = new MeduusaEffect();
        s->init(91000, 150000);
        return s;
    }();
    return *scene;
}

TEST(JellyfishFade, InOverSevenHundredthsOutOverTheLastHundredth)
{
    EXPECT_FLOAT_EQ(MeduusaEffect::fadeAt(0.035f), 0.5f);
    EXPECT_FLOAT_EQ(MeduusaEffect::fadeAt(0.99f), 1.0f);
    EXPECT_NEAR(MeduusaEffect::fadeAt(1.0f), 0.0f, 1e-6f);
}

TEST(JellyfishWindows, ShellsSwimmersAndTheColourChange)
{
    EXPECT_TRUE(MeduusaEffect::shellsVisible(101499));
    EXPECT_FALSE(MeduusaEffect::shellsVisible(101500));
    EXPECT_FALSE(MeduusaEffect::shellsDistorted(97500)); // blurred up to here
    EXPECT_TRUE(MeduusaEffect::shellsDistorted(97501));

    EXPECT_FLOAT_EQ(MeduusaEffect::shellBrightness(0.005f, 95000), 1.0f);
    EXPECT_FLOAT_EQ(MeduusaEffect::shellBrightness(0.0025f, 95000), 0.125f); // cubed rise
    EXPECT_FLOAT_EQ(MeduusaEffect::shellBrightness(0.5f, 100625), 0.5f);
    EXPECT_EQ(MeduusaEffect::shellBrightness(0.5f, 101500), 0.0f);

    EXPECT_FLOAT_EQ(MeduusaEffect::swimmerFade(98500, 1.0f), 0.5f);
    EXPECT_FLOAT_EQ(MeduusaEffect::swimmerFade(99250, 0.8f), 0.2f);

    EXPECT_EQ(MeduusaEffect::colourMixAt(133500), 0.0f);
    EXPECT_FLOAT_EQ(MeduusaEffect::colourMixAt(133750), 0.5f);
    EXPECT_EQ(MeduusaEffect::colourMixAt(134000), 1.0f);
}

TEST(JellyfishLayout, ThirteenJellyfishFadingInFromOneHundredSeconds)
{
    const MeduusaEffect& scene = builtScene();
    ASSERT_EQ(scene.jellyfish.size(), 13u);
    const Jellyfish& main = scene.jellyfish[0];
    EXPECT_EQ(main.position, Vector3(0, -1, 0));
    EXPECT_EQ(main.appearStart, 100000.0f);
    for (const Jellyfish& j : scene.jellyfish) {
        EXPECT_GE(j.appearStart, 100000.0f);
        EXPECT_LT(j.appearStart, 116000.0f);
        EXPECT_EQ(j.appearEnd, j.appearStart + 4000.0f);
        EXPECT_GE(j.size, 0.2f);
        EXPECT_LT(j.size, 0.8f);
        EXPECT_LE(std::hypot(j.position.x, j.position.z), 6.0f * 1.3f + 1e-4f);
        EXPECT_GE(j.tentacles.size(), 15u);
        EXPECT_LE(j.tentacles.size(), 24u);
        for (const Tentacle& t : j.tentacles) {
            ASSERT_GE(t.path.pointCount(), 11);
            ASSERT_LE(t.path.pointCount(), 16);
            ASSERT_GE(t.kind, 0);
            ASSERT_LE(t.kind, 3);
            // Each segment hangs down at least 0.1.
            for (int i = 1; i < t.path.pointCount(); ++i)
                ASSERT_LE(t.path.points[i].y - t.path.points[i - 1].y, -0.1f + 1e-6f);
        }
    }
    ASSERT_EQ(scene.emitters.size(), 4u);
    EXPECT_STREQ(scene.emitters[0].textureName, "bubble1.png");
    EXPECT_STREQ(scene.emitters[3].textureName, "bubble2.png");
    ASSERT_EQ(scene.shells.size(), 100u);
    EXPECT_EQ(scene.glowCues.count, 15);
    EXPECT_EQ(scene.shellCues.count, 11);
    EXPECT_EQ(scene.cameraPath.pointCount(), 6);
    for (const Vector3& p : scene.cameraPath.points) {
        EXPECT_GT(p.y, 0.0f);
        EXPECT_LE(p.y, 3.5f);
    }
    EXPECT_EQ(scene.targetPath.pointCount(), 7);
}

TEST(JellyfishLayout, TheSameOnEveryRunWhateverCameBefore)
{
    seedRandom(8);
    MeduusaEffect again;
    again.init(91000, 150000);
    const MeduusaEffect& first = builtScene();
    for (size_t i = 0; i < 13; ++i) {
        EXPECT_EQ(again.jellyfish[i].position, first.jellyfish[i].position);
        EXPECT_EQ(again.jellyfish[i].appearStart, first.jellyfish[i].appearStart);
        EXPECT_EQ(again.jellyfish[i].tentacles.back().path.points, first.jellyfish[i].tentacles.back().path.points);
    }
    EXPECT_EQ(again.shells[99].end, first.shells[99].end);
    EXPECT_EQ(again.cameraPath.points, first.cameraPath.points);
    EXPECT_EQ(again.emitters[2].position, first.emitters[2].position);
}

TEST(JellyfishStep, NothingMovesBeforeItsWindow)
{
    Jellyfish j = builtScene().jellyfish[5];
    const Vector3 start = j.position;
    const std::vector<Vector3> tentacle = j.tentacles[0].path.points;
    MeduusaEffect::stepJellyfish(j, static_cast<int>(j.appearStart));
    EXPECT_EQ(j.visibility, 0.0f);
    EXPECT_EQ(j.position, start);
    EXPECT_EQ(j.phase, 0.0f);
    EXPECT_EQ(j.tentacles[0].path.points, tentacle);

    MeduusaEffect::stepJellyfish(j, static_cast<int>(j.appearStart) + 1000);
    EXPECT_FLOAT_EQ(j.visibility, 0.25f);
    EXPECT_EQ(j.phase, j.phaseSpeed);
    EXPECT_NE(j.position, start);
    EXPECT_NE(j.tentacles[0].path.points, tentacle);
}

TEST(JellyfishStep, TheBellIsARoundDomeWithADroppingRim)
{
    Jellyfish j = builtScene().jellyfish[0];
    MeduusaEffect::stepJellyfish(j, 110000);
    // The crown is on the axis at the top; each meridian reaches out and down to the rim.
    const float pulse = std::sin(0.3f * j.phase) * 0.2f + 1.0f;
    for (int i = 0; i < Jellyfish::meridianCount; ++i) {
        const Vector3& crown = j.meshPoint(i, 0);
        EXPECT_NEAR(std::hypot(crown.x, crown.z), 0.0f, 1e-6f);
        EXPECT_FLOAT_EQ(crown.y, pulse);
        const Vector3& rim = j.meshPoint(i, Jellyfish::pointsPerMeridian - 1);
        EXPECT_GT(std::hypot(rim.x, rim.z), 0.6f);
        EXPECT_LT(rim.y, 0.04f * pulse);
        EXPECT_GT(rim.y, -0.13f);
    }
    // Meridians are a sixteenth of a turn apart.
    const Vector3 a = j.meshPoint(0, 15), b = j.meshPoint(4, 15);
    EXPECT_NEAR(a.x * b.x + a.z * b.z, 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(j.meshTexCoords[4 * Jellyfish::pointsPerMeridian + 15].x, 0.25f);
}

TEST(JellyfishStep, TentacleLinksPullLongSegmentsInAndPushShortOnesOut)
{
    // Kind 4 is still water: only the links act.
    Tentacle t;
    t.kind = 4;
    t.path.points = {Vector3(0, 0, 0), Vector3(0, -1, 0), Vector3(0, -1.005f, 0), Vector3(0.2f, -1.2f, 0),
                     Vector3(0.2f, -1.4f, 0)};
    MeduusaEffect::stepTentacle(t, 0.0f);
    const std::vector<Vector3>& p = t.path.points;
    // The long first link is pulled in by a tenth of its excess square; that leaves the second
    // one short (0.094438), and it is pushed out a little along itself.
    const float first = 1.0f - 0.894375f * 0.1f;
    EXPECT_NEAR(p[1].y - p[0].y, -first, 1e-5f);
    const float second = 1.005f - first;
    EXPECT_NEAR((p[2] - p[1]).length(), second + second * (0.010000001f - second * second) * 0.1f, 2e-6f);
    EXPECT_EQ(p[2].x, p[1].x);
    for (int step = 0; step < 5000; ++step)
        MeduusaEffect::stepTentacle(t, 0.0f);
    for (size_t i = 1; i < p.size(); ++i) {
        EXPECT_GT((p[i] - p[i - 1]).length(), 0.099f) << i;
        EXPECT_LT((p[i] - p[i - 1]).length(), 0.326f) << i;
    }
}

TEST(JellyfishStep, TentaclesInTheCurrentNeitherTearNorCollapse)
{
    Jellyfish j = builtScene().jellyfish[1];
    for (int step = 0; step < 3000; ++step) // 48 s of music
        MeduusaEffect::stepJellyfish(j, 120000);
    for (const Tentacle& t : j.tentacles) {
        const std::vector<Vector3>& p = t.path.points;
        for (size_t i = 1; i < p.size(); ++i) {
            const float length = (p[i] - p[i - 1]).length();
            ASSERT_GT(length, 0.05f) << i;
            ASSERT_LT(length, 0.8f) << i;
        }
        // The links and the recentring keep it hanging from the bell.
        EXPECT_LT(p[0].length(), 0.2f);
        for (const Vector3& q : p)
            ASSERT_LT(q.length(), 8.0f);
    }
}

TEST(JellyfishStep, SharedSwimmersMoveOnEveryFourthStep)
{
    builtScene();
    MeduusaEffect scene;
    scene.init(91000, 150000);
    swimmerStepCounter = 0;
    int moves = 0;
    for (int step = 0; step < 12; ++step) {
        const Vector3 before = sharedSwimmers[7].wanderer.getPosition();
        scene.simulate(95000);
        moves += sharedSwimmers[7].wanderer.getPosition() != before;
        EXPECT_EQ(swimmerStepCounter, (step + 1) % 4);
    }
    EXPECT_EQ(moves, 3);
    for (const BubbleEmitter& e : scene.emitters)
        EXPECT_LE(e.bubbles.size(), 12u);
}

TEST(JellyfishFrames, ShellsSwellAndShakeOnTheirCues)
{
    const CapturedFrame onCue = captureAt(95000); // a cue is half spent
    const CapturedFrame between = captureAt(96000);
    ASSERT_TRUE(onCue.ok && between.ok) << onCue.log;
    EXPECT_FALSE(onCue.glErrors()) << onCue.log;
    EXPECT_GT(onCue.shareBrighterThan(40), 0.004);
    EXPECT_GT(onCue.shareBrighterThan(40), between.shareBrighterThan(40) * 1.4);
    // Blue-green plankton.
    EXPECT_GT(onCue.meanChannel(2), onCue.meanChannel(0));
}

} // namespace
