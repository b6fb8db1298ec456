// The return scene: fade, the camera at both ends of the flight (the three-point eye offset
// included), the hairs' glow in silence and at q = 0, the colour change, the seeded layout and
// its draw count, the registration beside the opening, and frames of the flight.
#include "scenes/fairyt_return.h"
#include "maths/random.h"
#include "runtime/offline.h"
#include "shell/driver.h"
#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

const FairytReturnEffect& builtScene()
{
    static const FairytReturnEffect* scene = [] {
        auto* s = new FairytReturnEffect();
        s->init(254500, 305000);
        return s;
    }();
    return *scene;
}

TEST(ReturnFade, HalfAtOneAndAQuarterPercentGoneAtTheEnd)
{
    EXPECT_FLOAT_EQ(FairytReturnEffect::fadeAt(0.0125f), 0.5f);
    EXPECT_FLOAT_EQ(FairytReturnEffect::fadeAt(0.99f), 1.0f);
    EXPECT_NEAR(FairytReturnEffect::fadeAt(1.0f), 0.0f, 1e-6f);
}

TEST(ReturnCamera, FromTheStartOfTheFlightToStandingStillAtItsEnd)
{
    const FairytReturnEffect& scene = builtScene();
    const Vector3 offset = scene.eyePathB.points[1];
    EXPECT_NE(offset, Vector3()); // the three-point path answers its second point, not the origin
    for (float h : {0.0f, 0.37f, 1.0f})
        EXPECT_EQ(scene.eyePathB.evaluate(h), offset);

    EXPECT_EQ(FairytReturnEffect::progressAt(0.0f), 0.0f);
    EXPECT_EQ(scene.eyeAt(0.0f), scene.eyePathA.points[1] + offset);
    EXPECT_EQ(scene.targetAt(0.0f), scene.ropePaths[0].points[1] + Vector3(0.23f, 0.0f, 0.23f));

    // From 86 % on the flight is over and the camera stands at the end, pulled back 0.9 in z.
    for (float t : {0.86f, 0.9f, 1.0f})
        EXPECT_EQ(FairytReturnEffect::progressAt(t), 1.0f);
    const Vector3 end = scene.eyeAt(1.0f);
    const Vector3 expected = scene.eyePathA.points[6] + offset - Vector3(0.0f, 0.0f, 0.9f);
    EXPECT_NEAR((end - expected).length(), 0.0f, 1e-5f);
    EXPECT_NEAR((scene.targetAt(1.0f) - scene.ropePaths[0].points[118]).length(), 0.23f * std::sqrt(
        std::cos(16.0f) * std::cos(16.0f) + std::sin(11.0f) * std::sin(11.0f) + std::cos(8.0f) * std::cos(8.0f)), 1e-5f);
    const Vector3 up = FairytReturnEffect::upAt(0.0f);
    EXPECT_EQ(up, Vector3(0, 1, 0));
    EXPECT_NEAR(FairytReturnEffect::upAt(0.7f).length(), 1.0f, 1e-6f);
}

