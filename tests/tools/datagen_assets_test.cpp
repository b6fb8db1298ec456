// The generated archive files: every name the show asks for, in the format its scene expects,
// seamless where the texture repeats, and the same bytes on every run.
#include "tools/datagen/assets.h"
#include "tools/datagen/image.h"
#include "tools/datagen/pak.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

namespace {

const std::vector<PakFile>& assets()
{
    static const std::vector<PakFile> files = generateAssets();
    return files;
}

const PakFile* find(const std::string& name)
{
    for (const PakFile& f : assets())
        if (f.name == name)
            return &f;
    return nullptr;
}

struct Decoded {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    int at(int x, int y, int channel) const { return rgba[(size_t(y) * width + x) * 4 + channel]; }
};

Decoded decode(const std::string& name)
{
    Decoded d;
    const PakFile* f = find(name);
    EXPECT_NE(f, nullptr) << name;
    if (f) {
        EXPECT_TRUE(decodeImage(f->bytes, d.width, d.height, d.rgba)) << name;
    }
    return d;
}

std::vector<std::string> causticNames()
{
    std::vector<std::string> names;
    for (int i = 1; i <= 32; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "cau_0%02d.jpg", i);
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> imageNames()
{
    std::vector<std::string> names = {
        "smoke1.jpg",      "smoke2.jpg",         "smoke3.jpg",          "smoke4.jpg",          "water_normalmap.jpg",
        "water_distort.jpg", "envmap.jpg",       "circle.jpg",          "protozoa1.png",       "protozoa2.png",
        "plankton1.png",   "plankton2.png",      "jellyfish1.png",      "seahorse1.png",       "flare_white.jpg",
        "flare_red.jpg",   "flare_blue.jpg",     "flare_pink.jpg",      "flare_turq.jpg",      "deeptxt2.jpg",
        "deeptxt3.jpg",    "normal_map_deep2.jpg", "normal_map_deep3.jpg", "bubble1.png",       "bubble2.png",
        "plank_shell.jpg", "plank_shell2.jpg",   "credits.png",         "greet1.png",          "greet2.png",
        "greet3.png"};
    for (const std::string& n : causticNames())
        names.push_back(n);
    return names;
}

bool endsWith(const std::string& s, const char* suffix)
{
    const std::string t = suffix;
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

// Mean absolute difference between two columns (or rows) of a picture, over its colour channels.
double lineDifference(const Decoded& d, bool columns, int a, int b)
{
    double sum = 0.0;
    const int count = columns ? d.height : d.width;
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c)
            sum += std::abs(columns ? d.at(a, i, c) - d.at(b, i, c) : d.at(i, a, c) - d.at(i, b, c));
    return sum / (count * 3.0);
}

// A repeating texture: crossing the seam changes the picture no more than the largest step
// inside it, while columns (rows) far apart differ by more, so the check has teeth.
void expectTileable(const std::string& name)
{
    const Decoded d = decode(name);
    for (bool columns : {true, false}) {
        const int n = columns ? d.width : d.height;
        double largest = 0.0;
        for (int i = 0; i + 1 < n; ++i)
            largest = std::max(largest, lineDifference(d, columns, i, i + 1));
        const double seam = lineDifference(d, columns, n - 1, 0);
        EXPECT_LE(seam, largest * 1.1 + 1.0) << name << (columns ? " left/right" : " top/bottom") << " seam";
        EXPECT_GT(lineDifference(d, columns, 0, n / 2), seam) << name;
    }
}

double frameDifference(const Decoded& a, const Decoded& b)
{
    double sum = 0.0;
    for (size_t i = 0; i < a.rgba.size(); ++i)
        sum += std::abs(int(a.rgba[i]) - int(b.rgba[i]));
    return sum / double(a.rgba.size());
}

// The brightest value of the outer `band` fraction of the picture.
int borderPeak(const Decoded& d, float band)
{
    int peak = 0;
    const int bx = int(d.width * band), by = int(d.height * band);
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            if (x < bx || y < by || x >= d.width - bx || y >= d.height - by)
                for (int c = 0; c < 3; ++c)
                    peak = std::max(peak, d.at(x, y, c));
    return peak;
}

} // namespace

TEST(DatagenAssets, HoldsEveryNameTheShowAsksForOnce)
{
    std::map<std::string, int> seen;
    for (const PakFile& f : assets())
        ++seen[f.name];
    std::vector<std::string> wanted = imageNames();
    wanted.insert(wanted.end(), {"fisu.t3d", "sp.t3d", "3djytky.t3d"});
    EXPECT_EQ(imageNames().size(), 63u);
    for (const std::string& name : wanted)
        EXPECT_EQ(seen[name], 1) << name;
    for (const auto& [name, count] : seen)
        EXPECT_EQ(count, 1) << name << " appears more than once";
}

TEST(DatagenAssets, ArchiveListsEveryFileByName)
{
    // Walk the zip's central directory the way an archive reader does.
    const std::vector<uint8_t> zip = buildZip(assets());
    std::set<std::string> listed;
    for (size_t i = 0; i + 46 <= zip.size(); ++i) {
        if (zip[i] != 0x50 || zip[i + 1] != 0x4B || zip[i + 2] != 0x01 || zip[i + 3] != 0x02)
            continue;
        const size_t nameLength = zip[i + 28] | (zip[i + 29] << 8);
        listed.insert(std::string(zip.begin() + long(i) + 46, zip.begin() + long(i + 46 + nameLength)));
    }
    for (const PakFile& f : assets())
        EXPECT_TRUE(listed.count(f.name)) << f.name;
    EXPECT_EQ(listed.size(), assets().size());
}

TEST(DatagenAssets, ImagesDecodeInTheFormatTheirNameSays)
{
    for (const std::string& name : imageNames()) {
        const PakFile* f = find(name);
        ASSERT_NE(f, nullptr) << name;
        ASSERT_GT(f->bytes.size(), 24u) << name;
        if (endsWith(name, ".jpg")) {
            EXPECT_EQ(f->bytes[0], 0xFF) << name;
            EXPECT_EQ(f->bytes[1], 0xD8) << name;
        } else {
            EXPECT_EQ(f->bytes[1], 'P') << name;
            EXPECT_EQ(f->bytes[25], 6) << name << " is not RGBA"; // PNG colour type 6 carries alpha
        }
        const Decoded d = decode(name);
        EXPECT_TRUE(powerOfTwo(d.width) && powerOfTwo(d.height)) << name << " " << d.width << "x" << d.height;
        EXPECT_GE(std::min(d.width, d.height), 64) << name;
        const bool ownAspect = name.find("protozoa") == 0 || name.find("plankton") == 0 || name == "jellyfish1.png" ||
                               name == "seahorse1.png";
        if (!ownAspect) {
            EXPECT_EQ(d.width, d.height) << name;
        }
    }
}

TEST(DatagenAssets, SpritesAreShapesOnTransparency)
{
    for (const char* name : {"protozoa1.png", "protozoa2.png", "plankton1.png", "plankton2.png", "jellyfish1.png",
                             "seahorse1.png", "bubble1.png", "bubble2.png", "credits.png", "greet1.png", "greet2.png",
                             "greet3.png"}) {
        const Decoded d = decode(name);
        int clear = 0, solid = 0;
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x) {
                const int a = d.at(x, y, 3);
                clear += a < 8;
                solid += a > 128;
            }
        const int total = d.width * d.height;
        EXPECT_GT(clear, total / 5) << name;
        EXPECT_GT(solid, total / 400) << name;
        for (int cx : {0, d.width - 1})
            for (int cy : {0, d.height - 1})
                EXPECT_LT(d.at(cx, cy, 3), 8) << name << " corner";
    }
    // The organisms are light grey: no dark fringe where they are seen through.
    for (const char* name : {"protozoa1.png", "plankton2.png", "seahorse1.png"}) {
        const Decoded d = decode(name);
        for (int y = 0; y < d.height; y += 7)
            for (int x = 0; x < d.width; x += 7)
                EXPECT_GT(d.at(x, y, 1), 150) << name;
    }
}

