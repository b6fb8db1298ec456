// The capture's command line: every form a user types, and the mistakes refused before anything
// is rendered.
#include "runtime/target_scale.h"
#include "tools/capture/memory.h"
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

TEST(CaptureOptions, MastersAndArchivesMeanWhatTheySay)
{
    const Parsed master = parse({"--from", "66500", "--to", "76500", "--size", "7680x4320", "--supersample", "4",
                                 "--motion-blur", "8", "--shutter", ".25", "--codec", "ffv1", "--out", "m.mkv"});
    ASSERT_TRUE(master.ok) << master.problem;
    EXPECT_EQ(master.options.supersample, 4);
    EXPECT_EQ(master.options.motionBlur, 8);
    EXPECT_DOUBLE_EQ(master.options.shutter, 0.25);
    EXPECT_EQ(master.options.averageIn, AverageIn::LinearLight);
    EXPECT_EQ(master.options.codec, VideoCodec::Ffv1);
    EXPECT_EQ(effectivePixFmt(master.options), "bgr0");
    EXPECT_TRUE(reduces(master.options));

    const Parsed plain = parse({"--from", "0", "--to", "10", "--supersample", "1", "--motion-blur", "1", "--out", "d"});
    ASSERT_TRUE(plain.ok) << plain.problem;
    EXPECT_FALSE(reduces(plain.options)) << "read straight from the frame buffer, as before";
    EXPECT_DOUBLE_EQ(plain.options.shutter, 0.5);

    const Parsed tenBits = parse({"--from", "0", "--to", "10", "--pix-fmt", "yuv444p10le", "--out", "a.mp4"});
    ASSERT_TRUE(tenBits.ok) << tenBits.problem;
    EXPECT_EQ(tenBits.options.codec, VideoCodec::H264);
    EXPECT_EQ(effectivePixFmt(tenBits.options), "yuv444p10le");
    EXPECT_EQ(parse({"--from", "0", "--to", "10", "--out", "a.webm"}).options.codec, VideoCodec::Vp9);
    EXPECT_EQ(parse({"--at", "0", "--average-in", "stored", "--out", "d"}).options.averageIn, AverageIn::StoredValues);
}

// A 4K picture supersampled four times each way needs a frame buffer of over a gigabyte: refused
// up front, naming both figures, when the memory is not there.
TEST(CaptureOptions, PicturesThatCannotBeHeldAreRefusedBeforeAnythingIsDrawn)
{
    CaptureOptions master = parse({"--from", "0", "--to", "10", "--size", "3840x2160", "--supersample", "4", "--out", "d"}).options;
    const long long needed = captureBytesNeeded(master);
    EXPECT_GT(needed, 3840LL * 2160 * 4 * 16 * 2) << "colour and depth at sixteen times the picture";
    std::string problem;
    EXPECT_FALSE(checkMemory(master, needed, 1000000000, problem));
    EXPECT_NE(problem.find("3840x2160 supersampled 4x needs about 1.3 GB"), std::string::npos) << problem;
    EXPECT_NE(problem.find("only 1.0 GB"), std::string::npos) << problem;
    EXPECT_TRUE(checkMemory(master, needed, -1, problem)) << "unknown: the driver has the last word";
    const CaptureOptions plain = parse({"--at", "0", "--out", "d"}).options;
    EXPECT_LT(captureBytesNeeded(plain), 25000000);
}

TEST(CaptureOptions, AChunkIsFramesOfItsRangeLosslesslyAndEndsWithIt)
{
    const Parsed chunk = parse({"--from", "0", "--to", "1000", "--fps", "10", "--chunk", "5-99", "--codec", "ffv1",
                                "--out", "c.mkv"});
    ASSERT_TRUE(chunk.ok) << chunk.problem;
    EXPECT_EQ(chunk.options.chunkFirst, 5);
    EXPECT_EQ(chunk.options.chunkLast, 10) << "the last of the range's 11 frames";
}

