// The show's log file, kept where desktop programs keep theirs, so that a run started from a menu
// or by a double click leaves something to attach to a bug report. Standard error gets every
// line as before; the file gets a copy.
//
// The folder is $XDG_STATE_HOME/orvalune/ (~/.local/state/orvalune/ when the variable is unset or
// not absolute), %LOCALAPPDATA%\Orvalune\ on Windows; the page keeps none. orvalune.log is the
// latest run, orvalune.1.log to orvalune.4.log the runs before it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

constexpr int runLogsKept = 5;
// A run that logs the same fault every frame must not fill the disk: the copy stops here.
constexpr std::uintmax_t runLogMaxBytes = 8u << 20;

// The folder for this platform (each backend's run_log.cpp), or an empty path where no log is kept.
std::filesystem::path runLogFolder();
// The rule above for a POSIX desktop, from the two variables (null when unset).
std::filesystem::path runLogFolderFrom(const char* xdgStateHome, const char* home);
// Shifts the earlier runs' logs along (the oldest goes) and starts `orvalune.log` afresh in the
// folder, creating it; false with the reason when it cannot (the run goes on without a file).
bool openRunLog(const std::filesystem::path& folder, std::string& problem);
// The open log's path, or empty.
const std::filesystem::path& runLogPath();
// Appends to the log, when one is open.
void writeRunLog(const char* text);
void closeRunLog();
// A line for standard error that the log must hold too (messages printed outside dmsMsg).
void printAndLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
