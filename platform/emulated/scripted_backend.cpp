#include "platform/emulated/scripted_backend.h"

#include "platform/emulated/dialog_window.h"

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
    defaultBackend().swapBuffers(dc);
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
    return defaultBackend().getProcAddress(name);
}

void ScriptedBackend::addDisplayMode(int width, int height, int bitsPerPixel, int refreshRate)
{
    DEVMODEA mode;
    mode.dmSize = sizeof(DEVMODEA);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
    mode.dmDisplayFrequency = static_cast<DWORD>(refreshRate);
    displayModes.push_back(mode);
}

void ScriptedBackend::click(HWND dialog, int id)
{
    if (DialogWindow* window = findDialog(dialog))
        if (DialogControl* control = findControl(*window, id))
            dialogUserClick(*control);
}

void ScriptedBackend::select(HWND dialog, int id, int index)
{
    if (DialogWindow* window = findDialog(dialog))
        if (DialogControl* control = findControl(*window, id))
            dialogUserSelect(*control, index);
}

void ScriptedBackend::key(HWND dialog, int virtualKey)
{
    if (DialogWindow* window = findDialog(dialog))
        dialogUserKey(*window, virtualKey, findControl(window->focus));
}

void ScriptedBackend::closeBox(HWND dialog)
{
    if (DialogWindow* window = findDialog(dialog))
        dialogUserClose(*window);
}

bool ScriptedBackend::topmost(HWND dialog)
{
    const DialogWindow* window = findDialog(dialog);
    return window && window->topmost;
}

bool ScriptedBackend::displayMode(DWORD index, DEVMODEA& mode)
{
    if (index >= displayModes.size())
        return false;
    const WORD size = mode.dmSize;
    mode = displayModes[index];
    mode.dmSize = size;
    return true;
}

RECT ScriptedBackend::desktopRect() { return realDialogs ? defaultBackend().desktopRect() : desktop; }

DialogUnits ScriptedBackend::dialogUnits(const DialogTemplate& resource)
{
    return realDialogs ? defaultBackend().dialogUnits(resource) : DialogUnits{};
}

bool ScriptedBackend::openDialog(DialogWindow& dialog)
{
    if (noDisplay)
        return false;
    ++dialogsShown;
    return realDialogs ? defaultBackend().openDialog(dialog) : true;
}

void ScriptedBackend::refreshDialog(DialogWindow& dialog, DialogControl* control)
{
    if (realDialogs)
        defaultBackend().refreshDialog(dialog, control);
}

void ScriptedBackend::runDialog(DialogWindow& dialog)
{
    if (realDialogs) {
        defaultBackend().runDialog(dialog);
        return;
    }
    if (onDialog)
        onDialog(handleOf(dialog));
    if (!dialog.ended)
        dialogUserClose(dialog);
}

void ScriptedBackend::closeDialog(DialogWindow& dialog)
{
    if (realDialogs)
        defaultBackend().closeDialog(dialog);
}
