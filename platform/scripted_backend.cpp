#include "platform/scripted_backend.h"

#include <algorithm>

void ScriptedBackend::postMessage(UINT message, WPARAM wParam)
{
    MSG msg;
    msg.message = message;
    msg.wParam = wParam;
    messages.push_back(msg);
}

bool ScriptedBackend::peekMessage(MSG& out, bool remove)
{
    if (messages.empty())
        return false;
    out = messages.front();
    if (remove)
        messages.pop_front();
    return true;
}

void ScriptedBackend::swapBuffers(HDC dc)
{
    sdlBackend().swapBuffers(dc);
    ++swaps;
    if (onSwap)
        onSwap(swaps);
}

int ScriptedBackend::messageBox(HWND, const char* text, const char* caption, UINT type)
{
    boxes.push_back({text, caption, type});
    return IDOK;
}

PROC ScriptedBackend::getProcAddress(const char* name)
{
    if (std::find(missingProcs.begin(), missingProcs.end(), name) != missingProcs.end())
        return nullptr;
    return sdlBackend().getProcAddress(name);
}
