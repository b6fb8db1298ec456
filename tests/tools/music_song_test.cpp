// The rendered soundtrack against what the show needs from it: length, headroom, every cue hit
// audibly on time, a loudness the scenes can see, silence after the end, the same bytes each run.
#include "tools/datagen/music/analysis.h"
#include "tools/datagen/music/dsp.h"
#include "tools/datagen/music/encode.h"
#include "tools/datagen/music/score.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

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

TEST(MusicSong, EveryAccentCueStartsAHitWithinFiveMilliseconds)
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
        EXPECT_LE(nearest, 5.0) << cue.what << " cue at " << cue.ms << " ms";
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

TEST(MusicSong, TheSecondHalfBreaksBetweenItsLoudScenes)
{
    // Where a loud scene hands over, the music drops to a break before it builds again: after
    // the push, after the spray, after the flares, and at the close. Mean power, in dB.
    struct Drop {
        double loudFrom, loudTo, quietFrom, quietTo;
    };
    const Drop drops[] = {
        {170000, 182000, 185500, 191500}, // the push, then the creatures
        {206000, 221000, 224500, 229000}, // the spray, then the ropes
        {240000, 253000, 256500, 262500}, // the flares, then the return
        {306000, 330000, 344000, 356000}, // the last scene's pulse, then the opening's waters
    };
    for (const Drop& d : drops) {
        const double loud = meanPowerDb(song(), d.loudFrom, d.loudTo);
        const double quiet = meanPowerDb(song(), d.quietFrom, d.quietTo);
        EXPECT_GT(loud - quiet, 9.0) << "loud " << loud << " dB from " << d.loudFrom << " ms, quiet " << quiet
                                     << " dB from " << d.quietFrom << " ms";
    }
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

// The program's path as the shell finds it; empty when it is not installed.
std::string onPath(const std::string& program)
{
    std::string path;
    if (FILE* shell = popen(("command -v " + program).c_str(), "r")) {
        char line[512];
        if (std::fgets(line, sizeof line, shell))
            path = line;
        pclose(shell);
    }
    while (!path.empty() && (path.back() == '\n' || path.back() == ' '))
        path.pop_back();
    return path;
}

// The last value after `label` in ffmpeg's ebur128 summary ("I:", "LRA:" or "Peak:"); NaN when
// absent.
double summaryValue(const std::string& log, const std::string& label)
{
    const size_t summary = log.rfind("Summary:");
    if (summary == std::string::npos)
        return std::nan("");
    const size_t at = log.find(label, summary);
    if (at == std::string::npos)
        return std::nan("");
    return std::strtod(log.c_str() + at + label.size(), nullptr);
}

// The encoded master, decoded, through ffmpeg's EBU R128 meter with a line every 100 ms: measured
// as a listener hears it. Once for the suite; empty when ffmpeg failed.
const std::string& meterLog()
{
    static const std::string log = [] {
        const std::string ffmpeg = onPath("ffmpeg");
        EXPECT_FALSE(ffmpeg.empty()) << "needs ffmpeg (scripts/setup.sh installs it)";
        if (ffmpeg.empty())
            return std::string();
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() / ("orvalune-master-" + std::to_string(getpid()) + ".ogg");
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(encoded().data()), static_cast<std::streamsize>(encoded().size()));
        const ProgramResult run = runProgram({ffmpeg, "-hide_banner", "-nostats", "-loglevel", "verbose", "-i",
                                              file.string(), "-af", "ebur128=peak=true", "-f", "null", "-"},
                                             ".", 300.0, 0.0, false);
        std::filesystem::remove(file);
        EXPECT_EQ(run.exitCode, 0) << run.output.substr(0, 2000);
        return run.exitCode == 0 ? run.output : std::string();
    }();
    return log;
}

// The loudest short-term loudness (3 s window, LUFS) of the meter's lines in [fromS, toS).
double loudestShortTerm(const std::string& log, double fromS, double toS)
{
    double loudest = -200.0;
    for (size_t at = log.find(" t: "); at != std::string::npos; at = log.find(" t: ", at + 1)) {
        const double t = std::strtod(log.c_str() + at + 4, nullptr);
        const size_t s = log.find(" S:", at);
        if (s == std::string::npos || t < fromS || t >= toS)
            continue;
        loudest = std::max(loudest, std::strtod(log.c_str() + s + 3, nullptr));
    }
    return loudest;
}

TEST(MusicSong, DecodedMasterMeasuresFourteenLufsElevenLuOfRangeAndATruePeakBelowMinusOne)
{
    // The loudness range is what tells a score with quiet breaks and loud peaks from a flat bed.
    const std::string& log = meterLog();
    ASSERT_FALSE(log.empty());
    const double integrated = summaryValue(log, "I:");
    const double truePeak = summaryValue(log, "Peak:");
    const double range = summaryValue(log, "LRA:");
    EXPECT_NEAR(integrated, -14.0, 1.0) << "integrated loudness, LUFS";
    EXPECT_GE(range, 11.0) << "loudness range, LU";
    EXPECT_LE(truePeak, -1.0) << "true peak, dBTP";
    EXPECT_GE(truePeak, -2.0) << "a master this quiet wastes its headroom";
}

TEST(MusicSong, TheSecondHalfPeaksTwoLuAboveTheFirst)
{
    // A climax a listener feels: the loudest three seconds after the jellyfish stand at least
    // 2 LU above the loudest of the first half (the score had them 0.7 LU apart).
    const std::string& log = meterLog();
    ASSERT_FALSE(log.empty());
    const double firstHalf = loudestShortTerm(log, 3.0, 150.0), secondHalf = loudestShortTerm(log, 150.0, 346.0);
    ASSERT_GT(firstHalf, -70.0) << "no meter lines read";
    EXPECT_GE(secondHalf - firstHalf, 2.0) << "first half " << firstHalf << " LUFS, second half " << secondHalf;
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
