// The greetings: which pictures are drawn when, how each fades, grows and distorts along its cue,
// and the frames in which each picture shows at its place on its cue.
#include "scenes/greets.h"
#include "tests/support/capture.h"

#include <gtest/gtest.h>

namespace {

// The drawn range at music position ms, from the scene's own cues.
std::pair<int, int> drawnAt(GreetsEffect& scene, int ms)
{
    float values[GreetsEffect::pictureCount];
    for (int i = 0; i < GreetsEffect::pictureCount; ++i)
        values[i] = scene.cues[i].evaluate(ms);
    int first = 0, last = 0;
    GreetsEffect::drawnRange(values, first, last);
    return {first, last};
}

TEST(GreetsCues, EachPicturePopsInOnItsCue)
{
    GreetsEffect scene;
    scene.buildCues();
    using Range = std::pair<int, int>;
    EXPECT_EQ(drawnAt(scene, 298441), Range(3, -1)) << "nothing before the first cue";
    EXPECT_EQ(drawnAt(scene, 298442), Range(0, 0));
    EXPECT_EQ(drawnAt(scene, 300450), Range(0, 0));
    EXPECT_EQ(drawnAt(scene, 300451), Range(0, 1));
    EXPECT_EQ(drawnAt(scene, 302596), Range(0, 2)) << "all three from the third cue";
    EXPECT_EQ(drawnAt(scene, 302691), Range(0, 2));
    EXPECT_EQ(drawnAt(scene, 302692), Range(1, 2)) << "the first cue's end is not part of it";
    EXPECT_EQ(drawnAt(scene, 304000), Range(1, 2));
    EXPECT_EQ(drawnAt(scene, 304001), Range(2, 2));
    EXPECT_EQ(drawnAt(scene, 306145), Range(2, 2));
    EXPECT_EQ(drawnAt(scene, 306146), Range(3, -1));
    EXPECT_EQ(drawnAt(scene, 308000), Range(3, -1));

    // A picture between two active ones is drawn too, with its value 0.
    const float gap[3] = {0.4f, 0.0f, 0.2f};
    int first = 0, last = 0;
    GreetsEffect::drawnRange(gap, first, last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 2);
}

TEST(GreetsCues, APictureRisesWithinTheFirstTwentiethThenFadesWhileItGrowsAndBlurs)
{
    EXPECT_EQ(GreetsEffect::pictureFade(1.0f), 0.0f) << "the cue's first millisecond shows nothing";
    EXPECT_NEAR(GreetsEffect::pictureFade(0.975f), 0.4875f, 1e-5f);
    EXPECT_FLOAT_EQ(GreetsEffect::pictureFade(0.95f), 0.95f);
    EXPECT_FLOAT_EQ(GreetsEffect::pictureFade(0.5f), 0.5f);
    EXPECT_EQ(GreetsEffect::pictureFade(0.0f), 0.0f);

    EXPECT_FLOAT_EQ(GreetsEffect::distortionFor(1.0f), 0.15f);
    EXPECT_FLOAT_EQ(GreetsEffect::distortionFor(0.65f), 0.5f);
    EXPECT_FLOAT_EQ(GreetsEffect::distortionFor(0.3f), 0.85f);
    EXPECT_FLOAT_EQ(GreetsEffect::distortionFor(0.0f), 0.85f) << "capped once v is down to 0.3";

    EXPECT_FLOAT_EQ(GreetsEffect::halfSizeFor(1.0f), 0.19f);
    EXPECT_FLOAT_EQ(GreetsEffect::halfSizeFor(0.0f), 0.2f);

    // The first cue's value 0.95 comes 5 % of its 4250 ms in, about 0.2 s.
    GreetsEffect scene;
    scene.buildCues();
    EXPECT_NEAR(scene.cues[0].evaluate(298442 + 212), 0.95f, 1e-3f);
}

// The inner part of picture i on the picture (fractions from the top-left; the scene's y is up).
struct Area {
    float l, t, r, b;
};
Area innerArea(int i)
{
    const GreetPicture& p = GreetsEffect::pictures[i];
    return {p.x - 0.1f, 1.0f - p.y - 0.1f, p.x + 0.1f, 1.0f - p.y + 0.1f};
}
double lit(const CapturedFrame& f, int i)
{
    const Area a = innerArea(i);
    return f.regionMean(a.l, a.t, a.r, a.b);
}

TEST(GreetsFrames, EachPictureShowsAtItsPlaceOnItsCueAndAllAreGoneAfterwards)
{
    // Played from the scene's start at 4 frames a second: frame k shows 296000 + 250 k ms.
    const CapturedRange range = captureRange(296000, 307000, 4, 320, 180);
    ASSERT_EQ(range.exitCode, 0) << range.log;
    EXPECT_FALSE(range.glErrors()) << range.log;
    ASSERT_EQ(range.frames.size(), 45u);
    auto at = [&](int ms) -> const CapturedFrame& { return range.frames[static_cast<size_t>((ms - 296000) / 250)]; };

    const CapturedFrame& before = at(298250);
    // Half a second into each cue its picture is up; the next one is not yet.
    EXPECT_GT(lit(at(299000), 0), lit(before, 0) + 10.0);
    EXPECT_GT(lit(at(299000), 0), lit(at(299000), 1) + 10.0);
    EXPECT_GT(lit(at(301000), 1), lit(before, 1) + 10.0);
    EXPECT_GT(lit(at(301000), 1), lit(at(301000), 2) + 10.0);
    EXPECT_GT(lit(at(303250), 2), lit(before, 2) + 10.0);
    // The first picture has faded out at 302692; the second one still shows, fading.
    EXPECT_LT(lit(at(303250), 0), lit(at(299000), 0) - 10.0);
    EXPECT_GT(lit(at(303250), 1), lit(before, 1) + 3.0);
    // After the last cue nothing of them is left.
    for (int i = 0; i < 3; ++i)
        EXPECT_LT(lit(at(306500), i), lit(at(303250), 2) - 10.0) << i;
}

} // namespace