// Scaled targets grow with the drawn picture's height over 720 (a 4K master supersampled twice:
// six times, 6144 and 3072), never shrink below the show's, stop at the driver's limit, and are
// counted in the memory a capture needs.
TEST(CaptureOptions, ScaledTargetsFollowThePictureWithinTheLimitsAndAreCountedInMemory)
{
    using namespace VELMORA_PELAGOR;
    EXPECT_FLOAT_EQ(targetScaleFor(4320, 16384), 6.0f);
    EXPECT_EQ(scaledTargetSide(1024, targetScaleFor(4320, 16384)), 6144);
    EXPECT_EQ(scaledTargetSide(512, targetScaleFor(4320, 16384)), 3072);
    EXPECT_EQ(scaledTargetSide(1024, targetScaleFor(1080, 16384)), 1536);
    EXPECT_FLOAT_EQ(targetScaleFor(720, 16384), 1.0f);
    EXPECT_FLOAT_EQ(targetScaleFor(180, 16384), 1.0f) << "a small picture keeps the show's targets";
    EXPECT_EQ(scaledTargetSide(1024, targetScaleFor(4320, 4096)), 4096) << "the driver's limit";
    EXPECT_FLOAT_EQ(targetScaleFor(4320, 512), 1.0f) << "never below the show's own";

    const Parsed scaled = parse({"--at", "0", "--size", "3840x2160", "--supersample", "2", "--scale-targets", "--out", "d"});
    ASSERT_TRUE(scaled.ok) << scaled.problem;
    EXPECT_TRUE(scaled.options.scaleTargets);
    CaptureOptions unscaled = scaled.options;
    unscaled.scaleTargets = false;
    EXPECT_FALSE(parse({"--at", "0", "--out", "d"}).options.scaleTargets) << "off by default";
    EXPECT_GE(captureBytesNeeded(scaled.options) - captureBytesNeeded(unscaled), 6144LL * 6144 * 4 * 3)
        << "two textures and a depth buffer of 6144 squared";
}

TEST(CaptureOptions, MistakesAreRefusedWithAMessageNamingThem)
{
    const std::vector<std::pair<Parsed, std::string>> cases = {
        {parse({"--at", "0", "--chunk", "0-5", "--out", "frames"}), "--chunk cuts a range"},
        {parse({"--from", "0", "--to", "1000", "--chunk", "0-5", "--out", "c.mp4"}), "--codec ffv1"},
        {parse({"--from", "0", "--to", "1000", "--chunk", "0-5", "--out", "frames"}), "--codec ffv1"},
        {parse({"--from", "0", "--to", "1000", "--fps", "10", "--chunk", "11-12", "--codec", "ffv1", "--out", "c.mkv"}),
         "past the range's 11 frames"},
        {parse({"--from", "0", "--to", "1000", "--chunk", "5-2", "--codec", "ffv1", "--out", "c.mkv"}), "FIRST-LAST"},
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
        {parse({"--at", "0", "--supersample", "5", "--out", "d"}), "--supersample"},
        {parse({"--at", "0", "--supersample", "0", "--out", "d"}), "--supersample"},
        {parse({"--at", "0", "--motion-blur", "65", "--out", "d"}), "--motion-blur"},
        {parse({"--at", "0", "--motion-blur", "2", "--shutter", "0", "--out", "d"}), "--shutter"},
        {parse({"--at", "0", "--motion-blur", "2", "--shutter", "1.5", "--out", "d"}), "--shutter"},
        {parse({"--at", "0", "--motion-blur", "2", "--shutter", "-0.5", "--out", "d"}), "--shutter"},
        {parse({"--at", "0", "--motion-blur", "2", "--shutter", "1e-1", "--out", "d"}), "--shutter"},
        {parse({"--at", "0", "--shutter", "0.5", "--out", "d"}), "--motion-blur 2"},
        {parse({"--at", "0", "--average-in", "gamma", "--out", "d"}), "gamma"},
        {parse({"--at", "0", "--supersample", "2", "--record-draw-states", "s.txt", "--out", "d"}), "not with --supersample"},
        {parse({"--at", "0", "--scale-targets", "--record-draw-states", "s.txt", "--out", "d"}), "not with --scale-targets"},
        {parse({"--from", "0", "--to", "10", "--codec", "ffv1", "--out", "a.mp4"}), ".mkv"},
        {parse({"--from", "0", "--to", "10", "--codec", "h264", "--out", "a.webm"}), "VP9"},
        {parse({"--from", "0", "--to", "10", "--codec", "vp9", "--out", "a.mkv"}), ".webm"},
        {parse({"--from", "0", "--to", "10", "--codec", "prores", "--out", "a.mkv"}), "prores"},
        {parse({"--from", "0", "--to", "10", "--codec", "ffv1", "--out", "d"}), "video output only"},
        {parse({"--from", "0", "--to", "10", "--pix-fmt", "yuv444p", "--out", "d"}), "video output only"},
        {parse({"--from", "0", "--to", "10", "--pix-fmt", "bgr0", "--out", "a.mp4"}), "bgr0"},
        {parse({"--from", "0", "--to", "10", "--pix-fmt", "yuv444p", "--out", "a.webm"}), "yuv444p"},
        {parse({"--from", "0", "--to", "10", "--codec", "ffv1", "--crf", "10", "--out", "a.mkv"}), "lossless"},
        {parse({"--from", "0", "--to", "10", "--codec", "ffv1", "--preset", "slow", "--out", "a.mkv"}), "--preset"},
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
