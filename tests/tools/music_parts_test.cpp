// The soundtrack's parts on their own: the tempo map, the instruments, the onset detector the
// cue test relies on, and the file writing.
#include "tools/datagen/music/analysis.h"
#include "tools/datagen/music/dsp.h"
#include "tools/datagen/music/encode.h"
#include "tools/datagen/music/instruments.h"
#include "tools/datagen/music/score.h"
#include "tools/datagen/music/tempo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

namespace {

TEST(MusicTempo, PinsEveryAnchorAndInvertsBetweenThem)
{
    TempoMap map;
    ASSERT_TRUE(map.build({{0, 0}, {4, 2000}, {8, 4200}, {12, 6100}}));
    EXPECT_DOUBLE_EQ(map.ms(4), 2000);
    EXPECT_DOUBLE_EQ(map.ms(8), 4200);
    for (double b = -2; b < 14; b += 0.37) {
        EXPECT_NEAR(map.beat(map.ms(b)), b, 1e-6);
        EXPECT_LT(map.ms(b), map.ms(b + 0.01)) << "time runs backwards at beat " << b;
    }
    EXPECT_NEAR(map.bpm(20), 60000.0 / 475.0, 1e-6); // the last stretch's tempo goes on
}

TEST(MusicTempo, RefusesAnchorsOutOfOrder)
{
    TempoMap map;
    EXPECT_FALSE(map.build({{0, 0}, {4, 2000}, {4, 2500}}));
    EXPECT_FALSE(map.build({{0, 0}, {4, 2000}, {8, 1900}}));
    EXPECT_FALSE(map.build({{0, 0}}));
}

TEST(MusicTempo, TheShowsMapKeepsAMusicalPulse)
{
    // Pinning hand-timed cues must not make the beat lurch: the local tempo stays between a
    // slow close and a brisk push everywhere in the song.
    TempoMap map = showTempo();
    for (double b = 0; map.ms(b) < 363500; b += 0.125) {
        double bpm = map.bpm(b);
        ASSERT_GT(bpm, 95.0) << "at " << map.ms(b) << " ms";
        ASSERT_LT(bpm, 135.0) << "at " << map.ms(b) << " ms";
    }
    EXPECT_NEAR(map.ms(194), 101052, 1e-6); // the first glow cue is a beat, not near one
}

TEST(MusicScore, TheSecondHalfsBreaksEachBuildBackInTheirOwnWay)
{
    // The three breaks climbed back by one template, the same noise riser into the same plateau.
    // What starts in the five seconds before each return (the spray, the flares, the turn to
    // major) must differ, and a noise riser leads into one of them at most.
    const std::vector<Note> notes = composeScore(showTempo());
    std::vector<std::set<Instrument>> builds;
    int risers = 0;
    for (double back : {204000.0, 237842.0, 271200.0}) {
        std::set<Instrument> kinds;
        for (const Note& n : notes)
            if (n.startMs >= back - 5000 && n.startMs < back)
                kinds.insert(n.instrument);
        risers += static_cast<int>(kinds.count(Instrument::Riser));
        builds.push_back(kinds);
    }
    EXPECT_LE(risers, 1);
    EXPECT_NE(builds[0], builds[1]);
    EXPECT_NE(builds[1], builds[2]);
    EXPECT_NE(builds[0], builds[2]);
}

TEST(MusicInstruments, EveryInstrumentSoundsAndDiesAwayBeforeItsBufferEnds)
{
    for (int i = 0; i <= static_cast<int>(Instrument::Drone); ++i) {
        Note n;
        n.instrument = static_cast<Instrument>(i);
        n.lengthMs = 400;
        n.pitch = 57;
        n.bright = 0.7f;
        std::vector<float> left, right;
        renderNote(n, left, right);
        ASSERT_EQ(left.size(), right.size());
        float peak = 0;
        for (size_t k = 0; k < left.size(); ++k) {
            ASSERT_TRUE(std::isfinite(left[k]) && std::isfinite(right[k])) << "instrument " << i;
            peak = std::max({peak, std::fabs(left[k]), std::fabs(right[k])});
        }
        EXPECT_GT(peak, 0.01f) << "instrument " << i << " is silent";
        EXPECT_LT(peak, 4.0f) << "instrument " << i << " is far too hot";
        // A tail cut short would click: the last 10 ms must have faded to near silence.
        float tail = 0;
        for (size_t k = left.size() - sampleRate / 100; k < left.size(); ++k)
            tail = std::max({tail, std::fabs(left[k]), std::fabs(right[k])});
        EXPECT_LT(tail, 0.03f * peak) << "instrument " << i << " is cut off";
    }
}

TEST(MusicInstruments, DrumsStrikeWithinAMillisecond)
{
    for (Instrument kind : {Instrument::Kick, Instrument::Snare, Instrument::Clap, Instrument::Tom, Instrument::Impact}) {
        Note n;
        n.instrument = kind;
        std::vector<float> left, right;
        renderNote(n, left, right);
        float peak = 0;
        for (float v : left)
            peak = std::max(peak, std::fabs(v));
        size_t first = 0;
        while (first < left.size() && std::fabs(left[first]) < 0.1f * peak)
            ++first;
        EXPECT_LT(first, static_cast<size_t>(sampleRate / 1000)) << "instrument " << static_cast<int>(kind);
    }
}

Song silence(double seconds)
{
    Song s;
    s.left.assign(static_cast<size_t>(seconds * sampleRate), 0.0f);
    s.right = s.left;
    return s;
}

void addClick(Song& s, double ms, float gain)
{
    Note n;
    n.instrument = Instrument::Snare;
    std::vector<float> left, right;
    renderNote(n, left, right);
    size_t at = static_cast<size_t>(msToSample(ms));
    for (size_t i = 0; i < left.size() && at + i < s.frames(); ++i) {
        s.left[at + i] += left[i] * gain;
        s.right[at + i] += right[i] * gain;
    }
}

TEST(MusicAnalysis, OnsetDetectorFindsHitsOnTimeInSilenceAndOverABed)
{
    Song s = silence(3.0);
    // A steady chord under part of it must not hide the hits nor count as one.
    Note pad;
    pad.instrument = Instrument::Pad;
    pad.lengthMs = 3000;
    pad.pitch = 50;
    pad.bright = 0.3f;
    std::vector<float> left, right;
    renderNote(pad, left, right);
    for (size_t i = 0; i < s.frames() && i < left.size(); ++i) {
        s.left[i] += left[i] * 0.4f;
        s.right[i] += right[i] * 0.4f;
    }
    const double hits[] = {700.0, 1233.3, 1500.0, 2410.7};
    for (double t : hits)
        addClick(s, t, 0.5f);
    std::vector<double> onsets = detectOnsets(s, 300, 2900);
    for (double t : hits) {
        double nearest = 1e9;
        for (double o : onsets)
            nearest = std::min(nearest, std::fabs(o - t));
        EXPECT_LE(nearest, 3.0) << "hit at " << t;
    }
    for (double o : onsets) {
        double nearest = 1e9;
        for (double t : hits)
            nearest = std::min(nearest, std::fabs(o - t));
        EXPECT_LT(nearest, 60.0) << "spurious onset at " << o;
    }
}

TEST(MusicAnalysis, SpectrumMatchesTheRuntimeScale)
{
    Song s = silence(1.0);
    EXPECT_EQ(spectrumSum(s, 500), 0.0f);
    // A sine of amplitude a: the Hann window's coherent gain puts about 256 a in its bin.
    const float a = 0.5f, hz = 43.06640625f * 40; // exactly bin 40
    for (size_t i = 0; i < s.frames(); ++i)
        s.left[i] = s.right[i] = a * std::sin(2.0f * pi * hz * static_cast<float>(i) / sampleRate);
    std::vector<float> spectrum = spectrumAt(s, 500);
    ASSERT_EQ(spectrum.size(), 512u);
    EXPECT_EQ(std::max_element(spectrum.begin(), spectrum.end()) - spectrum.begin(), 40);
    EXPECT_NEAR(spectrum[40], 256.0f * a * spectrumScale, 0.01f * 256.0f * a * spectrumScale);
}

TEST(MusicFiles, AFailedWriteLeavesNoFileBehind)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orvalune-music-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string error;
    const std::string good = (dir / "music.ogg").string();
    ASSERT_TRUE(writeFileReplacing(good, {1, 2, 3}, error)) << error;
    EXPECT_EQ(std::filesystem::file_size(good), 3u);
    EXPECT_FALSE(std::filesystem::exists(good + ".part"));
    // Into a folder that does not exist: an error naming the file, nothing written.
    const std::string bad = (dir / "missing" / "music.ogg").string();
    EXPECT_FALSE(writeFileReplacing(bad, {1, 2, 3}, error));
    EXPECT_NE(error.find("music.ogg"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(bad));
    std::filesystem::remove_all(dir);
}

TEST(MusicFiles, DecodingRejectsBytesThatAreNotVorbis)
{
    Song s;
    int rate = 0, channels = 0;
    std::string error;
    EXPECT_FALSE(decodeVorbis({'O', 'g', 'g', 'S', 0, 0, 0}, s, rate, channels, error));
    EXPECT_FALSE(error.empty());
}

} // namespace