TEST(ReturnHairs, SilenceHidesThemAndAZeroRampDividesNothing)
{
    for (float q : {0.0f, 0.025f, 0.5f, 1.0f})
        EXPECT_EQ(FairytReturnEffect::hairGlow(0.0f, q), 0.0f) << q;
    EXPECT_EQ(FairytReturnEffect::hairGlow(0.3f, 0.0f), 1.0f);
    EXPECT_EQ(FairytReturnEffect::hairGlow(std::numeric_limits<float>::quiet_NaN(), 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(FairytReturnEffect::hairGlow(0.05f, 0.1f), 0.5f);
    EXPECT_EQ(FairytReturnEffect::hairGlow(0.2f, 0.1f), 1.0f);

    EXPECT_EQ(FairytReturnEffect::blueShareAt(271200), 1.0f); // colour2, the blue family
    EXPECT_FLOAT_EQ(FairytReturnEffect::blueShareAt(271450), 0.5f);
    EXPECT_EQ(FairytReturnEffect::blueShareAt(271700), 0.0f); // colour, the orange family
}

TEST(ReturnLayout, SevenRopesOfHairsAlongACoilingMainPath)
{
    const FairytReturnEffect& scene = builtScene();
    ASSERT_EQ(scene.ropePaths.size(), 7u);
    const std::vector<Vector3>& main = scene.ropePaths[0].points;
    ASSERT_EQ(main.size(), 120u);
    for (size_t i = 1; i < main.size(); ++i) {
        ASSERT_NEAR((main[i] - main[i - 1]).length(), 0.5f * std::sqrt(1.01f), 1e-4f);
        ASSERT_NEAR(main[i].z - main[i - 1].z, -0.05f, 1e-5f);
    }
    ASSERT_EQ(scene.ropes.size(), 7u);
    for (size_t j = 0; j < 7; ++j) {
        const Rope& rope = scene.ropes[j];
        EXPECT_EQ(rope.thin, j >= 2);
        EXPECT_EQ(rope.hairs.size(), j >= 2 ? 2250u : 1500u);
        const float k = rope.thin ? 1.5f : 1.0f;
        if (!rope.thin) {
            EXPECT_EQ(rope.end, 0.001f);
        } else if (j >= 5) {
            EXPECT_TRUE(rope.start >= 0.5f && rope.start <= 0.52f) << rope.start;
        } else {
            EXPECT_TRUE(rope.start >= 0.02f && rope.start <= 0.15f) << rope.start;
        }
        int white = 0;
        for (const RopeHair& hair : rope.hairs) {
            ASSERT_GE(hair.start, 0.01f);
            // Clipped to 0.97 when the first length would pass it; a second draw may not be.
            ASSERT_GE(hair.end - hair.start, std::min(0.05f * k, 0.97f - hair.start) - 1e-5f);
            ASSERT_LE(hair.end - hair.start, 0.1f * k + 1e-5f);
            ASSERT_EQ(hair.path.pointCount(), 10);
            ASSERT_NEAR(hair.offset.length(), 0.12f, 1e-5f);
            white += hair.colour == Vector(1, 1, 1);
            if (!rope.thin) {
                ASSERT_EQ(hair.colour2, Vector());
            }
        }
        EXPECT_GT(white, 0);
        EXPECT_LT(white, static_cast<int>(rope.hairs.size()) / 30); // about one in eighty
    }
    EXPECT_EQ(scene.specks.size(), 3000u);
    EXPECT_EQ(scene.sparks.size(), 800u);
    for (const ReturnSpark& spark : scene.sparks) {
        ASSERT_GE(spark.start, 0.4f);
        ASSERT_LE(spark.end, 0.7f + 0.05f);
    }
}

TEST(ReturnLayout, SeededWhateverCameBeforeAndEndsAfterItsLastDraw)
{
    seedRandom(77);
    FairytReturnEffect other;
    other.init(254500, 305000);
    const int next = nextRandom();
    const FairytReturnEffect& scene = builtScene();
    EXPECT_EQ(other.ropePaths[3].points, scene.ropePaths[3].points);
    EXPECT_EQ(other.ropes[6].hairs[2249].path.points, scene.ropes[6].hairs[2249].path.points);
    EXPECT_EQ(other.specks[2999].wanderer.getPosition(), scene.specks[2999].wanderer.getPosition());
    EXPECT_EQ(other.eyePathA.points, scene.eyePathA.points);
    EXPECT_EQ(other.sparks[799].phi1, scene.sparks[799].phi1);
    // After seed 259: eight and three eye points of three draws, then ten draws per spark.
    seedRandom(259);
    for (int i = 0; i < 11 * 3 + 800 * 10; ++i)
        nextRandom();
    EXPECT_EQ(nextRandom(), next);
}

TEST(ReturnSpecks, StepSwimsAtItsSpeedAndTwinkles)
{
    ReturnSpeck speck = builtScene().specks[10];
    const float phase = speck.phase, twinkle = speck.twinkle;
    EXPECT_GE(speck.wanderer.speed, 0.0205f);
    EXPECT_LE(speck.wanderer.speed, 0.027f);
    seedRandom(1);
    for (int i = 0; i < 500; ++i) {
        FairytReturnEffect::stepSpeck(speck);
        const Vector3 d = speck.wanderer.getPosition() - speck.wanderer.getPreviousPosition();
        ASSERT_NEAR(d.length(), speck.wanderer.speed, 1e-5f); // the trail drawn is one step long
    }
    EXPECT_NEAR(speck.phase, phase + 500 * speck.phaseSpeed, 1e-3f);
    EXPECT_NEAR(speck.twinkle, twinkle + 500 * speck.twinkleSpeed, 1e-3f);
}

TEST(ReturnTimeline, RegisteredAsTheSecondFairytEachInItsOwnWindow)
{
    dmsClearTimeline();
    registerEffects();
    const std::vector<TimelineEntry>& timeline = dmsTimeline();
    std::vector<const TimelineEntry*> fairyt;
    int spray = -1, ropes = -1, ret = -1;
    for (size_t i = 0; i < timeline.size(); ++i) {
        const TimelineEntry& e = timeline[i];
        if (std::strcmp(e.name, "fairyt") == 0)
            fairyt.push_back(&e);
        if (std::strcmp(e.name, "suihke") == 0)
            spray = static_cast<int>(i);
        if (std::strcmp(e.name, "ropes") == 0)
            ropes = static_cast<int>(i);
        if (dynamic_cast<FairytReturnEffect*>(e.effect))
            ret = static_cast<int>(i);
    }
    ASSERT_EQ(fairyt.size(), 2u);
    EXPECT_EQ(fairyt[0]->end, 10500u);
    EXPECT_EQ(fairyt[1]->start, 254500u);
    EXPECT_EQ(fairyt[1]->end, 305000u);
    EXPECT_EQ(fairyt[1]->layer, 0);
    EXPECT_TRUE(spray >= 0 && ropes == spray + 1 && ret == ropes + 1) << spray << " " << ropes << " " << ret;
    EXPECT_EQ(timeline[static_cast<size_t>(spray)].start, 204000u);
    EXPECT_EQ(timeline[static_cast<size_t>(ropes)].end, 254500u);
    EXPECT_EQ(timeline[static_cast<size_t>(ropes)].layer, 10);
    dmsClearTimeline();
}

TEST(ReturnFrames, TheFlightAlongGlowingRopesPlayedIn)
{
    // From before the start, so the music level has built up as a viewer would have heard it.
    const std::vector<CapturedFrame> played = capturePlayed(254300, 262000, 10, {262000});
    for (const CapturedFrame& frame : played)
        ASSERT_TRUE(frame.ok) << frame.log;
    EXPECT_EQ(played[0].log.find("GL error"), std::string::npos) << played[0].log;
    const CapturedFrame& frame = played[0];
    EXPECT_GT(frame.shareBrighterThan(60), 0.02);
    // Cyan, orange and (before 271.2 s) blue hairs: more blue than red.
    EXPECT_GT(frame.meanChannel(2), frame.meanChannel(0));
}

TEST(ReturnFrames, OrangeAfterTheColourChange)
{
    const CapturedFrame frame = captureAt(280000);
    ASSERT_TRUE(frame.ok) << frame.log;
    EXPECT_GT(frame.meanChannel(0), frame.meanChannel(2)); // the thin ropes have turned orange
}

} // namespace
