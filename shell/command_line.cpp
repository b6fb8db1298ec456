#include "shell/command_line.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const aspectNames[] = {"4:3", "16:10", "16:9"};
constexpr int lastMs = 363000; // the show is over past it

bool parseNumber(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::stoi(text);
    return true;
}

bool fail(std::string& problem, const std::string& text)
{
    problem = text;
    return false;
}

// What a flag accepts, for the message that refuses a value.
std::string allowedValues(const std::string& flag)
{
    if (flag == "--window")
        return "WxH, each side a whole number from 64 to 16384";
    if (flag == "--aspect")
        return "4:3, 16:10 or 16:9";
    if (flag == "--video")
        return "auto, x11 or wayland";
    if (flag == "--refresh")
        return "a whole number of Hz from 1 to 1000";
    return "a whole number of milliseconds from 0 to " + std::to_string(lastMs);
}

} // namespace

const char* showUsage()
{
    return "usage: orvalune [--window WxH | --fullscreen] [options] [--start MS]\n"
           "  (no flags)        the setup dialog chooses the mode\n"
           "  --window WxH      play in a window of that size, without the dialog\n"
           "  --fullscreen      play full screen (at the --window size, or the display's own)\n"
           "  --aspect A        4:3, 16:10 or 16:9 (default: nearest the size)\n"
           "  --refresh HZ      refresh rate for full screen (default 60)\n"
           "  --always-on-top   keep the window above others\n"
           "  --old-nvidia      the dialog's Old NVidia choice\n"
           "  --start MS        begin at this music time, music included\n"
           "  --video SYSTEM    auto, x11 or wayland: where the dialog and the show open\n"
           "                    (default: the ORVALUNE_VIDEO variable, else auto = wayland\n"
           "                    when WAYLAND_DISPLAY is set, x11 otherwise)\n"
           "  --version         the version, and the commit it was built from\n"
           "  --help            this text\n"
           "Keys: Escape fades out and quits; F1 with Left or Right seeks one second.\n"
           "Log: every line the show writes to standard error also goes to orvalune.log in\n"
           "$XDG_STATE_HOME/orvalune/ (default ~/.local/state/orvalune/), on Windows in\n"
           "%LOCALAPPDATA%\\Orvalune\\; orvalune.1.log to orvalune.4.log hold the runs before.\n";
}

int nearestAspectIndex(int width, int height)
{
    if (width <= 0 || height <= 0)
        return 0;
    const double ratio = static_cast<double>(width) / height;
    const double ratios[] = {4.0 / 3.0, 16.0 / 10.0, 16.0 / 9.0};
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (std::fabs(ratios[i] - ratio) < std::fabs(ratios[best] - ratio))
            best = i;
    return best;
}

bool parseCommandLine(int argc, char** argv, CommandLine& line, std::string& problem, const char* videoVariable)
{
    line = CommandLine{};
    bool dialogOnly = false;
    bool videoGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i] ? argv[i] : "";
        if (flag == "--help" || flag == "-h" || flag == "--version") {
            (flag == "--version" ? line.version : line.help) = true;
            return true;
        }
        if (flag == "--fullscreen") {
            line.mode.fullscreen = line.skipDialog = true;
            continue;
        }
        if (flag == "--always-on-top" || flag == "--old-nvidia") {
            (flag == "--old-nvidia" ? line.oldNvidia : line.mode.alwaysOnTop) = true;
            dialogOnly = true;
            continue;
        }
        if (flag != "--window" && flag != "--aspect" && flag != "--refresh" && flag != "--start" && flag != "--video")
            return fail(problem, "unknown option '" + flag + "'");
        if (i + 1 >= argc || !argv[i + 1])
            return fail(problem, flag + " needs a value");
        const std::string value = argv[++i];
        bool ok = true;
        if (flag == "--window") {
            const size_t x = value.find('x');
            ok = x != std::string::npos && parseNumber(value.substr(0, x), line.mode.width) &&
                 parseNumber(value.substr(x + 1), line.mode.height) && line.mode.width >= 64 && line.mode.height >= 64 &&
                 line.mode.width <= 16384 && line.mode.height <= 16384;
            line.sizeGiven = line.skipDialog = true;
        } else if (flag == "--aspect") {
            const auto found = std::find(std::begin(aspectNames), std::end(aspectNames), value);
            ok = found != std::end(aspectNames);
            line.mode.aspectIndex = static_cast<int>(found - std::begin(aspectNames));
            line.aspectGiven = dialogOnly = true;
        } else if (flag == "--video") {
            ok = parseWindowSystem(value, line.video);
            videoGiven = true;
        } else if (flag == "--refresh") {
            ok = parseNumber(value, line.mode.refreshRate) && line.mode.refreshRate >= 1 && line.mode.refreshRate <= 1000;
            dialogOnly = true;
        } else {
            ok = parseNumber(value, line.startMs) && line.startMs <= lastMs;
        }
        if (!ok)
            return fail(problem, "bad value '" + value + "' for " + flag + ": " + allowedValues(flag));
    }
    // The flag wins over the variable; an empty variable is as good as none.
    if (!videoGiven && videoVariable && *videoVariable && !parseWindowSystem(videoVariable, line.video))
        return fail(problem, "bad value '" + std::string(videoVariable) + "' in ORVALUNE_VIDEO (auto, x11 or wayland)");
    if (dialogOnly && !line.skipDialog)
        return fail(problem, "--aspect, --refresh, --always-on-top and --old-nvidia need --window or --fullscreen");
    if (line.mode.fullscreen && line.mode.alwaysOnTop)
        return fail(problem, "--always-on-top applies to a window, not to --fullscreen");
    if (line.sizeGiven && !line.aspectGiven)
        line.mode.aspectIndex = nearestAspectIndex(line.mode.width, line.mode.height);
    return true;
}
