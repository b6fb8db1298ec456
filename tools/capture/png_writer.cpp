#include "tools/capture/png_writer.h"

#include "platform/utf8_files.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

namespace {

// zlib level 1 with the "up" filter: about as small as the slow settings for these pictures
// (dark water, soft gradients), at a fraction of the time.
constexpr int pngZlibLevel = 1;
constexpr uint8_t filterUp = 2;

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char type[4], const uint8_t* data, size_t size)
{
    put32(out, static_cast<uint32_t>(size));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    if (size)
        out.insert(out.end(), data, data + size);
    put32(out, static_cast<uint32_t>(crc32(0, out.data() + typeAt, static_cast<uInt>(size + 4))));
}

} // namespace

std::vector<uint8_t> encodePng(const uint8_t* rgba, int width, int height, int level)
{
    const size_t stride = static_cast<size_t>(width) * 3 + 1;
    std::vector<uint8_t> raw(stride * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &raw[stride * static_cast<size_t>(y)];
        const uint8_t* pixel = rgba + static_cast<size_t>(y) * width * 4;
        const uint8_t* above = pixel - static_cast<size_t>(width) * 4;
        row[0] = y ? filterUp : 0;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                row[1 + x * 3 + c] = y ? static_cast<uint8_t>(pixel[x * 4 + c] - above[x * 4 + c]) : pixel[x * 4 + c];
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), level) != Z_OK)
        return {};

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    put32(header, static_cast<uint32_t>(width));
    put32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter set, no interlace
    putChunk(png, "IHDR", header.data(), header.size());
    putChunk(png, "IDAT", packed.data(), packedSize);
    putChunk(png, "IEND", nullptr, 0);
    return png;
}

PngWriter::PngWriter(std::string folder_, int width_, int height_, size_t maxPending_)
    : folder(std::move(folder_)), width(width_), height(height_), maxPending(maxPending_ ? maxPending_ : 1)
{
    try {
        worker = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        // A build without threads (the browser's): each picture is written as it is submitted.
    }
}

PngWriter::~PngWriter() { finish(); }

bool PngWriter::submit(std::vector<uint8_t>&& rgba, const std::string& fileName)
{
    if (!worker.joinable()) {
        if (failed || stopping)
            return false;
        const bool ok = writeOne({std::move(rgba), fileName});
        done += ok ? 1 : 0;
        failed = !ok;
        return ok;
    }
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return jobs.size() < maxPending || failed; });
    if (failed || stopping)
        return false;
    jobs.push_back({std::move(rgba), fileName});
    changed.notify_all();
    return true;
}

bool PngWriter::finish()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (worker.joinable())
        worker.join();
    std::lock_guard<std::mutex> lock(mutex);
    return !failed;
}

size_t PngWriter::written() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return done;
}

std::string PngWriter::error() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return problem;
}

void PngWriter::work()
{
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return !jobs.empty() || stopping; });
            // Whatever was rendered before a stop is still written: those frames are complete.
            if (jobs.empty() || failed)
                return;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        const bool ok = writeOne(job);
        std::lock_guard<std::mutex> lock(mutex);
        if (ok)
            ++done;
        failed = failed || !ok;
        changed.notify_all();
    }
}

bool PngWriter::writeOne(const Job& job)
{
    const std::string path = (pathFromUtf8(folder) / job.fileName).string();
    const std::string partial = path + ".part";
    const std::vector<uint8_t> png = encodePng(job.rgba.data(), width, height, pngZlibLevel);
    // The first step that fails gives the reason (a full disk shows at the write or the close).
    int cause = 0;
    const auto lastError = [] { return errno ? errno : EIO; };
    errno = 0;
    FILE* file = png.empty() ? nullptr : openFileUtf8(partial, "wb");
    if (!file)
        cause = lastError();
    else if (std::fwrite(png.data(), 1, png.size(), file) != png.size())
        cause = lastError();
    if (file && std::fclose(file) != 0 && !cause)
        cause = lastError();
    if (file && !cause && renameFileUtf8(partial, path) != 0)
        cause = lastError();
    const bool ok = file && !cause;
    if (!ok) {
        removeFileUtf8(partial);
        std::lock_guard<std::mutex> lock(mutex);
        if (problem.empty())
            problem = "cannot write " + path + ": " +
                      (png.empty() ? "no memory to encode it" : std::error_code(cause, std::generic_category()).message());
    }
    return ok;
}
