#include "runtime/music_stream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace VELMORA_PELAGOR {

namespace {

// A vorbisfile reader over bytes in memory, one cursor per stream.
struct MemorySource {
    const std::vector<uint8_t>* bytes = nullptr;
    size_t position = 0;
};

size_t readMemory(void* out, size_t size, size_t count, void* source)
{
    auto* s = static_cast<MemorySource*>(source);
    const size_t available = s->bytes->size() - s->position;
    const size_t n = std::min(available, size * count);
    if (n == 0)
        return 0; // an empty file has no data pointer to copy from
    std::memcpy(out, s->bytes->data() + s->position, n);
    s->position += n;
    return size ? n / size : 0;
}

int seekMemory(void* source, ogg_int64_t offset, int whence)
{
    auto* s = static_cast<MemorySource*>(source);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<ogg_int64_t>(s->position);
    else if (whence == SEEK_END)
        base = static_cast<ogg_int64_t>(s->bytes->size());
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(s->bytes->size()))
        return -1;
    s->position = static_cast<size_t>(target);
    return 0;
}

long tellMemory(void* source) { return static_cast<long>(static_cast<MemorySource*>(source)->position); }

const ov_callbacks memoryCallbacks = {readMemory, seekMemory, nullptr, tellMemory};

} // namespace

struct MusicStream::Decoder {
    MemorySource source;
    OggVorbis_File file{};
    int rate = 0;
    int64_t totalFrames = 0;
    int64_t position = 0; // the next frame a read gives, kept here: vorbisfile loses it at a seam
};

MusicStream::MusicStream() = default;
MusicStream::~MusicStream() { close(); }

bool MusicStream::open(const std::vector<uint8_t>& bytes, std::string& why)
{
    close();
    auto d = std::make_unique<Decoder>();
    d->source = {&bytes, 0};
    if (ov_open_callbacks(&d->source, &d->file, nullptr, 0, memoryCallbacks) != 0) {
        why = "not a readable Ogg Vorbis file";
        return false;
    }
    const long links = ov_streams(&d->file);
    const vorbis_info* first = ov_info(&d->file, 0);
    d->rate = first ? static_cast<int>(first->rate) : 0;
    for (long link = 0; link < links; ++link) {
        const vorbis_info* info = ov_info(&d->file, static_cast<int>(link));
        if (!info || info->rate != d->rate || info->channels < 1) {
            why = "its link " + std::to_string(link + 1) + " of " + std::to_string(links) + " plays at " +
                  std::to_string(info ? info->rate : 0) + " Hz, unlike the first link's " + std::to_string(d->rate) +
                  " Hz";
            ov_clear(&d->file);
            return false;
        }
    }
    d->totalFrames = ov_pcm_total(&d->file, -1);
    if (d->rate <= 0 || d->totalFrames <= 0) {
        why = "it holds no audio";
        ov_clear(&d->file);
        return false;
    }
    decoder = std::move(d);
    return true;
}

void MusicStream::close()
{
    if (decoder)
        ov_clear(&decoder->file);
    decoder.reset();
}

bool MusicStream::isOpen() const { return decoder != nullptr; }
int MusicStream::rate() const { return decoder ? decoder->rate : 0; }
int64_t MusicStream::totalFrames() const { return decoder ? decoder->totalFrames : 0; }

bool MusicStream::seek(int64_t frame)
{
    if (!decoder)
        return false;
    const int64_t target = std::clamp<int64_t>(frame, 0, decoder->totalFrames);
    if (ov_pcm_seek(&decoder->file, target) != 0)
        return false;
    decoder->position = target;
    return true;
}

void MusicStream::readStereo(int64_t first, float* out, int frames, bool seekFirst)
{
    int done = 0;
    if (!startRead(first, out, frames, seekFirst, done))
        return;
    // At the seam between two links vorbisfile may report the end, or a gap: a seek to where the
    // read stands carries on into the next link. A damaged file gets a bounded number of tries.
    int retries = 0;
    while (done < frames) {
        float** pcm = nullptr;
        int link = 0;
        const long got = ov_read_float(&decoder->file, &pcm, frames - done, &link);
        if (got == 0 || got == OV_HOLE) {
            const int64_t at = decoder->position;
            if (at >= decoder->totalFrames || ++retries > 16 || ov_pcm_seek(&decoder->file, at) != 0)
                break;
            continue;
        }
        if (got < 0)
            break;
        // The chunk's own link says how many channels it holds.
        const vorbis_info* info = ov_info(&decoder->file, link);
        if (!info || info->channels < 1)
            break;
        const float* left = pcm[0];
        const float* right = pcm[info->channels > 1 ? 1 : 0];
        float* to = out + static_cast<size_t>(done) * 2;
        for (long i = 0; i < got; ++i) {
            to[i * 2] = left[i];
            to[i * 2 + 1] = right[i];
        }
        done += static_cast<int>(got);
        decoder->position += got;
    }
}

} // namespace VELMORA_PELAGOR
