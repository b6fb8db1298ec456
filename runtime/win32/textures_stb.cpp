// Textures on Windows, decoded by stb_image (libjpeg-turbo and libpng have no MinGW build in
// Debian): every image of the archive is decoded while the runtime starts, uploaded on first
// use (or when the timer starts, whichever is first) so no frame stalls on a decode.
#include "runtime/state.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <thread>
#include <unordered_map>

namespace VELMORA_PELAGOR::detail {

namespace {

struct TextureRecord {
    Texture texture;
    std::vector<uint8_t> pixels; // decoded, top row first; emptied after upload
    int channels = 4;
    bool decoded = false;
    bool uploaded = false;
    bool mipmaps = false;
    std::vector<std::pair<unsigned int, float>> parameters;
};

std::unordered_map<std::string, std::unique_ptr<TextureRecord>>& records()
{
    static std::unordered_map<std::string, std::unique_ptr<TextureRecord>> map;
    return map;
}

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

bool decode(const std::vector<uint8_t>& bytes, TextureRecord& record)
{
    int w = 0, h = 0, channels = 0;
    if (bytes.empty() ||
        !stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels))
        return false;
    const int wanted = channels == 4 || channels == 2 ? 4 : 3;
    unsigned char* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, wanted);
    if (!pixels)
        return false;
    record.pixels.assign(pixels, pixels + static_cast<size_t>(w) * h * wanted);
    stbi_image_free(pixels);
    record.texture.width = static_cast<unsigned int>(w);
    record.texture.height = static_cast<unsigned int>(h);
    record.channels = wanted;
    record.decoded = true;
    return true;
}

void applyParameters(const TextureRecord& record)
{
    for (const auto& [parameter, value] : record.parameters)
        glTexParameterf(GL_TEXTURE_2D, parameter, value);
}

void upload(const std::string& name, TextureRecord& record)
{
    if (record.uploaded || !window().context)
        return;
    static const uint8_t white[4] = {255, 255, 255, 255};
    const uint8_t* pixels = white;
    int w = 1, h = 1;
    GLenum format = GL_RGBA;
    if (record.decoded) {
        pixels = record.pixels.data();
        w = static_cast<int>(record.texture.width);
        h = static_cast<int>(record.texture.height);
        format = record.channels == 4 ? GL_RGBA : GL_RGB;
    } else {
        record.texture.width = record.texture.height = 1;
        dmsMsg("dmsGetTexture: \"%s\" is missing from the data archive or not a readable image; using a 1x1 "
               "placeholder\n", name.c_str());
    }
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
    record.pixels.clear();
    record.pixels.shrink_to_fit();
}

// The archive may say how some of its images are sampled, in "texture_settings.txt": one line
// per image, its name and then its settings ("mipmaps": built with mip-maps and minified
// trilinearly); '#' starts a comment. Sprites drawn far smaller than their pictures need this,
// and it belongs to the pictures, so it travels with them. The program's own calls come later
// and win.
void readTextureSettings()
{
    std::vector<uint8_t> bytes;
    if (!readArchiveFile("texture_settings.txt", bytes))
        return;
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

void decodeAllImages()
{
    readTextureSettings();
    std::vector<std::string> names;
    for (const std::string& name : listArchive())
        if (isImageName(name))
            names.push_back(name);
    std::sort(names.begin(), names.end());

    struct Job {
        std::string name;
        std::vector<uint8_t> bytes;
        TextureRecord* record;
        bool ok = false;
    };
    std::vector<Job> jobs;
    for (const std::string& name : names) {
        Job job{name, {}, &recordFor(name)};
        readArchiveFile(name.c_str(), job.bytes);
        jobs.push_back(std::move(job));
    }
    // Two decoders: start-up time is mostly JPEG decoding.
    const size_t threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
    std::vector<std::thread> workers;
    for (size_t t = 0; t < threads; ++t)
        workers.emplace_back([&jobs, t, threads] {
            for (size_t i = t; i < jobs.size(); i += threads)
                jobs[i].ok = decode(jobs[i].bytes, *jobs[i].record);
        });
    for (auto& worker : workers)
        worker.join();
    for (const Job& job : jobs)
        if (!job.ok)
            dmsMsg("dmsGetTexture: \"%s\" is not a readable image\n", job.name.c_str());
}

void uploadPendingTextures()
{
    for (auto& [name, record] : records())
        if (record->decoded)
            upload(name, *record);
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
    upload(key, record);
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
