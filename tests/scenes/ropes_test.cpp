// The ropes scene: fade edges, the anchors' paths, the rope physics over a whole scene of
// steps, the cue lists, the flare and speck strengths, the seeded layout, and frames played from
// before its start (swaying ropes with bubbles, a flash on a cue).
#include "scenes/ropes.h"
#include "maths/random.h"
#include "tests/support/capture.h"
#include "toolkit/show_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const RopesEffect& builtScene()
{
    static const RopesEffect* scene = [] {
        auto* s = new RopesEffect();
        s->init(221500, 254500);
        return s;
    }();
    return *scene;
}

// Pixels of grey or white light (the specks), told from the violet ropes and the blue water by
// channels within 12 of each other.
int greyLights(const CapturedFrame& frame)
{
    int count = 0;
    for (size_t i = 0; i + 3 < frame.rgba.size(); i += 4) {
        const int r = frame.rgba[i], g = frame.rgba[i + 1], b = frame.rgba[i + 2];
        count += std::max({r, g, b}) > 45 && std::abs(r - b) < 12 && std::abs(g - b) < 12;
    }
    return count;
}

// Rising edges of a cue list over the scene's window: each one flash.
int flashesOver(PulseList cues)
{
    int flashes = 0;
    float before = 0.0f;
    for (int ms = 221500; ms <= 254500; ++ms) {
        const float v = cues.evaluate(ms);
        flashes += before == 0.0f && v > 0.99f;
        before = v;
    }
    return flashes;
}

TEST(RopesFade, InOverATenthOutOverTheLastOneAndAHalfPercent)
{
    EXPECT_FLOAT_EQ(RopesEffect::fadeAt(0.05f), 0.5f);
    EXPECT_FLOAT_EQ(RopesEffect::fadeAt(0.5f), 1.0f);
    EXPECT_FLOAT_EQ(RopesEffect::fadeAt(0.985f), 1.0f);
    EXPECT_NEAR(RopesEffect::fadeAt(1.0f), 0.0f, 1e-5f);
}

TEST(RopesCues, GlowAndFlashesOnePerCue)
{
    const RopesEffect& scene = builtScene();
    EXPECT_EQ(flashesOver(scene.glowCues), 3);
    EXPECT_EQ(flashesOver(scene.flashCues), 2);
    PulseList flash = scene.flashCues;
    EXPECT_EQ(flash.evaluate(229456), 0.0f);
    EXPECT_EQ(flash.evaluate(229457), 1.0f);
    EXPECT_NEAR(flash.evaluate(230532), 0.5f, 1e-3f);
    EXPECT_EQ(flash.evaluate(235299), 0.0f);
}

TEST(RopesLevels, FlaresFromTheLateRampSpecksByIndex)
{
    EXPECT_EQ(RopesEffect::flareLevelAt(235497, 5.0f), 0.0f);
    EXPECT_EQ(RopesEffect::flareLevelAt(237842, 5.0f), 0.0f);
    EXPECT_FLOAT_EQ(RopesEffect::flareLevelAt(238342, 1.0f), 0.625f);
    EXPECT_EQ(RopesEffect::flareLevelAt(245000, 3.0f), 1.0f);
    EXPECT_EQ(RopesEffect::flareLevelAt(245000, 0.0f), 0.0f); // silence
    EXPECT_FLOAT_EQ(RopesEffect::flareLevelAt(253547, 1.0f), 0.625f);
    EXPECT_EQ(RopesEffect::flareLevelAt(254047, 1.0f), 0.0f);

    const float wave = std::pow(std::sin(1.0f), 4.0f); // t = 0.5
    EXPECT_EQ(RopesEffect::speckStrength(999, 0.8f, 0.3f, wave), 0.8f);
    EXPECT_FLOAT_EQ(RopesEffect::speckStrength(992, 0.8f, 0.3f, wave), wave * 0.8f);
    EXPECT_FLOAT_EQ(RopesEffect::speckStrength(0, 0.8f, 0.3f, wave), wave * 0.8f);
    // 1000 is a multiple of eight, but from 1000 on the late ramp and flashes rule.
    EXPECT_EQ(RopesEffect::speckStrength(1000, 0.8f, 0.3f, wave), 0.3f);
    EXPECT_EQ(RopesEffect::speckStrength(1001, 0.8f, 0.3f, wave), 0.3f);
}

