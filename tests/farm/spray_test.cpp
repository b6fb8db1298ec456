// The spray keeps a picture from frame to frame: a chunk inside it draws its run-up in full, one
// after it skips those pixels. Both give the frames of one capture of the range, byte for byte.
#include "tests/farm/decoded.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

TEST(FarmChunks, InsideAndAfterTheSprayTheyAreOneCapturesFrames)
{
    const std::string work = freshFolder("farm-spray");
    const std::vector<std::string> range = {builtProgram("orvalune-capture"), "--from", "212000", "--to", "223000",
                                            "--fps", "10", "--size", "160x90", "--codec", "ffv1"};
    auto capture = [&](const std::vector<std::string>& more) {
        std::vector<std::string> argv = range;
        argv.insert(argv.end(), more.begin(), more.end());
        return runProgram(argv, work, 300).exitCode;
    };
    ASSERT_EQ(capture({"--out", work + "/whole.mkv"}), 0);
    ASSERT_EQ(capture({"--chunk", "60-63", "--out", work + "/inside.mkv"}), 0);  // 218000 ms
    ASSERT_EQ(capture({"--chunk", "105-110", "--out", work + "/after.mkv"}), 0); // 222500 ms, the spray ended at 221500
    const std::vector<std::string> whole = lines(decodedChecksums(work + "/whole.mkv"));
    ASSERT_EQ(whole.size(), 111u);
    EXPECT_EQ(lines(decodedChecksums(work + "/inside.mkv")), std::vector<std::string>(whole.begin() + 60, whole.begin() + 64));
    EXPECT_EQ(lines(decodedChecksums(work + "/after.mkv")), std::vector<std::string>(whole.begin() + 105, whole.end()));
    std::filesystem::remove_all(work);
}

} // namespace