// The descent draws these pictures about 16 pixels across, averaged down by their mip-maps: each
// organism must still be one solid shape there, not a few broken lines or a faint smudge.
TEST(DatagenAssets, SpritesStaySolidShapesAtTheSizeTheDescentShowsThem)
{
    for (const char* name : {"protozoa1.png", "protozoa2.png", "plankton1.png", "plankton2.png", "jellyfish1.png",
                             "seahorse1.png"}) {
        const Decoded d = decode(name);
        ASSERT_GE(std::min(d.width, d.height), 16) << name;
        // Box-average the alpha to 16 pixels along the longer side, keeping the aspect.
        const int step = std::max(d.width, d.height) / 16;
        const int w = d.width / step, h = d.height / step;
        std::vector<int> solid(size_t(w) * h);
        int solidCount = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int sum = 0;
                for (int j = 0; j < step; ++j)
                    for (int i = 0; i < step; ++i)
                        sum += d.at(x * step + i, y * step + j, 3);
                const bool isSolid = sum >= step * step * 110; // at least about 0.43 opaque
                solid[size_t(y) * w + x] = isSolid;
                solidCount += isSolid;
            }
        EXPECT_GE(solidCount * 5, w * h) << name << ": " << solidCount << " of " << w * h
                                         << " pixels solid at 16 pixels";
        // The largest connected group of solid pixels holds most of them: one body.
        int largest = 0;
        std::vector<int> seen(solid.size());
        for (size_t start = 0; start < solid.size(); ++start) {
            if (!solid[start] || seen[start])
                continue;
            std::vector<size_t> stack = {start};
            seen[start] = 1;
            int size = 0;
            while (!stack.empty()) {
                const size_t i = stack.back();
                stack.pop_back();
                ++size;
                const int x = int(i % size_t(w)), y = int(i / size_t(w));
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        const size_t n = size_t(ny) * w + nx;
                        if (nx >= 0 && ny >= 0 && nx < w && ny < h && solid[n] && !seen[n]) {
                            seen[n] = 1;
                            stack.push_back(n);
                        }
                    }
            }
            largest = std::max(largest, size);
        }
        EXPECT_GE(largest * 4, solidCount * 3) << name << ": the solid pixels fall apart into pieces";
    }
}

