// orvalune: the show. Without flags the setup dialog chooses the mode; `orvalune --help` lists
// the flags that choose it instead.
#include "platform/module_resources.h"
#include "platform/process_start.h"
#include "platform/run_log.h"
#include "render/driver_flags.h"
#include "runtime/dms.h"
#include "runtime/version.h"
#include "shell/command_line.h"
#include "shell/display_mode_list.h"
#include "shell/driver.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    useParentConsole();
    prepareProcess();
    // A hang-up, SIGQUIT or SIGUSR1 ends the show as SIGTERM does: a fade, then a clean exit.
    stopSignalsActAsTerminate();
    CommandLine line;
    std::string problem;
    ProgramArguments arguments(argc, argv);
    if (!parseCommandLine(arguments.count(), arguments.values(), line, problem, std::getenv("ORVALUNE_VIDEO"))) {
        std::fprintf(stderr, "orvalune: %s (see orvalune --help)\n", problem.c_str());
        return 2;
    }
    if (line.help || line.version) {
        std::fputs(line.help ? showUsage() : (versionLine("orvalune") + "\n").c_str(), stdout);
        return 0;
    }
    if (const std::filesystem::path folder = runLogFolder(); !folder.empty()) {
        std::string logProblem;
        if (!openRunLog(folder, logProblem))
            std::fprintf(stderr, "orvalune: no log file this run: %s\n", logProblem.c_str());
    }
    dmsMsg("%s\n", versionLine("orvalune").c_str());
    try {
        // Before anything opens a display: the mode list below asks SDL already.
        useWindowSystem(line.video);
        registerBuiltInResources();
        ShowStart start;
        start.dialog = !line.skipDialog;
        start.mode = line.mode;
        start.startMs = line.startMs;
        if (line.mode.fullscreen && !line.sizeGiven) {
            // Full screen without a size: the display's first listed mode, its own.
            DisplayModeList modes;
            modes.enumerate();
            if (modes.size() > 0) {
                start.mode.width = static_cast<int>(modes[0].dmPelsWidth);
                start.mode.height = static_cast<int>(modes[0].dmPelsHeight);
            }
            if (!line.aspectGiven)
                start.mode.aspectIndex = nearestAspectIndex(start.mode.width, start.mode.height);
        }
        if (line.skipDialog)
            oldNvidia = line.oldNvidia;
        return runDemo(start);
    } catch (const std::exception& error) {
        printAndLog("orvalune: error: %s\n", error.what());
    } catch (...) {
        printAndLog("orvalune: an unknown error stopped the show\n");
    }
    return 1;
}
