// The sidecar beside a video: its name, what it holds, and the archive's SHA-256 (checked
// against the standard's own examples).
#include "tools/capture/sha256.h"
#include "tools/capture/sidecar.h"

#include "runtime/version.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string digestOf(const std::string& text, size_t chunk)
{
    Sha256 digest;
    for (size_t i = 0; i < text.size(); i += chunk)
        digest.add(text.data() + i, std::min(chunk, text.size() - i));
    return digest.hex();
}

TEST(Sha256, TheStandardsExamplesInAnyChunking)
{
    EXPECT_EQ(digestOf("", 1), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(digestOf("abc", 1), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    for (size_t chunk : {1u, 7u, 64u, 100u})
        EXPECT_EQ(digestOf(twoBlocks, chunk), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(digestOf(std::string(1000000, 'a'), 4093),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");

    const std::filesystem::path file = std::filesystem::temp_directory_path() / "orvalune-sha256-test";
    std::ofstream(file, std::ios::binary) << "abc";
    std::string hex;
    ASSERT_TRUE(sha256OfFile(file.string(), hex));
    EXPECT_EQ(hex, digestOf("abc", 3));
    std::filesystem::remove(file);
    EXPECT_FALSE(sha256OfFile(file.string(), hex));
}

TEST(Sidecar, BesideTheVideoWithEverythingToMakeItAgain)
{
    EXPECT_EQ(sidecarPath("/m/show.mkv"), "/m/show.json");
    EXPECT_EQ(sidecarPath("show"), "show.json");

    CaptureOptions o;
    o.fromMs = 66500;
    o.toMs = 76500;
    o.width = 3840;
    o.height = 2160;
    o.supersample = 2;
    o.scaleTargets = true;
    o.motionBlur = 4;
    o.codec = VideoCodec::Ffv1;
    o.output = OutputKind::Mkv;
    o.archive = "odd \"name\"\n.pak";
    const std::string json = sidecarJson(o, 66500, 601, "ab12");
    for (const std::string& part :
         {std::string("\"release\": \"") + orvaluneVersion() + "\"", std::string("\"commit\": \"") + orvaluneCommit() + "\"",
          std::string("\"from_ms\": 66500"), std::string("\"size\": \"3840x2160\""), std::string("\"supersample\": 2"),
          std::string("\"scale_targets\": true"),
          std::string("\"motion_blur\": 4"), std::string("\"shutter\": 0.5"), std::string("\"average_in\": \"linear\""),
          std::string("\"codec\": \"ffv1\""), std::string("\"pix_fmt\": \"bgr0\""), std::string("\"crf\": null"),
          std::string("\"archive\": \"odd \\\"name\\\"\\u000a.pak\""), std::string("\"archive_sha256\": \"ab12\""),
          std::string("\"frames\": 601")})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    EXPECT_NE(sidecarJson(o, 0, 0, "").find("\"archive_sha256\": null"), std::string::npos);

    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "orvalune-sidecar-test";
    std::filesystem::create_directories(folder);
    std::string problem;
    ASSERT_TRUE(writeSidecar((folder / "a.json").string(), json, problem)) << problem;
    std::ifstream in(folder / "a.json");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), json);
    EXPECT_FALSE(std::filesystem::exists(folder / "a.json.part"));
    EXPECT_FALSE(writeSidecar((folder / "no" / "a.json").string(), json, problem));
    EXPECT_NE(problem.find("a.json"), std::string::npos);
    std::filesystem::remove_all(folder);
}

} // namespace
