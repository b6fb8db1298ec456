// The rendered soundtrack against what the show needs from it: length, headroom, every cue hit
// audibly on time, a loudness the scenes can see, silence after the end, the same bytes each run.
#include "tools/datagen/music/analysis.h"
#include "tools/datagen/music/dsp.h"
#include "tools/datagen/music/encode.h"
#include "tools/datagen/music/score.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Rendering takes several seconds: once for the whole suite.
const Song& song()
{
    static const Song rendered = renderScore();
    return rendered;
}

const std::vector<uint8_t>& encoded()
{
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> out;
        std::string error;
        EXPECT_TRUE(encodeVorbis(song(), 0.5f, out, error)) << error;
        return out;
    }();
    return bytes;
}

float peakOf(const Song& s)
{
    float peak = 0;
    for (size_t i = 0; i < s.frames(); ++i)
        peak = std::max({peak, std::fabs(s.left[i]), std::fabs(s.right[i])});
    return peak;
}

TEST(MusicSong, RunsPastTheShowsLastFrameInStereo)
{
    const Song& s = song();
    EXPECT_GE(s.frames(), static_cast<size_t>(363.5 * sampleRate));
    EXPECT_EQ(s.left.size(), s.right.size());
    for (size_t i = 0; i < s.frames(); i += 997)
        ASSERT_TRUE(std::isfinite(s.left[i]) && std::isfinite(s.right[i])) << "sample " << i;
}

TEST(MusicSong, StaysBelowMinusOneDecibelWithoutDcOffset)
{
    const Song& s = song();
    EXPECT_LT(peakOf(s), dbToGain(-1.0f));
    double left = 0, right = 0;
    for (size_t i = 0; i < s.frames(); ++i) {
        left += s.left[i];
        right += s.right[i];
    }
    EXPECT_LT(std::fabs(left / static_cast<double>(s.frames())), 1e-3);
    EXPECT_LT(std::fabs(right / static_cast<double>(s.frames())), 1e-3);
}

TEST(MusicSong, EveryAccentCueStartsAHitWithinTenMilliseconds)
{
    int accents = 0;
    for (const Cue& cue : showCues()) {
        if (!cue.accent)
            continue;
        ++accents;
        std::vector<double> onsets = detectOnsets(song(), cue.ms - 100, cue.ms + 100);
        double nearest = 1e9;
        for (double t : onsets)
            nearest = std::min(nearest, std::fabs(t - cue.ms));
        EXPECT_LE(nearest, 10.0) << cue.what << " cue at " << cue.ms << " ms";
    }
    EXPECT_EQ(accents, 43); // the show's hand-timed lists, all of them
}

TEST(MusicSong, SceneLoudnessNeverDropsToNothingAndEndsInSilence)
{
    // The scenes' three-frame average at 60 frames a second, stretch by stretch. Their glows,
    // hairs and sprites need a level above zero wherever they draw.
    struct Stretch {
        double from, to;
        float least;
    };
    const Stretch stretches[] = {
        {8000, 66500, 0.2f},   {66500, 91000, 0.5f},  {91000, 150000, 0.5f},  {150000, 182950, 0.5f},
        {182950, 221500, 0.5f}, {221500, 254500, 0.3f}, {254500, 305000, 0.8f}, {305000, 355000, 0.5f},
        {355000, 362000, 1e-4f},
    };
    for (const Stretch& s : stretches) {
        std::vector<float> level = smoothedLoudness(song(), s.from, s.to);
        ASSERT_FALSE(level.empty());
        float least = *std::min_element(level.begin(), level.end());
        EXPECT_GT(least, s.least) << s.from << " - " << s.to << " ms";
    }
    std::vector<float> after = smoothedLoudness(song(), 363000, song().frames() * 1000.0 / sampleRate - 15);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(*std::max_element(after.begin(), after.end()), 0.0f);
}

TEST(MusicSong, LoudPassagesReachTheScenesFullRange)
{
    // The spray turns pale and the ropes' flares reach full strength only when the summed
    // spectrum climbs well above the quiet stretches.
    auto p90 = [](double from, double to) {
        std::vector<float> level = smoothedLoudness(song(), from, to, 30.0);
        std::sort(level.begin(), level.end());
        return level[level.size() * 9 / 10];
    };
    float opening = p90(0, 10500), spray = p90(204000, 221500), flares = p90(237842, 253047);
    EXPECT_GT(spray, 5.0f);
    EXPECT_GT(flares, 5.0f);
    EXPECT_GT(spray, 2.0f * opening);
}

TEST(MusicSong, EncodesToVorbisThatDecodesToTheSameLength)
{
    Song decoded;
    int rate = 0, channels = 0;
    std::string error;
    ASSERT_TRUE(decodeVorbis(encoded(), decoded, rate, channels, error)) << error;
    EXPECT_EQ(rate, sampleRate);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(decoded.frames(), song().frames());
    EXPECT_LT(peakOf(decoded), 1.0f); // the codec's overshoot stays inside full scale
}

TEST(MusicSong, RendersAndEncodesTheSameBytesEveryTime)
{
    const Song again = renderScore();
    ASSERT_EQ(again.frames(), song().frames());
    EXPECT_TRUE(again.left == song().left && again.right == song().right);
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(encodeVorbis(again, 0.5f, bytes, error)) << error;
    EXPECT_TRUE(bytes == encoded());
}

} // namespace
