#include "platform/run_log.h"
#include "platform/utf8_files.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::FILE* logFile = nullptr;
fs::path logPath;
std::uintmax_t logBytes = 0;

fs::path runLogName(int run) { return run == 0 ? "orvalune.log" : "orvalune." + std::to_string(run) + ".log"; }

std::FILE* openForWriting(const fs::path& path) { return openFileUtf8(utf8FromPath(path), "wb"); }

} // namespace

fs::path runLogFolderFrom(const char* xdgStateHome, const char* home)
{
    if (xdgStateHome && fs::path(xdgStateHome).is_absolute())
        return fs::path(xdgStateHome) / "orvalune";
    if (home && *home)
        return fs::path(home) / ".local" / "state" / "orvalune";
    return {};
}


bool openRunLog(const fs::path& folder, std::string& problem)
{
    closeRunLog();
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        problem = "cannot create " + folder.string() + ": " + error.message();
        return false;
    }
    fs::remove(folder / runLogName(runLogsKept - 1), error);
    for (int run = runLogsKept - 2; run >= 0; --run)
        if (fs::exists(folder / runLogName(run), error))
            fs::rename(folder / runLogName(run), folder / runLogName(run + 1), error);
    const fs::path path = folder / runLogName(0);
    logFile = openForWriting(path);
    if (!logFile) {
        problem = "cannot write " + path.string();
        return false;
    }
    logPath = path;
    logBytes = 0;
    return true;
}

const fs::path& runLogPath() { return logPath; }

void writeRunLog(const char* text)
{
    if (!logFile || !text)
        return;
    if (logBytes >= runLogMaxBytes)
        return;
    const std::string line(text);
    logBytes += line.size();
    std::fputs(line.c_str(), logFile);
    if (logBytes >= runLogMaxBytes)
        std::fputs("\n(the log stops here: it holds as much as a run may write)\n", logFile);
    // A crash must not take the last lines with it.
    std::fflush(logFile);
}

void closeRunLog()
{
    if (logFile)
        std::fclose(logFile);
    logFile = nullptr;
    logPath.clear();
}

void printAndLog(const char* format, ...)
{
    char buffer[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::fputs(buffer, stderr);
    std::fflush(stderr);
    writeRunLog(buffer);
}
