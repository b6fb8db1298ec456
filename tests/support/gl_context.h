// A real GL context for tests: the runtime's offline context, opened once per test binary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Opens the offline window of the given size on the build's data.pak (or the given archive),
// once; later calls return whether the first succeeded. Needs no display (EGL without a window
// system).
bool openTestWindow(int width = 256, int height = 256, const char* archive = nullptr);
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
