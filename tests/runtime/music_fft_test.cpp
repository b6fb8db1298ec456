// The runtime's spectrum and the soundtrack tool's analysis are one computation: fed the same
// decoded samples they must give the same magnitudes, or the tool's loudness figures would not
// be what the scenes see.
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "runtime/music_fft.h"
#include "tests/runtime/runtime_fixture.h"
#include "tools/datagen/music/analysis.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace {

struct MemoryFile {
    const std::vector<uint8_t>* bytes;
    size_t position = 0;
};

size_t readMemory(void* out, size_t size, size_t count, void* source)
{
    auto* file = static_cast<MemoryFile*>(source);
    const size_t n = std::min(size * count, file->bytes->size() - file->position);
    std::memcpy(out, file->bytes->data() + file->position, n);
    file->position += n;
    return size ? n / size : 0;
}

// The whole song decoded the way a listener's player would, as the tool's Song.
Song decodeSong(const std::vector<uint8_t>& bytes)
{
    MemoryFile source{&bytes};
    OggVorbis_File file;
    const ov_callbacks callbacks = {readMemory, nullptr, nullptr, nullptr};
    Song song;
    if (ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0)
        return song;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long got = ov_read_float(&file, &pcm, 4096, &section);
        if (got <= 0)
            break;
        const int channels = ov_info(&file, section)->channels;
        song.left.insert(song.left.end(), pcm[0], pcm[0] + got);
        song.right.insert(song.right.end(), pcm[channels > 1 ? 1 : 0], pcm[channels > 1 ? 1 : 0] + got);
    }
    ov_clear(&file);
    return song;
}

TEST(Spectrum, RuntimeAndSoundtrackToolAgreeOnTheSameStretchOfTheSong)
{
    ASSERT_TRUE(openRuntimeOnTestArchive()) << "needs a display (Xvfb)";
    dmsInitTimer();
    dmsPlaySong(1);
    const Song song = decodeSong(testSongBytes());
    ASSERT_GT(song.frames(), static_cast<size_t>(testSongMs - 100) * 44100 / 1000);

    // Silence, the sine's onset (a broad spectrum), the steady sine, and the window running off
    // the song's start.
    for (int ms : {0, 1000, testSilenceMs, testSilenceMs + 7, testSilenceMs + 1000}) {
        float runtime[spectrumBinCount];
        dmsSetPositionForTest(ms);
        dmsGetSpectrum(runtime, spectrumBinCount);
        const std::vector<float> tool = spectrumAt(song, ms);
        ASSERT_EQ(tool.size(), static_cast<size_t>(spectrumBinCount));
        for (int k = 0; k < spectrumBinCount; ++k)
            ASSERT_FLOAT_EQ(runtime[k], tool[static_cast<size_t>(k)]) << "bin " << k << " at " << ms << " ms";
    }
    float onset[spectrumBinCount];
    dmsSetPositionForTest(testSilenceMs);
    dmsGetSpectrum(onset, spectrumBinCount);
    EXPECT_GT(std::accumulate(onset, onset + spectrumBinCount, 0.0f), 0.1f) << "the comparison saw real signal";
}

TEST(Spectrum, MagnitudesOfAKnownFrame)
{
    // A constant frame has all its energy in bin 0; a cosine at bin 4 puts n / 2 there.
    const int n = 64;
    std::vector<float> frame(n, 1.0f), magnitudes(n / 2 + 1);
    fftMagnitudes(frame.data(), n, magnitudes.data());
    EXPECT_FLOAT_EQ(magnitudes[0], static_cast<float>(n));
    EXPECT_NEAR(magnitudes[1], 0.0f, 1e-4f);
    for (int i = 0; i < n; ++i)
        frame[static_cast<size_t>(i)] = std::cos(2.0f * 3.14159265f * 4.0f * static_cast<float>(i) / n);
    fftMagnitudes(frame.data(), n, magnitudes.data());
    EXPECT_NEAR(magnitudes[4], n / 2.0f, 1e-3f);
    EXPECT_NEAR(magnitudes[5], 0.0f, 1e-3f);
}

} // namespace
