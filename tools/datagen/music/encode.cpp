#include "tools/datagen/music/encode.h"

#include "tools/datagen/music/dsp.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

void appendPage(const ogg_page& page, std::vector<uint8_t>& bytes)
{
    bytes.insert(bytes.end(), page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
}

// A read cursor over bytes in memory for vorbisfile.
struct MemoryReader {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

size_t memoryRead(void* out, size_t size, size_t count, void* source)
{
    auto* r = static_cast<MemoryReader*>(source);
    size_t want = size * count;
    size_t left = r->bytes->size() - r->pos;
    size_t n = std::min(want, left);
    std::memcpy(out, r->bytes->data() + r->pos, n);
    r->pos += n;
    return size ? n / size : 0;
}

int memorySeek(void* source, ogg_int64_t offset, int whence)
{
    auto* r = static_cast<MemoryReader*>(source);
    long long base = whence == SEEK_CUR ? static_cast<long long>(r->pos)
                   : whence == SEEK_END ? static_cast<long long>(r->bytes->size())
                                        : 0;
    long long at = base + offset;
    if (at < 0 || at > static_cast<long long>(r->bytes->size()))
        return -1;
    r->pos = static_cast<size_t>(at);
    return 0;
}

long memoryTell(void* source) { return static_cast<long>(static_cast<MemoryReader*>(source)->pos); }

} // namespace

bool encodeVorbis(const Song& song, float quality, std::vector<uint8_t>& bytes, std::string& error,
                  const Progress& progress, int serial)
{
    const int channels = song.right.empty() ? 1 : 2;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, sampleRate, quality) != 0) {
        vorbis_info_clear(&info);
        error = "the Vorbis encoder refused 44.1 kHz at this quality";
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Orvalune");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    bytes.clear();
    // The headers get pages of their own so audio starts on a fresh page.
    while (ogg_stream_flush(&stream, &page) != 0)
        appendPage(page, bytes);

    const size_t frames = song.frames();
    const size_t chunk = 4096;
    size_t done = 0;
    bool ended = false;
    while (!ended) {
        size_t n = std::min(chunk, frames - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            std::memcpy(buffer[0], song.left.data() + done, n * sizeof(float));
            if (channels == 2)
                std::memcpy(buffer[1], song.right.data() + done, n * sizeof(float));
            done += n;
        }
        // Zero frames written marks the end of the stream.
        vorbis_analysis_wrote(&dsp, static_cast<int>(n));
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    appendPage(page, bytes);
                    if (ogg_page_eos(&page))
                        ended = true;
                }
            }
        }
        if (progress && (done / chunk) % 64 == 0)
            progress("encoding", static_cast<double>(done) / static_cast<double>(frames));
        if (n == 0 && !ended) {
            // The last packets are out; flush whatever page is left.
            while (ogg_stream_flush(&stream, &page) != 0)
                appendPage(page, bytes);
            ended = true;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    if (progress)
        progress("encoding", 1.0);
    return true;
}

bool decodeVorbis(const std::vector<uint8_t>& bytes, Song& song, int& rate, int& channels, std::string& error)
{
    MemoryReader reader{&bytes, 0};
    ov_callbacks callbacks{memoryRead, memorySeek, nullptr, memoryTell};
    OggVorbis_File file;
    if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0) {
        error = "not an Ogg Vorbis stream";
        return false;
    }
    vorbis_info* info = ov_info(&file, -1);
    rate = static_cast<int>(info->rate);
    channels = info->channels;
    song.left.clear();
    song.right.clear();
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        long n = ov_read_float(&file, &pcm, 4096, &section);
        if (n == 0)
            break;
        if (n < 0) {
            ov_clear(&file);
            error = "corrupt Vorbis data";
            return false;
        }
        song.left.insert(song.left.end(), pcm[0], pcm[0] + n);
        song.right.insert(song.right.end(), pcm[channels > 1 ? 1 : 0], pcm[channels > 1 ? 1 : 0] + n);
    }
    ov_clear(&file);
    return true;
}

bool writeFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    const std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        error = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        std::remove(temporary.c_str());
        error = "cannot write " + temporary;
        return false;
    }
    std::error_code code;
    std::filesystem::rename(temporary, path, code);
    if (code) {
        std::remove(temporary.c_str());
        error = "cannot move " + temporary + " to " + path + ": " + code.message();
        return false;
    }
    return true;
}
