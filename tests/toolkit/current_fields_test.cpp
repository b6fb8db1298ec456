#include "toolkit/current_fields.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Field kinds 0..3, then the sway as kind 4 (phase standing in for the scene time).
Vector3 field(int kind, const Vector3& p, float phase)
{
    return kind < 4 ? currentField(kind, p, phase) : swayOffset(p, phase * 0.05f);
}

TEST(CurrentFields, OriginAtRestOnlySinks)
{
    const float y[5] = {-0.1f, -0.15f, -0.075f, -0.3f, -0.1f};
    for (int kind = 0; kind < 5; ++kind)
        EXPECT_EQ(field(kind, Vector3(), 0.0f), Vector3(0, y[kind], 0)) << "kind " << kind;
    EXPECT_EQ(currentField(4, Vector3(1, 2, 3), 1.0f), Vector3());
}

TEST(CurrentFields, VerticalDriftSpansItsDepthAndNeverRises)
{
    const float depth[5] = {0.2f, 0.3f, 0.15f, 0.6f, 0.2f};
    for (int kind = 0; kind < 5; ++kind) {
        float lo = 1.0f, hi = -1.0f;
        for (int i = 0; i < 8000; ++i) {
            const Vector3 p(-3.0f + 0.31f * float(i % 20), -3.0f + 0.29f * float(i / 20 % 20), -3.0f + 0.37f * float(i / 400));
            const float v = field(kind, p, 0.7f * float(i % 37)).y;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        EXPECT_LE(hi, 0.0f) << "kind " << kind;
        EXPECT_GE(lo, -depth[kind]) << "kind " << kind;
        EXPECT_LT(lo, -0.95f * depth[kind]) << "kind " << kind; // the whole span is used
        EXPECT_GT(hi, -0.05f * depth[kind]) << "kind " << kind;
    }
}

} // namespace