TEST(RopesAnchors, IndependentPointsAroundTheCentreEndingAtTheOrigin)
{
    const RopesEffect& scene = builtScene();
    const int counts[5] = {14, 9, 14, 10, 8};
    const float spread[5][2] = {{0.62f, 0.52f}, {1.42f, 1.42f}, {0.42f, 2.0f}, {1.42f, 1.42f}, {1.62f, 1.62f}};
    for (int k = 0; k < 5; ++k) {
        const SplinePath& path = scene.anchorPaths[k];
        ASSERT_EQ(path.pointCount(), counts[k] + 1);
        EXPECT_EQ(path.points.back(), Vector3());
        for (int i = 0; i < counts[k]; ++i) {
            const Vector3& p = path.points[static_cast<size_t>(i)];
            EXPECT_LE(std::fabs(p.x), spread[k][0] * 0.5f);
            EXPECT_LE(std::fabs(p.y - 1.0f), spread[k][1] * 0.5f);
            EXPECT_LE(std::fabs(p.z), 0.625f);
        }
        EXPECT_EQ(scene.anchorAt(k, 0.0f), path.points[1]);
        // The jitter never takes the parameter outside [0, 1].
        for (float t = 0.0f; t <= 1.0f; t += 0.001f)
            ASSERT_LT((scene.anchorAt(k, t) - Vector3(0, 1, 0)).length(), 3.0f) << k << " " << t;
    }
    // sin 14 > 0 pushes path 0 past its end at t = 1: it rests on its last inner point.
    EXPECT_EQ(scene.anchorAt(0, 1.0f), scene.anchorPaths[0].points[13]);
}

TEST(RopesLayout, SeededRopesWhateverCameBefore)
{
    seedRandom(3);
    RopesEffect other;
    other.init(221500, 254500);
    const RopesEffect& scene = builtScene();
    ASSERT_EQ(scene.points.size(), 6000u);
    ASSERT_EQ(scene.links.size(), 5800u);
    ASSERT_EQ(scene.ropeHeads.size(), 200u);
    for (size_t i = 0; i < scene.points.size(); ++i) {
        EXPECT_EQ(scene.points[i].pinned, i % 30 == 0);
        ASSERT_EQ(other.points[i].position, scene.points[i].position) << i;
    }
    for (const RopeLink& link : scene.links) {
        ASSERT_EQ(link.b, link.a + 1);
        ASSERT_GE(link.restLength, 0.005f);
        ASSERT_LE(link.restLength, 0.07f);
    }
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(other.anchorPaths[k].points, scene.anchorPaths[k].points);
    ASSERT_EQ(scene.specks.size(), 2500u);
    ASSERT_EQ(scene.emitters.size(), 4u);
    EXPECT_STREQ(scene.emitters[1].textureName, "bubble2.png");
}

TEST(RopesPhysics, SpecksMoveOnceHeadsFollowTheirAnchors)
{
    RopesEffect scene = builtScene();
    EXPECT_TRUE(ropesSpecksStepped);
    const Vector3 speck = scene.specks[17].wanderer.getPosition();
    EXPECT_NE(speck, scene.specks[17].wanderer.getPreviousPosition()); // the one step
    EXPECT_LE(std::fabs(speck.x), 23.2f);
    for (int k = 0; k < 5; ++k)
        scene.anchors[k] = scene.anchorAt(k, 0.3f);
    const Vector3 built = scene.points[40 * 30].previousPosition; // rope 40, bundle 1
    scene.ropeStep();
    EXPECT_EQ(scene.specks[17].wanderer.getPosition(), speck);
    // The head keeps the formula: anchor plus where it was built.
    EXPECT_EQ(scene.points[40 * 30].position, scene.anchors[1] + built);
    EXPECT_EQ(scene.points[40 * 30].previousPosition, built);
}

