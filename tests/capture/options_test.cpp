// The capture's command line: every form a user types, and the mistakes refused before anything
// is rendered.
#include "tools/capture/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

struct Parsed {
    bool ok = false;
    CaptureOptions options;
    std::string problem;
};

Parsed parse(std::initializer_list<const char*> arguments)
{
    std::vector<char*> argv = {const_cast<char*>("orvalune-capture")};
    for (const char* argument : arguments)
        argv.push_back(const_cast<char*>(argument));
    Parsed parsed;
    parsed.ok = parseCaptureOptions(static_cast<int>(argv.size()), argv.data(), parsed.options, parsed.problem);
    return parsed;
}

TEST(CaptureOptions, TheUsualFormsMeanWhatTheySay)
{
    const Parsed single = parse({"--at", "50000", "--out", "frames"});
    ASSERT_TRUE(single.ok) << single.problem;
    EXPECT_EQ(single.options.atMs, 50000);
    EXPECT_EQ(single.options.runupMs, -1);
    EXPECT_FALSE(single.options.seek);
    EXPECT_EQ(single.options.output, OutputKind::Frames);
    EXPECT_EQ(single.options.width, 1280);

    const Parsed video = parse({"--from", "0", "--to", "2000", "--fps", "30", "--size", "640x360", "--crf", "23",
                                "--out", "Show.MP4"});
    ASSERT_TRUE(video.ok) << video.problem;
    EXPECT_EQ(video.options.output, OutputKind::Mp4);
    EXPECT_EQ(effectiveCrf(video.options), 23);
    EXPECT_EQ(video.options.width, 640);
    EXPECT_EQ(video.options.height, 360);

    const Parsed webm = parse({"--from", "0", "--to", "2000", "--out", "a.webm"});
    ASSERT_TRUE(webm.ok) << webm.problem;
    EXPECT_EQ(effectiveCrf(webm.options), defaultCrfVp9);
    EXPECT_EQ(parse({"--from", "0", "--to", "10", "--out", "a.mkv"}).options.output, OutputKind::Mkv);

    EXPECT_TRUE(parse({"--at", "5000", "--runup", "1000", "--out", "d"}).ok);
    EXPECT_TRUE(parse({"--at", "5000", "--seek", "--force", "--out", "d"}).ok);
    EXPECT_TRUE(parse({"--help"}).options.help);
    // The last frame of the show and a range running past the end, which stops by itself.
    EXPECT_TRUE(parse({"--at", "363000", "--out", "d"}).ok);
    EXPECT_TRUE(parse({"--from", "360000", "--to", "370000", "--out", "d"}).ok);
}

TEST(CaptureOptions, MistakesAreRefusedWithAMessageNamingThem)
{
    const std::vector<std::pair<Parsed, std::string>> cases = {
        {parse({"--at", "400000", "--out", "d"}), "past the end"},
        {parse({"--from", "364000", "--to", "365000", "--out", "d"}), "past the end"},
        {parse({"--at", "0", "--size", "320x180junk", "--out", "d"}), "320x180junk"},
        {parse({"--at", "0", "--size", "x180", "--out", "d"}), "--size"},
        {parse({"--at", "0", "--size", "8x8", "--out", "d"}), "--size"},
        {parse({"--at", "-5", "--out", "d"}), "--at"},
        {parse({"--at", "5e3", "--out", "d"}), "--at"},
        {parse({"--at", "0", "--archive", "", "--out", "d"}), "--archive"},
        {parse({"--at", "0", "--out", ""}), "--out"},
        {parse({"--at", "0"}), "--out"},
        {parse({"--at", "0", "--from", "0", "--to", "5", "--out", "d"}), "either"},
        {parse({"--from", "0", "--out", "d"}), "--to"},
        {parse({"--from", "2000", "--to", "1000", "--out", "d"}), "comes before"},
        {parse({"--from", "0", "--to", "1000", "--runup", "5", "--out", "d"}), "single frame"},
        {parse({"--at", "10", "--runup", "5", "--seek", "--out", "d"}), "not both"},
        {parse({"--at", "10", "--out", "a.mp4"}), "range"},
        {parse({"--from", "0", "--to", "1000", "--out", "a.mov"}), ".mp4"},
        {parse({"--from", "0", "--to", "1000", "--size", "321x180", "--out", "a.mp4"}), "even"},
        {parse({"--from", "0", "--to", "1000", "--crf", "52", "--out", "a.mp4"}), "--crf"},
        {parse({"--from", "0", "--to", "1000", "--crf", "60", "--out", "a.mkv"}), "--crf"},
        {parse({"--from", "0", "--to", "1000", "--crf", "20", "--out", "frames"}), "video"},
        {parse({"--from", "0", "--to", "1000", "--preset", "veryfast", "--out", "a.webm"}), "--preset"},
        {parse({"--from", "0", "--to", "1000", "--preset", "quick", "--out", "a.mp4"}), "quick"},
        {parse({"--from", "0", "--to", "1000", "--fps", "0", "--out", "d"}), "--fps"},
        // A value out of range says which values the flag takes.
        {parse({"--from", "0", "--to", "999999999", "--out", "d"}), "--to: a whole number of milliseconds from 0 to 100000000"},
        {parse({"--from", "0", "--to", "1000", "--fps", "241", "--out", "d"}), "from 1 to 240"},
        {parse({"--at", "0", "--size", "8192x8193", "--out", "d"}), "from 16 to 8192"},
        {parse({"--from", "0", "--to", "1000", "--preset", "quick", "--out", "a.mp4"}), "ultrafast superfast"},
        {parse({"--at", "0", "--out"}), "needs a value"},
        {parse({"--bogus", "--at", "0"}), "--bogus"},
    };
    for (const auto& [parsed, word] : cases) {
        EXPECT_FALSE(parsed.ok) << word;
        EXPECT_NE(parsed.problem.find(word), std::string::npos) << parsed.problem;
        EXPECT_EQ(parsed.problem.find('\n'), std::string::npos) << "one line: " << parsed.problem;
    }
    // VP9 goes further than H.264.
    EXPECT_TRUE(parse({"--from", "0", "--to", "1000", "--crf", "60", "--out", "a.webm"}).ok);
}

} // namespace
