// Progress on standard error: a bar redrawn in place on a terminal, plain lines every few
// seconds otherwise (a log, a pipe, CI).
#pragma once

#include <chrono>
#include <string>

class Progress {
public:
    // `total` frames of `subFrames` sub-frames each: the count is of sub-frames when there are
    // several, since each takes as long as a frame.
    Progress(std::string what, int total, bool terminal, int subFrames = 1);
    // `done` of `total` (sub-)frames are finished.
    void update(int done);
    // Ends the bar's line (a terminal) or prints the last line.
    void finish(int done);
    // "12.5 fps, 0:42 left"-style text; pure, for the tests.
    static std::string line(const std::string& what, int done, int total, double seconds, bool bar, int subFrames = 1);

private:
    using Clock = std::chrono::steady_clock;
    std::string what;
    int total;
    bool terminal;
    int subFrames;
    Clock::time_point started = Clock::now();
    Clock::time_point lastShown{};
    bool shownOnce = false;
};
