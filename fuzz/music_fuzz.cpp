// The music opener on any bytes: open, read from the start as the audio callback does, then seek
// and read as the spectrum does.
#include "runtime/music_stream.h"

using namespace VELMORA_PELAGOR;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    MusicStream stream;
    std::string why;
    if (!stream.open(bytes, why))
        return 0;
    float out[1024 * 2];
    // A bounded stretch: long songs need not be decoded whole to exercise the decoder.
    int64_t frame = 0;
    for (int chunk = 0; chunk < 64 && frame < stream.totalFrames(); ++chunk, frame += 1024)
        stream.readStereo(frame, out, 1024, false);
    stream.readStereo(stream.totalFrames() / 2 - 512, out, 1024, true);
    stream.readStereo(stream.totalFrames() - 100, out, 1024, true);
    return 0;
}
