#include "toolkit/current_fields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

struct Range {
    float lo = 1e9f, hi = -1e9f;
};

// The y component over a spread of positions and phases.
Range yRange(const std::function<Vector3(const Vector3&, float)>& field)
{
    Range r;
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j)
            for (int k = 0; k < 20; ++k) {
                const Vector3 p(-3.0f + 0.31f * i, -3.0f + 0.29f * j, -3.0f + 0.37f * k);
                const float y = field(p, 0.7f * static_cast<float>(i + j)).y;
                r.lo = std::min(r.lo, y);
                r.hi = std::max(r.hi, y);
            }
    return r;
}

TEST(CurrentFields, AtRestAtTheOriginOnlySink)
{
    const Vector3 origin;
    const float expectedY[4] = {-0.1f, -0.15f, -0.075f, -0.3f};
    for (int kind = 0; kind < 4; ++kind) {
        const Vector3 v = currentField(kind, origin, 0.0f);
        EXPECT_EQ(v.x, 0.0f) << "kind " << kind;
        EXPECT_FLOAT_EQ(v.y, expectedY[kind]) << "kind " << kind;
        EXPECT_EQ(v.z, 0.0f) << "kind " << kind;
    }
    const Vector3 sway = swayOffset(origin, 0.0f);
    EXPECT_EQ(sway.x, 0.0f);
    EXPECT_FLOAT_EQ(sway.y, -0.1f);
    EXPECT_EQ(sway.z, 0.0f);
}

TEST(CurrentFields, VerticalDriftSpansItsOwnDepthAndNeverRises)
{
    const float depth[4] = {0.2f, 0.3f, 0.15f, 0.6f};
    for (int kind = 0; kind < 4; ++kind) {
        const Range r = yRange([kind](const Vector3& p, float phase) { return currentField(kind, p, phase); });
        EXPECT_LE(r.hi, 0.0f) << "kind " << kind;
        EXPECT_GE(r.lo, -depth[kind]) << "kind " << kind;
        // The whole span is used: a wrong amplitude shows here.
        EXPECT_LT(r.lo, -0.95f * depth[kind]) << "kind " << kind;
        EXPECT_GT(r.hi, -0.05f * depth[kind]) << "kind " << kind;
    }
    const Range sway = yRange([](const Vector3& p, float phase) { return swayOffset(p, phase * 0.05f); });
    EXPECT_LE(sway.hi, 0.0f);
    EXPECT_GE(sway.lo, -0.2f);
    EXPECT_LT(sway.lo, -0.19f);
}

TEST(CurrentFields, DriftMovesWithThePhaseAndUnknownKindsAreStill)
{
    const Vector3 p(0.4f, -1.2f, 2.0f);
    for (int kind = 0; kind < 4; ++kind) {
        const Vector3 a = currentField(kind, p, 0.0f);
        const Vector3 b = currentField(kind, p, 3.0f);
        EXPECT_FALSE(a == b) << "kind " << kind;
    }
    EXPECT_FALSE(swayOffset(p, 0.1f) == swayOffset(p, 0.2f));
    EXPECT_EQ(currentField(4, p, 1.0f), Vector3());
    EXPECT_EQ(currentField(-1, p, 1.0f), Vector3());
}

} // namespace
