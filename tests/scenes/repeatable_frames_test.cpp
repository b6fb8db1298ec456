// The same music time gives the same picture: a frame of each of the busiest later scenes,
// captured twice in fresh processes, is the same to the byte, free of GL errors and not blank.
// (The spray shows nothing right after a seek; its played frames are compared in its own test.)
#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct Moment {
    const char* what;
    int ms;
    int level;                    // at least `share` of the pixels brighter than this
    double share;
    double mostWhite = 1.0;       // at most this share brighter than 250
};

void PrintTo(const Moment& m, std::ostream* os) { *os << m.what << " at " << m.ms << " ms"; }

class RepeatableFrames : public testing::TestWithParam<Moment> {};

TEST_P(RepeatableFrames, TheSameTwice)
{
    const Moment& m = GetParam();
    const CapturedFrame a = captureAt(m.ms);
    const CapturedFrame b = captureAt(m.ms);
    ASSERT_TRUE(a.ok && b.ok) << a.log;
    EXPECT_FALSE(a.glErrors()) << a.log;
    EXPECT_EQ(a.rgba, b.rgba) << m.what;
    EXPECT_GT(a.shareBrighterThan(m.level), m.share) << m.what;
    EXPECT_LT(a.shareBrighterThan(250), m.mostWhite) << m.what;
}

INSTANTIATE_TEST_SUITE_P(LaterScenes, RepeatableFrames,
                         testing::Values(Moment{"jellyfish with tentacles and bubbles", 120000, 40, 0.05, 0.2},
                                         Moment{"the ropes", 240000, 60, 0.01},
                                         Moment{"the return's flight", 280000, 30, 0.005}));

} // namespace
