// Chunks of a master: how a range is cut, what each chunk's capture is told, how the join checks
// the sidecars and what ffmpeg is given to join them, and what the status command counts.
#include "tools/capture/sidecar.h"
#include "tools/farm/plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> masterOptions = {"--from", "64000", "--to", "68000", "--fps", "10", "--size", "320x180",
                                                "--motion-blur", "2", "--crf", "18", "--preset", "slow",
                                                "--out", "/m/master.mp4"};

FarmPlan planned(double chunkSeconds = 1.0)
{
    FarmPlan plan;
    std::string problem;
    EXPECT_TRUE(makeFarmPlan(masterOptions, {chunkSeconds}, plan, problem)) << problem;
    return plan;
}

// The record a chunk's capture writes, as the join reads it back.
ChunkRecord recordOf(const FarmPlan& plan, int index, int frames = -1, const std::string& sha = "ab12")
{
    const std::vector<std::string> arguments = chunkCaptureArguments(plan, "capture", "/d", index);
    std::vector<std::string> copy(arguments.begin() + 1, arguments.end());
    std::vector<char*> argv = {const_cast<char*>("capture")};
    for (std::string& a : copy)
        argv.push_back(a.data());
    CaptureOptions o;
    std::string problem;
    EXPECT_TRUE(parseCaptureOptions(static_cast<int>(argv.size()), argv.data(), o, problem)) << problem;
    const int count = frames >= 0 ? frames : o.chunkLast - o.chunkFirst + 1;
    ChunkRecord record;
    EXPECT_TRUE(parseChunkSidecar(sidecarJson(o, 0, count, sha), chunkVideo("/d", index), record, problem)) << problem;
    return record;
}

TEST(FarmPlan, ARangeIsCutIntoChunksEachCaptureToldItsOwnFramesLosslessly)
{
    const FarmPlan plan = planned();
    ASSERT_EQ(plan.chunks.size(), 5u); // 41 frames
    EXPECT_EQ(plan.chunks[4].first, 40);
    EXPECT_EQ(plan.chunks[4].last, 40);
    ChunkSpan span;
    for (const char* bad : {"5-3", "a-2", "-3", "3", "1-", "1-2-3"})
        EXPECT_FALSE(parseChunkSpan(bad, span)) << bad;

    const std::vector<std::string> a = chunkCaptureArguments(plan, "/b/orvalune-capture", "/d", 3);
    const std::string all = [&] {
        std::string text;
        for (const std::string& s : a)
            text += s + " ";
        return text;
    }();
    EXPECT_EQ(all, "/b/orvalune-capture --from 64000 --to 68000 --fps 10 --size 320x180 --motion-blur 2 "
                   "--chunk 30-39 --codec ffv1 --out /d/chunk-0003.mkv ");

    FarmPlan again;
    std::string problem;
    ASSERT_TRUE(readFarmPlan(farmPlanText(plan), again, problem)) << problem;
    EXPECT_EQ(again.captureArguments, plan.captureArguments);
    EXPECT_EQ(again.chunks.size(), plan.chunks.size());
    // A single frame or a folder of frames is not a master to join.
    EXPECT_FALSE(makeFarmPlan({"--at", "5000", "--out", "/m/x.mkv"}, {1}, again, problem));
    EXPECT_FALSE(makeFarmPlan({"--from", "0", "--to", "5000", "--out", "/m/frames"}, {1}, again, problem));
    EXPECT_FALSE(makeFarmPlan({"--from", "0", "--to", "5000", "--out", "/m/a\narg --x.mkv"}, {1}, again, problem));
}

TEST(FarmPlan, TheChunkLengthTradesRunUpsAgainstTheLastChunkOnTheMachinesGiven)
{
    const ChunkCost free = chunkCost(100, 10, 0.0, 4);
    EXPECT_DOUBLE_EQ(free.total, 100.0);
    EXPECT_DOUBLE_EQ(free.wall, 30.0) << "ten chunks of ten on four machines: three rounds";
    // Run-ups of 0, 10, ... 90 frames at a tenth: chunks cost 10 to 19. Dearest first, four
    // machines end at 19, 18, 17, 16, then 31 each, then 42 and 41.
    const ChunkCost paid = chunkCost(100, 10, 0.1, 4);
    EXPECT_DOUBLE_EQ(paid.runup, 45.0);
    EXPECT_DOUBLE_EQ(paid.wall, 42.0);
    EXPECT_EQ(chunkOfTask(10, 0), 9);
    EXPECT_EQ(chunkOfTask(10, 9), 0);

    const int show = 10890; // 363 s at 30 fps
    EXPECT_EQ(chooseChunkFrames(show, 30, 0.0, 64), 30) << "free run-ups: the shortest chunks balance best";
    EXPECT_EQ(chunkSpans(show, chooseChunkFrames(show, 30, 0.005, 1)).size(), 7u) << "one machine: the fewest chunks";
    const int many = chooseChunkFrames(show, 30, 0.005, 16);
    EXPECT_GT(many, 30 * 5);
    EXPECT_LT(many, 1800);
    EXPECT_LT(chunkCost(show, many, 0.005, 16).wall, chunkCost(show, 1800, 0.005, 16).wall);
}

