// An Ogg Vorbis stream decoded from bytes in memory into interleaved stereo.
//
// A file may chain several streams (links), each with its own channel count: every chunk the
// decoder returns is read with the layout of the link it came from, mono going to both sides.
// Links at different sample rates are refused, since the clock counts frames at one rate.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VELMORA_PELAGOR {

class MusicStream {
public:
    MusicStream();
    ~MusicStream();
    MusicStream(const MusicStream&) = delete;
    MusicStream& operator=(const MusicStream&) = delete;

    // Opens on bytes that must outlive the stream. False, with the reason, when they are not a
    // readable Ogg Vorbis file, hold no audio, or chain links of different rates.
    bool open(const std::vector<uint8_t>& bytes, std::string& why);
    void close();
    bool isOpen() const;
    int rate() const;
    int64_t totalFrames() const;
    // Moves the read position (clamped to the song); false when the decoder cannot seek there.
    bool seek(int64_t frame);
    // Fills `frames` stereo frames from `first` on (from the current position unless `seekFirst`);
    // frames before the song, after it, or that cannot be decoded are silent.
    void readStereo(int64_t first, float* out, int frames, bool seekFirst);

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder;

    // The start of every read, on both platforms' decoders: silences the frames asked for, counts
    // in `done` those before the song and moves `first` to its start, then seeks there if asked.
    // False when nothing is left to decode.
    bool startRead(int64_t& first, float* out, int frames, bool seekFirst, int& done)
    {
        done = 0;
        if (frames <= 0)
            return false;
        std::fill(out, out + static_cast<size_t>(frames) * 2, 0.0f);
        if (first < 0) {
            done = static_cast<int>(std::min<int64_t>(-first, frames));
            first = 0;
        }
        if (done >= frames || !isOpen() || first >= totalFrames())
            return false;
        return !seekFirst || seek(first);
    }
};

} // namespace VELMORA_PELAGOR
