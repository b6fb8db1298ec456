// ffmpeg's argument vector for each container: codecs the container holds, browser-ready
// H.264, the music cut to the frames, the path passed as one argument.
#include "tools/capture/progress.h"
#include "tools/capture/video_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

CaptureOptions videoTo(const std::string& out)
{
    CaptureOptions o;
    o.fromMs = 95000;
    o.toMs = 97000;
    o.fps = 30;
    o.out = out;
    std::string problem;
    EXPECT_TRUE(outputKindFor(out, o.output, problem)) << problem;
    o.codec = o.output == OutputKind::Webm ? VideoCodec::Vp9 : VideoCodec::H264; // each container's default
    return o;
}

// The value after `flag`, or "" when the flag is absent.
std::string after(const std::vector<std::string>& a, const std::string& flag)
{
    const auto it = std::find(a.begin(), a.end(), flag);
    return it == a.end() || it + 1 == a.end() ? "" : *(it + 1);
}

bool has(const std::vector<std::string>& a, const std::string& value) { return std::find(a.begin(), a.end(), value) != a.end(); }

TEST(VideoEncoder, EachContainerGetsCodecsItCanHold)
{
    const std::vector<std::string> mp4 = ffmpegArguments(videoTo("show.mp4"), 95000, 60, true);
    EXPECT_EQ(after(mp4, "-c:v"), "libx264");
    EXPECT_EQ(after(mp4, "-pix_fmt"), "rgba"); // the input's
    EXPECT_TRUE(has(mp4, "yuv420p"));
    EXPECT_EQ(after(mp4, "-movflags"), "+faststart");
    EXPECT_EQ(after(mp4, "-preset"), "veryfast");
    EXPECT_EQ(after(mp4, "-crf"), std::to_string(defaultCrfH264));
    EXPECT_EQ(after(mp4, "-c:a"), "aac");

    const std::vector<std::string> mkv = ffmpegArguments(videoTo("show.mkv"), 95000, 60, true);
    EXPECT_EQ(after(mkv, "-c:v"), "libx264");
    EXPECT_FALSE(has(mkv, "-movflags"));

    const std::vector<std::string> webm = ffmpegArguments(videoTo("show.webm"), 95000, 60, true);
    EXPECT_EQ(after(webm, "-c:v"), "libvpx-vp9");
    EXPECT_EQ(after(webm, "-c:a"), "libopus");
    EXPECT_EQ(after(webm, "-crf"), std::to_string(defaultCrfVp9));
    EXPECT_FALSE(has(webm, "-movflags"));
    EXPECT_FALSE(has(webm, "-preset"));
    EXPECT_EQ(encodersFor(VideoCodec::Vp9), (std::vector<std::string>{"libvpx-vp9", "libopus"}));
}

TEST(VideoEncoder, ArchiveCopiesAreLosslessAndH264TakesTheChosenPixelFormat)
{
    CaptureOptions ffv1 = videoTo("master.mkv");
    ffv1.codec = VideoCodec::Ffv1;
    const std::vector<std::string> a = ffmpegArguments(ffv1, 95000, 60, true);
    EXPECT_EQ(after(a, "-c:v"), "ffv1");
    EXPECT_EQ(after(a, "-level"), "3");
    EXPECT_TRUE(has(a, "bgr0")) << "the RGB as drawn";
    EXPECT_EQ(after(a, "-c:a"), "flac");
    EXPECT_FALSE(has(a, "-crf"));
    EXPECT_FALSE(has(a, "-preset"));
    EXPECT_EQ(encodersFor(VideoCodec::Ffv1), (std::vector<std::string>{"ffv1", "flac"}));

    CaptureOptions h264 = videoTo("master.mp4");
    h264.pixFmt = "yuv444p10le";
    const std::vector<std::string> b = ffmpegArguments(h264, 95000, 60, true);
    EXPECT_EQ(after(b, "-c:v"), "libx264");
    EXPECT_TRUE(has(b, "yuv444p10le"));
    EXPECT_FALSE(has(b, "yuv420p"));
}

TEST(VideoEncoder, TheMusicStartsAtTheFirstFrameAndLastsAsLongAsTheFrames)
{
    const std::vector<std::string> a = ffmpegArguments(videoTo("show.mp4"), 95123, 61, true);
    EXPECT_EQ(after(a, "-ss"), "95.123000");
    EXPECT_EQ(after(a, "-t"), secondsText(61 * 1000.0 / 30));
    EXPECT_EQ(after(a, "-t"), "2.033333");
    EXPECT_EQ(after(a, "-framerate"), "30");
    EXPECT_EQ(after(a, "-s"), "1280x720");

    const std::vector<std::string> silent = ffmpegArguments(videoTo("show.mp4"), 0, 10, false);
    EXPECT_FALSE(has(silent, "-ss"));
    EXPECT_FALSE(has(silent, "-c:a"));
    EXPECT_EQ(after(silent, "-map"), "");
}

TEST(VideoEncoder, ThePathIsOneArgumentThatCannotBeReadAsAnOption)
{
    const std::string hostile = "-it's $(touch pwned) a video.mp4";
    const std::vector<std::string> a = ffmpegArguments(videoTo(hostile), 0, 10, true);
    EXPECT_EQ(a.back(), "file:" + hostile);
    EXPECT_EQ(a.front(), "ffmpeg");
}

TEST(Progress, SaysFramesSpeedAndTimeLeft)
{
    const std::string bar = Progress::line("frames", 30, 120, 3.0, true);
    EXPECT_NE(bar.find("30/120 frames"), std::string::npos) << bar;
    EXPECT_NE(bar.find("10.0 fps"), std::string::npos) << bar;
    EXPECT_NE(bar.find("0:09 left"), std::string::npos) << bar;
    EXPECT_NE(bar.find("[#######"), std::string::npos) << bar;
    const std::string plain = Progress::line("frames", 120, 120, 61.0, false);
    EXPECT_EQ(plain.find('['), std::string::npos) << plain;
    EXPECT_NE(plain.find("1:01 in all"), std::string::npos) << plain;
    EXPECT_NE(Progress::line("frames", 0, 10, 0.0, false).find("unknown"), std::string::npos);
    // With motion blur each sub-frame costs what a frame did: they are what is counted.
    const std::string blurred = Progress::line("frames", 10, 40, 5.0, false, 4);
    EXPECT_NE(blurred.find("10/40 sub-frames (2/10 frames), 2.00 sub-frames/s"), std::string::npos) << blurred;
    EXPECT_NE(blurred.find("0:15 left"), std::string::npos) << blurred;
}

} // namespace