TEST(FarmJoin, EveryFrameExactlyOnceFromChunksAlikeOrTheJoinRefusesNamingWhy)
{
    const FarmPlan plan = planned();
    auto all = [&] {
        std::vector<ChunkRecord> records;
        for (int i = 4; i >= 0; --i) // any order
            records.push_back(recordOf(plan, i));
        return records;
    };
    std::string problem;
    std::vector<ChunkRecord> chunks = all();
    EXPECT_TRUE(checkChunksJoin(chunks, 64000, 10, problem)) << problem;

    chunks = all();
    chunks.erase(chunks.begin() + 2); // chunk 2
    EXPECT_FALSE(checkChunksJoin(chunks, 64000, 10, problem));
    EXPECT_EQ(problem, "missing frames 20-29 (66000-66900 ms)");
    chunks = all();
    chunks.erase(chunks.begin()); // the last one
    EXPECT_FALSE(checkChunksJoin(chunks, 64000, 10, problem));
    EXPECT_EQ(problem, "missing frames 40-40 (68000-68000 ms)");

    chunks = all();
    chunks.push_back(recordOf(plan, 1));
    EXPECT_FALSE(checkChunksJoin(chunks, 64000, 10, problem));
    EXPECT_NE(problem.find("repeats frames 10-19"), std::string::npos) << problem;

    chunks = all();
    chunks[1] = recordOf(plan, 3, 7); // stopped after 7 of its 10 frames
    EXPECT_FALSE(checkChunksJoin(chunks, 64000, 10, problem));
    EXPECT_NE(problem.find("holds 7 of its 10 frames"), std::string::npos) << problem;

    chunks = all();
    chunks[0] = recordOf(plan, 4, -1, "cd34");
    EXPECT_FALSE(checkChunksJoin(chunks, 64000, 10, problem));
    EXPECT_NE(problem.find("archive SHA-256"), std::string::npos) << problem;

    FarmPlan other = planned();
    other.captureArguments[9] = "3"; // --motion-blur 3
    chunks = all();
    chunks[0] = recordOf(other, 4);
    EXPECT_FALSE(checkChunksJoin(chunks, 64000, 10, problem));
    EXPECT_NE(problem.find("other options"), std::string::npos) << problem;
}

TEST(FarmJoin, FfmpegReadsTheChunksInOrderWithTheMusicCutToTheWholeRange)
{
    const FarmPlan plan = planned();
    const std::vector<std::string> a = joinArguments(plan, "/d/concat.txt");
    auto at = [&](const std::string& s) { return std::find(a.begin(), a.end(), s); };
    EXPECT_EQ(at("pipe:0"), a.end());
    ASSERT_NE(at("concat"), a.end());
    EXPECT_EQ(*(at("concat") + 4), "file:/d/concat.txt");
    EXPECT_EQ(*(at("-ss") + 1), "64.000000");
    EXPECT_EQ(*(at("-t") + 1), "4.100000"); // 41 frames
    EXPECT_EQ(*(at("-c:v") + 1), "libx264");
    EXPECT_EQ(*(at("-crf") + 1), "18");
    EXPECT_EQ(a.back(), "file:/m/master.mp4");

    FarmPlan lossless;
    std::string problem;
    ASSERT_TRUE(makeFarmPlan({"--from", "0", "--to", "900", "--fps", "10", "--codec", "ffv1", "--out", "/m/x.mkv"}, {0.5},
                             lossless, problem));
    const std::vector<std::string> copy = joinArguments(lossless, "/d/concat.txt");
    const auto codec = std::find(copy.begin(), copy.end(), "-c:v");
    ASSERT_NE(codec, copy.end());
    EXPECT_EQ(*(codec + 1), "copy") << "an RGB FFV1 master is the chunks' frames as they are";

    EXPECT_EQ(concatListText({"/d/it's.mkv"}), "ffconcat version 1.0\nfile '/d/it'\\''s.mkv'\n");
}

TEST(FarmStatus, CountsChunksByTheQueueAndTheDiskAndEstimatesTheTimeLeft)
{
    // Chunk 0 done, 1 neither (failed), 2 pending (task 2), 3 running (task 1), 4 done.
    const FarmStatus s = farmStatus(5, {true, false, false, false, true}, "1 RUNNING\n2 PENDING\nbad line\n9 RUNNING\n",
                                    {30.0, 50.0});
    EXPECT_EQ(s.done, 2);
    EXPECT_EQ(s.running, 1);
    EXPECT_EQ(s.pending, 1);
    EXPECT_EQ(s.failed, 1);
    EXPECT_DOUBLE_EQ(s.secondsLeft, 120.0); // 3 chunks of 40 s on one running task
    EXPECT_EQ(parsableJobId("1234;cluster\n"), "1234");
    EXPECT_EQ(parsableJobId("sbatch: error\n"), "");
}

} // namespace
