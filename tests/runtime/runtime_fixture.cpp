#include "tests/runtime/runtime_fixture.h"

#include "runtime/dms.h"
#include "runtime/mesh.h"
#include "tests/support/gl_context.h"
#include "tools/datagen/pak.h"

#include <stb/stb_image_write.h>

#include <filesystem>
#include <unistd.h>

namespace {

void appendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

std::vector<uint8_t> rowStripedPng()
{
    // 4x2: the top row red, the bottom row blue, alpha 255 and 128.
    uint8_t pixels[4 * 2 * 4];
    for (int x = 0; x < 4; ++x) {
        uint8_t* top = pixels + x * 4;
        uint8_t* bottom = pixels + (4 + x) * 4;
        top[0] = 255, top[1] = 0, top[2] = 0, top[3] = 255;
        bottom[0] = 0, bottom[1] = 0, bottom[2] = 255, bottom[3] = 128;
    }
    std::vector<uint8_t> png;
    stbi_write_png_to_func(appendBytes, &png, 4, 2, 4, pixels, 16);
    return png;
}

std::vector<uint8_t> greyJpeg()
{
    uint8_t pixels[8 * 8 * 3];
    for (auto& p : pixels)
        p = 128;
    std::vector<uint8_t> jpg;
    stbi_write_jpg_to_func(appendBytes, &jpg, 8, 8, 3, pixels, 90);
    return jpg;
}

} // namespace

std::string testArchivePath()
{
    return (std::filesystem::temp_directory_path() / ("orvalune-runtime-test-" + std::to_string(getpid()) + ".pak"))
        .string();
}

bool openRuntimeOnTestArchive(bool offline)
{
    static const bool written = [] {
        T3D mesh;
        mesh.vertices.resize(3);
        mesh.vertices[1].position = Vector3(1, 0, 0);
        mesh.vertices[2].position = Vector3(0, 1, 0);
        mesh.faces.push_back({Vector3(0, 0, 1), 0, 1, 2});
        std::vector<uint8_t> broken = encodeT3D(mesh);
        broken.pop_back();
        const std::string shader = "void main() { gl_FragColor = vec4(1.0); }\n";
        const std::vector<PakFile> files = {
            {"striped.png", rowStripedPng()},
            {"grey.jpg", greyJpeg()},
            {"corrupt.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
            {"tri.t3d", encodeT3D(mesh)},
            {"broken.t3d", broken},
            {"plain.glsl", std::vector<uint8_t>(shader.begin(), shader.end())},
            {"music.ogg", testSongBytes()},
        };
        std::string error;
        const std::string path = testArchivePath();
        if (!writeFileAtomically(path, buildZip(files), error))
            return false;
        // PhysicsFS reopens the archive for every read: it stays until the tests end.
        std::atexit([] { std::filesystem::remove(testArchivePath()); });
        return true;
    }();
    return written && openTestWindow(64, 48, testArchivePath().c_str(), offline);
}
