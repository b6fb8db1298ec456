// The show's command line: flags that skip the dialog with its choices, a start time, and
// one-line refusals.
#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

struct Parsed {
    bool ok = false;
    CommandLine line;
    std::string problem;
};

Parsed parse(std::initializer_list<const char*> arguments, const char* videoVariable = nullptr)
{
    std::vector<char*> argv = {const_cast<char*>("orvalune")};
    for (const char* argument : arguments)
        argv.push_back(const_cast<char*>(argument));
    Parsed parsed;
    parsed.ok = parseCommandLine(static_cast<int>(argv.size()), argv.data(), parsed.line, parsed.problem, videoVariable);
    return parsed;
}

TEST(CommandLine, NoFlagsKeepsTheDialogAndFlagsChooseForIt)
{
    const Parsed none = parse({});
    ASSERT_TRUE(none.ok);
    EXPECT_FALSE(none.line.skipDialog);
    EXPECT_EQ(none.line.startMs, 0);

    const Parsed window = parse({"--window", "1280x720", "--start", "120000"});
    ASSERT_TRUE(window.ok) << window.problem;
    EXPECT_TRUE(window.line.skipDialog);
    EXPECT_FALSE(window.line.mode.fullscreen);
    EXPECT_EQ(window.line.mode.width, 1280);
    EXPECT_EQ(window.line.mode.height, 720);
    EXPECT_EQ(window.line.mode.aspectIndex, 2); // 16:9 from the size
    EXPECT_EQ(window.line.startMs, 120000);
    EXPECT_EQ(parse({"--window", "640x480"}).line.mode.aspectIndex, 0);
    EXPECT_EQ(parse({"--window", "1680x1050"}).line.mode.aspectIndex, 1);
    EXPECT_EQ(parse({"--window", "1280x720", "--aspect", "4:3"}).line.mode.aspectIndex, 0);

    const Parsed full = parse({"--fullscreen", "--refresh", "75", "--old-nvidia"});
    ASSERT_TRUE(full.ok) << full.problem;
    EXPECT_TRUE(full.line.skipDialog);
    EXPECT_TRUE(full.line.mode.fullscreen);
    EXPECT_FALSE(full.line.sizeGiven);
    EXPECT_EQ(full.line.mode.refreshRate, 75);
    EXPECT_TRUE(full.line.oldNvidia);
    EXPECT_TRUE(parse({"--window", "800x600", "--always-on-top"}).line.mode.alwaysOnTop);
    // A start time alone still asks the dialog for the mode.
    EXPECT_FALSE(parse({"--start", "5000"}).line.skipDialog);
    EXPECT_TRUE(parse({"--window", "800x600", "--help"}).line.help);
}

TEST(CommandLine, BadFlagsGetOneLineNamingThem)
{
    const std::vector<std::pair<Parsed, std::string>> cases = {
        {parse({"--bogus"}), "--bogus"},
        {parse({"--window"}), "needs a value"},
        {parse({"--window", "1280x720junk"}), "1280x720junk"},
        {parse({"--window", "1280"}), "--window"},
        {parse({"--window", "10x10"}), "--window"},
        {parse({"--start", "-5"}), "--start"},
        {parse({"--start", "400000"}), "--start"},
        {parse({"--window", "800x600", "--aspect", "21:9"}), "21:9"},
        {parse({"--aspect", "4:3"}), "need --window or --fullscreen"},
        {parse({"--fullscreen", "--always-on-top"}), "window"},
        {parse({"--window", "800x600", "--refresh", "0"}), "--refresh"},
        // Out of range: the message gives the range.
        {parse({"--start", "999999999"}), "from 0 to 363000"},
        {parse({"--window", "800x600", "--refresh", "1001"}), "from 1 to 1000"},
    };
    for (const auto& [parsed, word] : cases) {
        EXPECT_FALSE(parsed.ok) << word;
        EXPECT_NE(parsed.problem.find(word), std::string::npos) << parsed.problem;
        EXPECT_EQ(parsed.problem.find('\n'), std::string::npos) << parsed.problem;
    }
}

// The window system: --video over ORVALUNE_VIDEO over automatic; only the three words pass,
// and --video alone keeps the dialog.
TEST(CommandLine, VideoFlagBeatsTheVariableAndOnlyKnownSystemsPass)
{
    EXPECT_EQ(parse({}).line.video, WindowSystem::Automatic);
    EXPECT_EQ(parse({}, "").line.video, WindowSystem::Automatic) << "an empty variable is none";
    EXPECT_EQ(parse({}, "x11").line.video, WindowSystem::X11);
    const Parsed flag = parse({"--video", "wayland"}, "x11");
    ASSERT_TRUE(flag.ok) << flag.problem;
    EXPECT_EQ(flag.line.video, WindowSystem::Wayland);
    EXPECT_FALSE(flag.line.skipDialog);
    EXPECT_EQ(parse({"--video", "auto"}, "x11").line.video, WindowSystem::Automatic);
    EXPECT_TRUE(parse({"--video", "x11"}, "not checked when the flag decides").ok);

    for (const char* bad : {"X11", "wayland ", "mir", ""}) {
        const Parsed flagged = parse({"--video", bad});
        EXPECT_FALSE(flagged.ok) << bad;
        EXPECT_NE(flagged.problem.find("--video"), std::string::npos) << flagged.problem;
    }
    const Parsed variable = parse({"--window", "640x480"}, "Wayland");
    EXPECT_FALSE(variable.ok);
    EXPECT_NE(variable.problem.find("ORVALUNE_VIDEO"), std::string::npos) << variable.problem;
    EXPECT_FALSE(parse({"--video"}).ok) << "needs a value";
}

} // namespace
