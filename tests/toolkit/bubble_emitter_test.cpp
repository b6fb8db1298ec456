#include "toolkit/bubble_emitter.h"

#include "toolkit/current_fields.h"
#include "maths/random.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The first seed from 1 on whose first randomUnit() is exactly the value.
uint32_t seedGivingUnit(float value)
{
    for (uint32_t seed = 1;; ++seed) {
        seedRandom(seed);
        if (randomUnit() == value)
            return seed;
    }
}

Bubble bubbleWithLife(float life)
{
    Bubble b;
    b.life = life;
    b.fullLife = 1.0f;
    b.kind = 2;
    return b;
}

TEST(BubbleEmitter, NoSpawnOnADrawOfExactlyHalf)
{
    BubbleEmitter emitter;
    seedRandom(seedGivingUnit(0.5f));
    emitter.step(0.01f);
    EXPECT_TRUE(emitter.bubbles.empty());

    seedRandom(seedGivingUnit(0.5001f));
    emitter.step(0.01f);
    EXPECT_EQ(emitter.bubbles.size(), 1u);
}

TEST(BubbleEmitter, SpawnDrawsLifeSizeKindThenSpeedAtTheEmitter)
{
    const uint32_t seed = seedGivingUnit(0.9f);
    seedRandom(seed);
    randomUnit();
    const float life = randomRange(0.7f, 1.3f);
    const float half = randomRange(0.03f, 0.06f);
    const int kind = nextRandom() % 4;
    const float speed = randomRange(0.01f, 0.02f);

    BubbleEmitter emitter;
    emitter.position = Vector3(1, -7, 2);
    seedRandom(seed);
    emitter.step(0.01f);
    ASSERT_EQ(emitter.bubbles.size(), 1u);
    const Bubble& b = emitter.bubbles.front();
    EXPECT_EQ(b.life, life);
    EXPECT_EQ(b.fullLife, life);
    EXPECT_EQ(b.halfSize, half);
    EXPECT_EQ(b.kind, kind);
    EXPECT_EQ(b.phaseSpeed, speed);
    EXPECT_EQ(b.phase, 0.0f);
    EXPECT_EQ(b.position, Vector3(1, -7, 2));
}

TEST(BubbleEmitter, BubblesDriftRiseAndDieAfterTheirLife)
{
    BubbleEmitter emitter;
    Bubble b = bubbleWithLife(0.5f);
    b.position = Vector3(0.5f, -6, 1);
    b.phaseSpeed = 0.015f;
    emitter.bubbles.push_back(b);
    seedRandom(seedGivingUnit(0.0f)); // no spawn
    emitter.step(0.02f);
    const Bubble& moved = emitter.bubbles.front();
    const Vector3 drift = currentField(2, Vector3(0.5f, -6, 1), 0.015f) * 0.01f;
    EXPECT_FLOAT_EQ(moved.position.x, 0.5f + drift.x);
    EXPECT_FLOAT_EQ(moved.position.y, -6.0f + drift.y + 0.02f);
    EXPECT_FLOAT_EQ(moved.life, 0.499f);
    EXPECT_FLOAT_EQ(moved.phase, 0.015f);

    // A life of exactly 0 after a step survives it and goes on the next.
    BubbleEmitter last;
    last.bubbles.push_back(bubbleWithLife(0.001f));
    last.bubbles.push_back(bubbleWithLife(0.5f));
    seedRandom(seedGivingUnit(0.0f));
    last.step(0.01f);
    ASSERT_EQ(last.bubbles.size(), 2u);
    EXPECT_EQ(last.bubbles.front().life, 0.0f);
    seedRandom(seedGivingUnit(0.0f));
    last.step(0.01f);
    ASSERT_EQ(last.bubbles.size(), 1u);
    EXPECT_FLOAT_EQ(last.bubbles.front().life, 0.498f); // the other one, order kept
}

TEST(BubbleEmitter, FadesInQuicklyOutSlowly)
{
    EXPECT_EQ(bubbleLifeFade(bubbleWithLife(1.0f)), 0.0f); // newborn: invisible
    EXPECT_NEAR(bubbleLifeFade(bubbleWithLife(0.5f)), (1.0f - std::pow(0.5f, 15.0f)) * 0.5f, 1e-7f);
    EXPECT_NEAR(bubbleLifeFade(bubbleWithLife(0.9f)), (1.0f - std::pow(0.9f, 15.0f)) * 0.9f, 1e-6f);
    EXPECT_EQ(bubbleLifeFade(bubbleWithLife(0.0f)), 0.0f);
}

TEST(BubbleEmitter, NearFadeBetweenSevenAndAHalfAndNineAndAHalf)
{
    EXPECT_EQ(bubbleNearFade(7.5f), 0.0f);
    EXPECT_EQ(bubbleNearFade(7.4f), 0.0f);
    EXPECT_FLOAT_EQ(bubbleNearFade(8.5f), 0.5f);
    EXPECT_EQ(bubbleNearFade(9.5f), 1.0f);
    EXPECT_EQ(bubbleNearFade(50.0f), 1.0f);
}

TEST(BubbleEmitter, RelocatesToARingBelowTheScene)
{
    // Three draws: angle, radius (up to 15), depth (5 to 10).
    BubbleEmitter emitter;
    seedRandom(77);
    const float a = randomRange(0, 6.283184f);
    const float r = randomUnit() * 15.0f;
    const float d = randomRange(5, 10);
    seedRandom(77);
    emitter.relocate();
    EXPECT_FLOAT_EQ(emitter.position.x, std::cos(a) * r);
    EXPECT_FLOAT_EQ(emitter.position.y, -d);
    EXPECT_FLOAT_EQ(emitter.position.z, std::sin(a) * r);
}

} // namespace
