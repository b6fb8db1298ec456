// The one GL context of a test binary: the runtime opened once, offline unless a test of the
// live clock asks for a real window. The suites build on it (the render suites' start-up, the
// runtime suite's own small archive) and never open the runtime themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Opens the window of the given size on the build's data.pak (or the given archive), once; later
// calls return whether the first succeeded. Offline it needs no display (EGL without a window
// system); a live window plays the music on the audio device, with the real clock.
bool openTestWindow(int width = 256, int height = 256, const char* archive = nullptr, bool offline = true);
std::string builtArchivePath();

struct Rgba {
    int r, g, b, a;
};
// The current frame, top row first.
std::vector<uint8_t> readTestFrame();
Rgba pixelAt(const std::vector<uint8_t>& frame, int width, int x, int y);

// Collects every dmsMsg line while alive.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    std::vector<std::string> lines;
    std::string all() const;
    bool contains(const std::string& text) const;
};
