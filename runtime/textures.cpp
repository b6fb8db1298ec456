// Textures: the archive's images are listed while the runtime starts and decoded, uploaded and
// freed one at a time when the timer starts (or on first use, if that comes earlier), so no frame
// stalls on a decode and no more than a few decoded pictures exist at once.
#include "runtime/archive.h"
#include "runtime/image_decode.h"
#include "runtime/state.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>
#include <unordered_map>

namespace VELMORA_PELAGOR::detail {

namespace {

// A page has no threads without special headers on its server: there the images are decoded
// one after the other.
#ifdef __EMSCRIPTEN__
constexpr bool decodeOnThreads = false;
#else
constexpr bool decodeOnThreads = true;
#endif

struct TextureRecord {
    Texture texture;
    bool inArchive = false; // an image entry of the archive
    bool uploaded = false;
    bool mipmaps = false;
    std::vector<std::pair<unsigned int, float>> parameters;
};

// Built before main, so it outlives any exit handler that shuts the runtime down.
std::unordered_map<std::string, std::unique_ptr<TextureRecord>> recordMap;
std::unordered_map<std::string, std::unique_ptr<TextureRecord>>& records() { return recordMap; }

bool isImageName(const std::string& name)
{
    auto endsWith = [&](const char* suffix) {
        const size_t n = std::char_traits<char>::length(suffix);
        if (name.size() < n)
            return false;
        return std::equal(name.end() - static_cast<long>(n), name.end(), suffix,
                          [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    };
    return endsWith(".jpg") || endsWith(".jpeg") || endsWith(".png");
}

TextureRecord& recordFor(const std::string& name)
{
    auto& slot = records()[name];
    if (!slot)
        slot = std::make_unique<TextureRecord>();
    return *slot;
}

// What a decode gives the upload: the picture, or why there is none.
struct DecodeResult {
    DecodedImage image;
    std::string problem; // empty when the image decoded
};

ImageLimits textureLimits()
{
    ImageLimits limits;
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    if (side > 0)
        limits.maxSide = side;
    return limits;
}

DecodeResult readAndDecode(const std::string& name, const ImageLimits& limits)
{
    DecodeResult result;
    std::vector<uint8_t> bytes;
    std::string why;
    const ArchiveRead read = readArchiveEntry(name.c_str(), bytes, why);
    if (read != ArchiveRead::Ok) {
        result.problem = archiveReadProblem(name.c_str(), read, why);
        return result;
    }
    try {
        if (!decodeImage(bytes.data(), bytes.size(), limits, result.image, why))
            result.problem = "\"" + name + "\" is not a readable image (" + why + ")";
    } catch (const std::exception& e) {
        result.image = DecodedImage{};
        result.problem = "\"" + name + "\" is not a readable image (" + e.what() + ")";
    }
    return result;
}

void applyParameters(const TextureRecord& record)
{
    for (const auto& [parameter, value] : record.parameters)
        glTexParameterf(GL_TEXTURE_2D, parameter, value);
}

// Puts the decoded picture (or a white placeholder, after saying why) on the card.
void upload(TextureRecord& record, const DecodeResult& decoded)
{
    static const uint8_t white[4] = {255, 255, 255, 255};
    const uint8_t* pixels = white;
    int w = 1, h = 1;
    GLenum format = GL_RGBA;
    if (decoded.problem.empty()) {
        pixels = decoded.image.pixels.data();
        w = decoded.image.width;
        h = decoded.image.height;
        format = decoded.image.channels == 4 ? GL_RGBA : GL_RGB;
    } else {
        noteResourceProblem("dmsGetTexture: " + decoded.problem + "; using a 1x1 placeholder");
    }
    record.texture.width = static_cast<unsigned int>(w);
    record.texture.height = static_cast<unsigned int>(h);
    // The caller may be mid-frame with a texture bound: leave the binding as it was.
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Linear by default: GL's own default minification wants mip-maps the texture may not have.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, record.mipmaps ? GL_TRUE : GL_FALSE);
    // Rows go up in file order, top row first: with the show's texture coordinates pictures
    // then stand upright.
    glTexImage2D(GL_TEXTURE_2D, 0, format == GL_RGBA ? GL_RGBA8 : GL_RGB8, w, h, 0, format, GL_UNSIGNED_BYTE, pixels);
    applyParameters(record);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    record.texture.id = id;
    record.uploaded = true;
}

void uploadNow(const std::string& name, TextureRecord& record)
{
    if (record.uploaded || !window().context)
        return;
    DecodeResult decoded;
    if (record.inArchive)
        decoded = readAndDecode(name, textureLimits());
    else
        decoded.problem = archiveReadProblem(name.c_str(), ArchiveRead::Missing, "");
    upload(record, decoded);
}

// The archive may say how some of its images are sampled, in "texture_settings.txt": one line
// per image, its name and then its settings ("mipmaps": built with mip-maps and minified
// trilinearly); '#' starts a comment. Sprites drawn far smaller than their pictures need this,
// and it belongs to the pictures, so it travels with them. The program's own calls come later
// and win.
void readTextureSettings()
{
    std::vector<uint8_t> bytes;
    std::string why;
    const ArchiveRead read = readArchiveEntry("texture_settings.txt", bytes, why);
    if (read == ArchiveRead::Missing)
        return;
    if (read != ArchiveRead::Ok) {
        dmsMsg("%s\n", archiveReadProblem("texture_settings.txt", read, why).c_str());
        return;
    }
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string name, setting;
        if (!(words >> name))
            continue;
        TextureRecord& record = recordFor(name);
        while (words >> setting) {
            if (setting == "mipmaps") {
                record.mipmaps = true;
                record.parameters.emplace_back(GL_TEXTURE_MIN_FILTER, static_cast<float>(GL_LINEAR_MIPMAP_LINEAR));
            } else {
                dmsMsg("texture_settings.txt: unknown setting \"%s\" for \"%s\"\n", setting.c_str(), name.c_str());
            }
        }
    }
}

} // namespace

void listArchiveImages()
{
    readTextureSettings();
    for (const std::string& name : listArchive())
        if (isImageName(name))
            recordFor(name).inArchive = true;
}

void uploadPendingTextures()
{
    if (!window().context)
        return;
    std::vector<std::pair<std::string, TextureRecord*>> pending;
    for (auto& [name, record] : records())
        if (record->inArchive && !record->uploaded)
            pending.emplace_back(name, record.get());
    std::sort(pending.begin(), pending.end());
    if (pending.empty())
        return;

    // Workers decode ahead of the upload by at most one image each, so decoded pictures never
    // pile up: the card's copy is the only one that lasts.
    const ImageLimits limits = textureLimits();
    if (!decodeOnThreads) {
        // One image at a time, decoded and uploaded in turn.
        for (auto& [name, record] : pending)
            upload(*record, readAndDecode(name, limits));
        return;
    }
    const size_t threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
    std::vector<std::unique_ptr<DecodeResult>> results(pending.size());
    std::mutex lock;
    std::condition_variable changed;
    size_t nextDecode = 0, nextUpload = 0;
    std::vector<std::thread> workers;
    for (size_t t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            std::unique_lock<std::mutex> guard(lock);
            for (;;) {
                changed.wait(guard, [&] { return nextDecode >= pending.size() || nextDecode < nextUpload + threads; });
                if (nextDecode >= pending.size())
                    return;
                const size_t index = nextDecode++;
                guard.unlock();
                auto result = std::make_unique<DecodeResult>(readAndDecode(pending[index].first, limits));
                guard.lock();
                results[index] = std::move(result);
                changed.notify_all();
            }
        });
    for (; nextUpload < pending.size();) {
        std::unique_ptr<DecodeResult> result;
        {
            std::unique_lock<std::mutex> guard(lock);
            changed.wait(guard, [&] { return results[nextUpload] != nullptr; });
            result = std::move(results[nextUpload]);
        }
        upload(*pending[nextUpload].second, *result);
        result.reset();
        std::lock_guard<std::mutex> guard(lock);
        ++nextUpload;
        changed.notify_all();
    }
    for (auto& worker : workers)
        worker.join();
}

void releaseTextures()
{
    for (auto& [name, record] : records())
        if (record->uploaded && window().context) {
            GLuint id = record->texture.id;
            glDeleteTextures(1, &id);
        }
    records().clear();
}

} // namespace VELMORA_PELAGOR::detail

namespace VELMORA_PELAGOR {

using namespace detail;

Texture* dmsGetTexture(const char* name)
{
    const std::string key = name ? name : "";
    TextureRecord& record = recordFor(key);
    uploadNow(key, record);
    return &record.texture;
}

void dmsSetMipMaps(const char* name, int enabled)
{
    TextureRecord& record = recordFor(name ? name : "");
    record.mipmaps = enabled != 0;
    if (record.uploaded && record.mipmaps) {
        // Already on the card: have GL rebuild the levels from the base image.
        glBindTexture(GL_TEXTURE_2D, record.texture.id);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        auto generate = reinterpret_cast<void (*)(GLenum)>(glProcAddress("glGenerateMipmap"));
        if (generate)
            generate(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void dmsSetTextureParameter(const char* name, unsigned int parameter, float value)
{
    TextureRecord& record = recordFor(name ? name : "");
    record.parameters.emplace_back(parameter, value);
    if (record.uploaded) {
        glBindTexture(GL_TEXTURE_2D, record.texture.id);
        glTexParameterf(GL_TEXTURE_2D, parameter, value);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

} // namespace VELMORA_PELAGOR
