// The offline clock, seeking, the spectrum and the effect timeline.
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "tests/runtime/runtime_fixture.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace {

class Clock : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(openRuntimeOnTestArchive()) << "needs a display (Xvfb)";
        dmsInitTimer();
        dmsPlaySong(1);
    }
};

TEST_F(Clock, FirstFrameHasNoDeltaAndLaterFramesStepExactly)
{
    dmsUpdateTimer();
    EXPECT_EQ(dmsGetModulePosition(), 0);
    EXPECT_EQ(dmsGetDeltaTime(), 0.0f);
    for (int i = 0; i < 60; ++i)
        dmsUpdateTimer();
    EXPECT_EQ(dmsGetModulePosition(), 1000);
    EXPECT_FLOAT_EQ(dmsGetDeltaTime(), 1.0f / 60.0f);
}

// Motion blur: three sub-frames a frame over half of each 1/60 s, the shutter opening at the
// frame's own time; the clock only moves forward and the deltas add up to the frames' time.
TEST_F(Clock, SubFramesSpreadOverTheShutterFromEachFramesTime)
{
    dmsEnableOffline({60, 0, 1, 3, 0.5});
    dmsInitTimer();
    dmsUpdateTimer();
    float elapsed = 0.0f;
    std::vector<int> positions;
    for (int i = 0; i < 6; ++i) {
        dmsUpdateTimer();
        elapsed += dmsGetDeltaTime();
        positions.push_back(dmsGetModulePosition());
    }
    dmsEnableOffline({60, 0});
    // 0 + 2.78, 5.56 | 16.67, 19.44, 22.22 | 33.33 ms
    EXPECT_EQ(positions, (std::vector<int>{2, 5, 16, 19, 22, 33}));
    EXPECT_FLOAT_EQ(elapsed, 2.0f / 60.0f);
}

TEST_F(Clock, SeeksClampAtZeroAndAtTheSongsEnd)
{
    dmsUpdateTimer();
    dmsAdjustTime(500.0f);
    EXPECT_EQ(dmsGetModulePosition(), 500);
    dmsAdjustTime(-1000.0f);
    EXPECT_EQ(dmsGetModulePosition(), 0);
    dmsAdjustTime(60000.0f);
    EXPECT_EQ(dmsGetModulePosition(), testSongMs);
    dmsUpdateTimer();
    EXPECT_GT(dmsGetModulePosition(), testSongMs) << "the clock runs on past the song's end";
}

float spectrumSum(const float* bins) { return std::accumulate(bins, bins + 512, 0.0f); }

TEST_F(Clock, SpectrumOfASinePeaksAtItsBinAndSilenceSumsToZero)
{
    float bins[512];
    dmsSetPositionForTest(testSilenceMs / 2);
    dmsGetSpectrum(bins, 512);
    EXPECT_LT(spectrumSum(bins), 0.01f);

    dmsSetPositionForTest(testSilenceMs + 1000);
    dmsGetSpectrum(bins, 512);
    const int peak = static_cast<int>(std::max_element(bins, bins + 512) - bins);
    const int expected = static_cast<int>(testSineHz * 1024 / 44100 + 0.5f);
    EXPECT_NEAR(peak, expected, 1);
    EXPECT_GT(spectrumSum(bins), 0.1f);
    EXPECT_LT(spectrumSum(bins), 10.0f);
}

TEST_F(Clock, SpectrumOverrideFeedsKnownValues)
{
    std::vector<float> known(512, 0.25f);
    dmsSetSpectrumOverride(known.data());
    float bins[512] = {};
    dmsGetSpectrum(bins, 512);
    dmsSetSpectrumOverride(nullptr);
    EXPECT_EQ(bins[0], 0.25f);
    EXPECT_EQ(bins[511], 0.25f);
}

TEST_F(Clock, VolumeAboveOneIsAPercentageAndUpToOneAFraction)
{
    dmsSetVolume(100.0f);
    EXPECT_FLOAT_EQ(dmsCurrentGain(), 1.0f);
    dmsSetVolume(0.5f);
    EXPECT_FLOAT_EQ(dmsCurrentGain(), 0.5f) << "the fade's values must fade, not cut";
    dmsSetVolume(0.0f);
    EXPECT_FLOAT_EQ(dmsCurrentGain(), 0.0f);
    dmsSetVolume(100.0f);
}

// An effect that records its runs into a shared journal.
struct Recorder : Base {
    Recorder(std::string n, std::vector<std::string>& j) : name(std::move(n)), journal(j) {}
    void run() override
    {
        journal.push_back(name + "@" + std::to_string(static_cast<int>(currentTime)));
        draw(0, 0);
    }
    void draw(float, float) override {}
    std::string name;
    std::vector<std::string>& journal;
};

TEST(Timeline, WindowsAreInclusiveAndHigherLayersRunFirst)
{
    dmsClearTimeline();
    std::vector<std::string> journal;
    Recorder a("a", journal), b("b", journal), c("c", journal), d("d", journal);
    dmsAddEffect(0, 100, 0, "a", &a);
    dmsAddEffect(50, 200, 10, "b", &b);
    dmsAddEffect(100, 300, 10, "b", &c); // same name and layer as b: both run, b first
    dmsAddEffect(100, 100, 5, "d", &d);
    dmsInitEffects();
    EXPECT_EQ(a.startTime, 0u);
    EXPECT_EQ(c.endTime, 300u);

    dmsSetPositionForTest(100);
    dmsRun();
    EXPECT_EQ(journal, (std::vector<std::string>{"b@100", "c@100", "d@100", "a@100"}));

    journal.clear();
    dmsSetPositionForTest(101);
    dmsRun();
    EXPECT_EQ(journal, (std::vector<std::string>{"b@101", "c@101"}));
    EXPECT_FALSE(a.runtimeFlag);

    journal.clear();
    dmsSetPositionForTest(301);
    dmsRun();
    EXPECT_TRUE(journal.empty());
    dmsClearTimeline();
}

TEST(Vectors, NormalizeWorksInPlaceAndLeavesZeroAlone)
{
    Vector3 v(3, 0, 4);
    const Vector3 returned = v.normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_EQ(returned, v);
    Vector3 zero;
    zero.normalize();
    EXPECT_EQ(zero, Vector3(0, 0, 0));
    Vector zero4;
    zero4.normalize();
    EXPECT_EQ(zero4.x, 0.0f);
}

TEST(Vectors, RotationsAreRightHandedAndComposeXThenYThenZ)
{
    const float quarter = 1.5707963f;
    const Vector3 z = Vector3(1, 0, 0) * Matrix::makeRotation(0, 0, quarter);
    EXPECT_NEAR(z.y, 1.0f, 1e-6f);
    const Vector3 x = Vector3(0, 1, 0) * Matrix::makeRotation(quarter, 0, 0);
    EXPECT_NEAR(x.z, 1.0f, 1e-6f);
    // x first, then z: (0,1,0) -> (0,0,1) -> stays (0,0,1).
    const Vector3 both = Vector3(0, 1, 0) * Matrix::makeRotation(quarter, 0, quarter);
    EXPECT_NEAR(both.z, 1.0f, 1e-6f);
}

} // namespace