// The once-only flag belongs to the run: a scene set up after the first leaves its specks where
// they were placed, since its settling steps find the flag already set.
TEST(RopesPhysics, SpecksStepOnceInTheWholeRunNotOncePerSetUp)
{
    builtScene();
    ASSERT_TRUE(ropesSpecksStepped);
    RopesEffect again;
    again.init(221500, 254500);
    EXPECT_TRUE(ropesSpecksStepped);
    for (size_t n = 0; n < again.specks.size(); n += 97)
        ASSERT_EQ(again.specks[n].wanderer.getPosition(), again.specks[n].wanderer.getPreviousPosition()) << n;
}

TEST(RopesPhysics, LinksStayWithinBoundsThroughAWholeSceneOfSteps)
{
    RopesEffect scene = builtScene();
    // Two coincident points: the link is taken as 0.001 long, no division by zero.
    scene.points[5].position = scene.points[6].position;
    const int steps = 33000 / 16;
    float longest = 0.0f;
    for (int s = 0; s < steps; ++s) {
        const float t = static_cast<float>(s) / static_cast<float>(steps);
        for (int k = 0; k < 5; ++k)
            scene.anchors[k] = scene.anchorAt(k, t);
        scene.ropeStep();
        if (s % 50 != 0 && s != steps - 1)
            continue;
        for (const RopeLink& link : scene.links) {
            const float length = (scene.points[static_cast<size_t>(link.b)].position -
                                  scene.points[static_cast<size_t>(link.a)].position)
                                     .length();
            ASSERT_TRUE(std::isfinite(length)) << s;
            longest = std::max(longest, length - link.restLength);
        }
    }
    // Five relaxation passes keep every link near its rest length while the anchors wander.
    EXPECT_LT(longest, 0.05f);
    for (int j = 0; j < 200; ++j) {
        const Vector3 head = scene.points[static_cast<size_t>(j * 30)].position;
        for (int k = 1; k < 30; ++k)
            ASSERT_LT((scene.points[static_cast<size_t>(j * 30 + k)].position - head).length(), 29 * 0.12f);
    }
}

TEST(RopesCamera, CirclesUpFromThreeUnitsOut)
{
    const Vector3 start = RopesEffect::eyeAt(0.0f);
    EXPECT_FLOAT_EQ(start.x, 0.0f);
    EXPECT_FLOAT_EQ(start.y, 2.0f);
    EXPECT_FLOAT_EQ(start.z, 3.0f);
    EXPECT_NEAR((RopesEffect::eyeAt(1.0f) - Vector3(0, 2, 0)).length(), 1.75f, 1e-5f);
    EXPECT_EQ(RopesEffect::ropeColour(7, 0.5f), Vector(0.9f, 0.3f, 0.8f, 0.5f));
}

TEST(RopesFrames, SwayingRopesWithBubblesAndAFlashOnTheCue)
{
    // Played from before the start: the bubbles rise for seven seconds before the first frame
    // kept; 230532 ms is the middle of the first flash cue.
    const std::vector<CapturedFrame> played = capturePlayed(221400, 230600, 10, {228400, 229300, 230500});
    for (const CapturedFrame& frame : played)
        ASSERT_TRUE(frame.ok) << frame.log;
    EXPECT_EQ(played[0].log.find("GL error"), std::string::npos) << played[0].log;
    const CapturedFrame& calm = played[0];
    const CapturedFrame& later = played[1];
    const CapturedFrame& flash = played[2];
    // Violet ropes over the blue water, plenty of them lit.
    EXPECT_GT(calm.shareBrighterThan(100), 0.01);
    EXPECT_GT(calm.meanChannel(2), calm.meanChannel(1));
    // They sway: the same view a second later is not the same picture.
    EXPECT_NE(calm.rgba, later.rgba);
    // The flash lights the late specks, three in five of them.
    EXPECT_GT(greyLights(flash), 50);
    EXPECT_GT(greyLights(flash), greyLights(later) * 4);
}

} // namespace