TEST(DatagenAssets, AdditiveLightsFadeToBlackBeforeTheEdges)
{
    for (const char* name : {"smoke1.jpg", "smoke2.jpg", "smoke3.jpg", "smoke4.jpg"}) {
        const Decoded d = decode(name);
        EXPECT_LT(borderPeak(d, 0.1f), 12) << name;
        // A puff, not an empty square.
        EXPECT_GT(d.at(d.width / 2, d.height / 2, 0) + d.at(d.width / 2 + 9, d.height / 2 - 5, 0), 60) << name;
    }
    for (const char* name : {"circle.jpg", "flare_white.jpg", "flare_red.jpg", "flare_blue.jpg", "flare_pink.jpg",
                             "flare_turq.jpg", "plank_shell.jpg", "plank_shell2.jpg"}) {
        const Decoded d = decode(name);
        EXPECT_LT(borderPeak(d, 0.02f), 12) << name;
        int middle = 0;
        for (int y = d.height / 4; y < d.height * 3 / 4; ++y)
            for (int x = d.width / 4; x < d.width * 3 / 4; ++x)
                middle = std::max(middle, d.at(x, y, 1));
        EXPECT_GT(middle, 200) << name << " is dim";
    }
    // Each flare keeps its own colour in the halo.
    const Decoded red = decode("flare_red.jpg"), blue = decode("flare_blue.jpg");
    const int x = red.width / 2 + red.width / 10, y = red.height / 2 + red.height / 13;
    EXPECT_GT(red.at(x, y, 0), red.at(x, y, 2) + 20);
    EXPECT_GT(blue.at(x, y, 2), blue.at(x, y, 0) + 20);
}

TEST(DatagenAssets, SmokePuffsDifferFromEachOther)
{
    const Decoded a = decode("smoke1.jpg"), b = decode("smoke2.jpg"), c = decode("smoke3.jpg"), d = decode("smoke4.jpg");
    EXPECT_GT(frameDifference(a, b), 3.0);
    EXPECT_GT(frameDifference(b, c), 3.0);
    EXPECT_GT(frameDifference(c, d), 3.0);
}

TEST(DatagenAssets, RepeatingTexturesHaveNoSeams)
{
    for (const char* name : {"water_normalmap.jpg", "water_distort.jpg", "deeptxt2.jpg", "deeptxt3.jpg",
                             "normal_map_deep2.jpg", "normal_map_deep3.jpg"})
        expectTileable(name);
    for (const std::string& name : causticNames())
        expectTileable(name);
}

