// The show's log file: where it goes, and the last runs kept beside the newest.
#include "platform/run_log.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RunLog, TheFolderFollowsXdgStateHomeAndFallsBackToTheHomeFolder)
{
    EXPECT_EQ(runLogFolderFrom("/state", "/home/u"), fs::path("/state/orvalune"));
    // The variable counts only when absolute.
    EXPECT_EQ(runLogFolderFrom("relative", "/home/u"), fs::path("/home/u/.local/state/orvalune"));
    EXPECT_EQ(runLogFolderFrom(nullptr, "/home/u"), fs::path("/home/u/.local/state/orvalune"));
    EXPECT_EQ(runLogFolderFrom(nullptr, nullptr), fs::path());
}

TEST(RunLog, EachRunStartsAFreshLogAndTheLastFiveAreKept)
{
    const fs::path folder = fs::path(freshFolder("run-log")) / "nested" / "orvalune";
    for (int run = 0; run < 7; ++run) {
        std::string problem;
        ASSERT_TRUE(openRunLog(folder, problem)) << problem;
        writeRunLog(("run " + std::to_string(run) + "\n").c_str());
    }
    closeRunLog();
    EXPECT_EQ(contents(folder / "orvalune.log"), "run 6\n");
    EXPECT_EQ(contents(folder / "orvalune.1.log"), "run 5\n");
    EXPECT_EQ(contents(folder / "orvalune.4.log"), "run 2\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), runLogsKept);
    fs::remove_all(folder.parent_path().parent_path());
}

} // namespace
