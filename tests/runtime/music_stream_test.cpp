// Music files as the runtime decodes them: a chained file whose links differ in channel count
// is read chunk by chunk with each link's own layout, and an empty file is refused.
#include "runtime/dms.h"
#include "runtime/music_stream.h"
#include "tools/datagen/music/encode.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr size_t linkFrames = 22050; // half a second each

Song tone(float hz, bool stereo)
{
    Song song;
    song.left.resize(linkFrames);
    for (size_t i = 0; i < linkFrames; ++i)
        song.left[i] = 0.5f * std::sin(2.0f * 3.14159265f * hz * static_cast<float>(i) / 44100.0f);
    if (stereo) {
        song.right = song.left;
        for (float& s : song.right)
            s = -s; // opposite sides tell the layout apart
    }
    return song;
}

// A stereo link followed by a mono one, made by the data generator's encoder.
std::vector<uint8_t> chainedStereoThenMono()
{
    std::vector<uint8_t> first, second;
    std::string error;
    EXPECT_TRUE(encodeVorbis(tone(440.0f, true), 0.4f, first, error, {}, 101)) << error;
    EXPECT_TRUE(encodeVorbis(tone(660.0f, false), 0.4f, second, error, {}, 202)) << error;
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

double energy(const std::vector<float>& stereo, size_t from, size_t to, int channel)
{
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += std::abs(stereo[i * 2 + channel]);
    return sum / static_cast<double>(to - from);
}

TEST(MusicStream, ChainedLinksOfDifferentChannelCountsAreReadWithEachLinksLayout)
{
    const std::vector<uint8_t> bytes = chainedStereoThenMono();
    MusicStream stream;
    std::string why;
    ASSERT_TRUE(stream.open(bytes, why)) << why;
    EXPECT_EQ(stream.rate(), 44100);
    EXPECT_EQ(stream.totalFrames(), static_cast<int64_t>(2 * linkFrames));

    // Straight through in callback-sized pieces, as the audio device reads it.
    std::vector<float> all(2 * linkFrames * 2);
    for (size_t at = 0; at < 2 * linkFrames; at += 1024) {
        const int n = static_cast<int>(std::min<size_t>(1024, 2 * linkFrames - at));
        stream.readStereo(static_cast<int64_t>(at), all.data() + at * 2, n, false);
    }
    // The stereo link: sides opposite. The mono link: the one channel on both sides.
    const size_t a = linkFrames / 4, b = linkFrames * 3 / 4;
    EXPECT_GT(energy(all, a, b, 0), 0.2);
    EXPECT_LT(std::abs(all[a * 2] + all[a * 2 + 1]), 0.05f);
    EXPECT_GT(energy(all, linkFrames + a, linkFrames + b, 1), 0.2);
    for (size_t i = linkFrames + a; i < linkFrames + b; ++i)
        ASSERT_EQ(all[i * 2], all[i * 2 + 1]) << "frame " << i;

    // Seeking into the mono link, as the spectrum does.
    std::vector<float> window(2048 * 2);
    stream.readStereo(static_cast<int64_t>(linkFrames + a), window.data(), 2048, true);
    for (size_t i = 0; i < 2048; ++i)
        ASSERT_EQ(window[i * 2], window[i * 2 + 1]);
    EXPECT_GT(energy(window, 0, 2048, 0), 0.2);
}

TEST(MusicStream, EmptyAndDamagedFilesAreRefusedWithAReason)
{
    MusicStream stream;
    std::string why;
    const std::vector<uint8_t> empty;
    EXPECT_FALSE(stream.open(empty, why));
    EXPECT_EQ(why, "not a readable Ogg Vorbis file");
    EXPECT_FALSE(stream.isOpen());

    std::vector<uint8_t> half = chainedStereoThenMono();
    half.resize(200);
    EXPECT_FALSE(stream.open(half, why));
    // Reading a stream that is not open gives silence.
    float out[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    stream.readStereo(0, out, 4, true);
    for (float s : out)
        EXPECT_EQ(s, 0.0f);
}

} // namespace
