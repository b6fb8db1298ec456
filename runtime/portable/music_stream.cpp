// The Ogg Vorbis stream on Windows and in the browser, decoded by stb_vorbis (libvorbis has no
// MinGW or WebAssembly build in Debian; stb_vorbis comes with the stb headers these builds use).
//
// stb_vorbis reads one link only: past the first link's end it would decode the next link's audio
// with the first link's setup and channel count. So the file is cut into its links here (a link
// starts at a page that begins a stream after pages that did not), each link gets a decoder of its
// own, and every chunk is read with the channel count of the link it came from, mono going to both
// sides; links at different sample rates are refused, as on Linux.
#include "runtime/music_stream.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include <algorithm>
#include <limits>

namespace VELMORA_PELAGOR {

namespace {

struct Link {
    stb_vorbis* file = nullptr;
    int channels = 0;
    int64_t firstFrame = 0; // in the whole song
    int64_t frames = 0;
};

// Where each link starts in the file. A damaged page ends the scan: what follows belongs to the
// last link found, and its decoder deals with it.
std::vector<size_t> linkStarts(const std::vector<uint8_t>& bytes)
{
    std::vector<size_t> starts{0};
    constexpr size_t headerSize = 27;
    bool previousBegan = true;
    size_t at = 0;
    while (at + headerSize <= bytes.size()) {
        const uint8_t* page = bytes.data() + at;
        if (page[0] != 'O' || page[1] != 'g' || page[2] != 'g' || page[3] != 'S')
            break;
        const size_t segments = page[26];
        if (at + headerSize + segments > bytes.size())
            break;
        size_t body = 0;
        for (size_t s = 0; s < segments; ++s)
            body += page[headerSize + s];
        const bool begins = (page[5] & 2) != 0;
        if (begins && !previousBegan && at > 0)
            starts.push_back(at);
        previousBegan = begins;
        at += headerSize + segments + body;
    }
    return starts;
}

} // namespace

struct MusicStream::Decoder {
    std::vector<Link> links;
    int rate = 0;
    int64_t totalFrames = 0;
    size_t current = 0; // the link the next read comes from; links.size() at the end
    std::vector<float> left, right;

    ~Decoder()
    {
        for (Link& link : links)
            if (link.file)
                stb_vorbis_close(link.file);
    }
};

MusicStream::MusicStream() = default;
MusicStream::~MusicStream() { close(); }

bool MusicStream::open(const std::vector<uint8_t>& bytes, std::string& why)
{
    close();
    if (bytes.empty() || bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        why = "not a readable Ogg Vorbis file";
        return false;
    }
    auto d = std::make_unique<Decoder>();
    const std::vector<size_t> starts = linkStarts(bytes);
    for (size_t i = 0; i < starts.size(); ++i) {
        const size_t end = i + 1 < starts.size() ? starts[i + 1] : bytes.size();
        int error = 0;
        Link link;
        link.file = stb_vorbis_open_memory(bytes.data() + starts[i], static_cast<int>(end - starts[i]), &error, nullptr);
        if (!link.file) {
            why = starts.size() == 1 ? std::string("not a readable Ogg Vorbis file")
                                     : "its link " + std::to_string(i + 1) + " of " + std::to_string(starts.size()) +
                                           " is not readable Ogg Vorbis";
            return false;
        }
        const stb_vorbis_info info = stb_vorbis_get_info(link.file);
        link.channels = info.channels;
        link.firstFrame = d->totalFrames;
        link.frames = stb_vorbis_stream_length_in_samples(link.file);
        d->links.push_back(link);
        if (i == 0)
            d->rate = static_cast<int>(info.sample_rate);
        if (static_cast<int>(info.sample_rate) != d->rate || info.channels < 1) {
            why = "its link " + std::to_string(i + 1) + " of " + std::to_string(starts.size()) + " plays at " +
                  std::to_string(info.sample_rate) + " Hz, unlike the first link's " + std::to_string(d->rate) + " Hz";
            return false;
        }
        d->totalFrames += link.frames;
    }
    if (d->rate <= 0 || d->totalFrames <= 0) {
        why = "it holds no audio";
        return false;
    }
    decoder = std::move(d);
    return true;
}

void MusicStream::close() { decoder.reset(); }

bool MusicStream::isOpen() const { return decoder != nullptr; }
int MusicStream::rate() const { return decoder ? decoder->rate : 0; }
int64_t MusicStream::totalFrames() const { return decoder ? decoder->totalFrames : 0; }

bool MusicStream::seek(int64_t frame)
{
    if (!decoder)
        return false;
    Decoder& d = *decoder;
    const int64_t target = std::clamp<int64_t>(frame, 0, d.totalFrames);
    size_t index = 0;
    while (index < d.links.size() && target >= d.links[index].firstFrame + d.links[index].frames)
        ++index;
    if (index < d.links.size()) {
        const Link& link = d.links[index];
        if (!stb_vorbis_seek(link.file, static_cast<unsigned int>(target - link.firstFrame)))
            return false;
    }
    d.current = index;
    return true;
}

void MusicStream::readStereo(int64_t first, float* out, int frames, bool seekFirst)
{
    int done = 0;
    if (!startRead(first, out, frames, seekFirst, done))
        return;
    Decoder& d = *decoder;
    d.left.resize(static_cast<size_t>(frames));
    d.right.resize(static_cast<size_t>(frames));
    // Each pass gives frames or moves on to the next link: bounded by the frames and the links.
    while (done < frames && d.current < d.links.size()) {
        const Link& link = d.links[d.current];
        float* channels[2] = {d.left.data(), d.right.data()};
        const int got = stb_vorbis_get_samples_float(link.file, 2, channels, frames - done);
        if (got <= 0) {
            if (++d.current < d.links.size())
                stb_vorbis_seek_start(d.links[d.current].file);
            continue;
        }
        // This link's own channel count says what the chunk holds.
        const float* right = link.channels > 1 ? d.right.data() : d.left.data();
        float* to = out + static_cast<size_t>(done) * 2;
        for (int i = 0; i < got; ++i) {
            to[i * 2] = d.left[static_cast<size_t>(i)];
            to[i * 2 + 1] = right[i];
        }
        done += got;
    }
}

} // namespace VELMORA_PELAGOR