TEST(DatagenAssets, CausticFramesMoveAndLoop)
{
    std::vector<Decoded> frames;
    for (const std::string& name : causticNames())
        frames.push_back(decode(name));
    double steps = 0.0;
    for (size_t i = 0; i + 1 < frames.size(); ++i) {
        const double step = frameDifference(frames[i], frames[i + 1]);
        EXPECT_GT(step, 1.0) << "frames " << i + 1 << " and " << i + 2 << " are the same picture";
        steps += step;
    }
    steps /= double(frames.size() - 1);
    // Frame 32 flows into frame 1 like any other pair of neighbours.
    EXPECT_LE(frameDifference(frames.back(), frames.front()), steps * 1.4);
    // Half a loop apart the picture is really different.
    EXPECT_GT(frameDifference(frames[0], frames[16]), steps * 1.5);
    // Bright lines on dark.
    int dark = 0, bright = 0;
    for (int y = 0; y < frames[0].height; ++y)
        for (int x = 0; x < frames[0].width; ++x) {
            dark += frames[0].at(x, y, 1) < 40;
            bright += frames[0].at(x, y, 1) > 180;
        }
    EXPECT_GT(dark, frames[0].width * frames[0].height / 3);
    EXPECT_GT(bright, frames[0].width * frames[0].height / 50);
}

TEST(DatagenAssets, MapsAreCentredWhereTheShadersExpect)
{
    const auto mean = [](const Decoded& d, int channel) {
        double sum = 0.0;
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x)
                sum += d.at(x, y, channel);
        return sum / (d.width * d.height);
    };
    for (const char* name : {"water_normalmap.jpg", "normal_map_deep2.jpg", "normal_map_deep3.jpg"}) {
        const Decoded d = decode(name);
        EXPECT_NEAR(mean(d, 0), 128.0, 10.0) << name;
        EXPECT_NEAR(mean(d, 1), 128.0, 10.0) << name;
        EXPECT_GT(mean(d, 2), 215.0) << name;
    }
    const Decoded distort = decode("water_distort.jpg");
    EXPECT_NEAR(mean(distort, 0), 128.0, 14.0);
    EXPECT_NEAR(mean(distort, 1), 128.0, 14.0);
    const Decoded env = decode("envmap.jpg");
    EXPECT_GT(env.at(env.width / 2, env.height / 2, 0), 230);
    EXPECT_LT(env.at(2, 2, 0), 30);
}

TEST(DatagenAssets, SameSourceGivesSameBytes)
{
    const std::vector<PakFile> again = generateAssets();
    ASSERT_EQ(again.size(), assets().size());
    for (size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].name, assets()[i].name);
        EXPECT_TRUE(again[i].bytes == assets()[i].bytes) << again[i].name;
    }
    const std::vector<uint8_t> a = buildZip(again), b = buildZip(assets());
    EXPECT_EQ(crc32(a.data(), a.size()), crc32(b.data(), b.size()));
}

TEST(DatagenAssets, TwoRunsOfTheGeneratorWriteTheSameArchive)
{
    // Separate processes: nothing left over in memory can make the bytes agree by chance.
    namespace fs = std::filesystem;
    const fs::path program = fs::path(ORV_BINARY_DIR) / "tools" / "orvalune-datagen";
    if (!fs::exists(program))
        GTEST_SKIP() << "orvalune-datagen is not built";
    const fs::path dir = fs::temp_directory_path() / "orvalune-datagen-twice";
    fs::create_directories(dir / "shaders");
    std::string error;
    ASSERT_TRUE(writeFileAtomically((dir / "music.ogg").string(), {'O', 'g', 'g', 'S'}, error)) << error;
    std::vector<uint8_t> runs[2];
    for (int i = 0; i < 2; ++i) {
        const fs::path out = dir / ("run" + std::to_string(i) + ".pak");
        const std::string command = program.string() + " pak " + out.string() + " --shaders " + (dir / "shaders").string() +
                                    " --music " + (dir / "music.ogg").string() + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        ASSERT_TRUE(readWholeFile(out.string(), runs[i]));
    }
    EXPECT_GT(runs[0].size(), 1000000u);
    EXPECT_TRUE(runs[0] == runs[1]) << "the archive's bytes differ between two runs";
    fs::remove_all(dir);
}
