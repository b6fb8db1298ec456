// The capture tool's command line on any argument vector (the input split at NUL bytes): it must
// accept a usable command line or refuse with a reason, never crash, and what it accepts must be
// something the tool can render.
#include "tools/capture/options.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> words{"orvalune-capture"};
    std::string word;
    for (size_t i = 0; i < size && words.size() < 64; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word.push_back(static_cast<char>(data[i]));
        }
    }
    if (!word.empty() && words.size() < 64)
        words.push_back(word);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    CaptureOptions options;
    std::string problem;
    if (parseCaptureOptions(static_cast<int>(words.size()), argv.data(), options, problem)) {
        if (options.help)
            return 0;
        const bool single = options.atMs >= 0;
        const bool range = options.fromMs >= 0 && options.toMs >= options.fromMs;
        if (single == range || options.out.empty() || options.fps <= 0 || options.width < 16 ||
            options.height < 16 || options.width > 8192 || options.height > 8192)
            std::abort();
    } else if (problem.empty()) {
        std::abort();
    }
    return 0;
}
