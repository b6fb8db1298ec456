#include "render/draw_state_recorder.h"

#include "render/draw_state_read.h"
#include "render/draw_state_text.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

DrawListener drawListener = nullptr;

namespace {

// The recorder's distinct states, in the order first seen.
std::vector<GlDrawState>* recorded = nullptr;

void recordDraw(GLenum mode, unsigned layout)
{
    GlDrawState state = readDrawState(mode, layout);
    if (std::find(recorded->begin(), recorded->end(), state) == recorded->end())
        recorded->push_back(std::move(state));
}

} // namespace

void startRecordingDrawStates()
{
    static std::vector<GlDrawState> states;
    states.clear();
    recorded = &states;
    drawListener = recordDraw;
}

bool stopRecordingDrawStates(const char* path, const std::vector<GlDrawState>& known, int* unknown)
{
    drawListener = nullptr;
    if (!recorded)
        return false;
    int notKnown = 0;
    std::string text;
    for (const GlDrawState& s : *recorded) {
        text += formatDrawState(s) + "\n";
        notKnown += std::find(known.begin(), known.end(), s) == known.end();
    }
    recorded = nullptr;
    if (unknown)
        *unknown = notKnown;
    // Written beside and renamed, so the file is either whole or not there.
    const std::string partial = std::string(path) + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "w");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written || std::rename(partial.c_str(), path) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}
