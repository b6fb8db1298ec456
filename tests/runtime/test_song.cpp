// The test archive's music, encoded here with the generator's Vorbis encoder.
#include "tests/runtime/runtime_fixture.h"

#include "tools/datagen/music/encode.h"

#include <cmath>

std::vector<uint8_t> testSongBytes()
{
    Song song;
    const size_t frames = static_cast<size_t>(testSongMs) * 44100 / 1000;
    song.left.assign(frames, 0.0f);
    for (size_t i = static_cast<size_t>(testSilenceMs) * 44100 / 1000; i < frames; ++i)
        song.left[i] = 0.5f * std::sin(2.0f * 3.14159265f * testSineHz * static_cast<float>(i) / 44100.0f);
    song.right = song.left;
    std::vector<uint8_t> bytes;
    std::string error;
    encodeVorbis(song, 0.5f, bytes, error);
    return bytes;
}
