#include "platform/emulated/dialog_window.h"

#include "platform/emulated/backend.h"

#include <algorithm>
#include <cstring>

namespace {

std::vector<DialogWindow*>& liveDialogs()
{
    static std::vector<DialogWindow*> dialogs;
    return dialogs;
}

// The desktop is not a window of ours; its handle only has to be recognisable.
char desktopTag;
HWND desktopHandle() { return reinterpret_cast<HWND>(&desktopTag); }

void refresh(DialogWindow& dialog, DialogControl* control = nullptr)
{
    activeBackend().refreshDialog(dialog, control);
}

LRESULT notifyCommand(DialogControl& control, WORD code)
{
    DialogWindow& dialog = *control.dialog;
    return dialog.proc(handleOf(dialog), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(control.item.id), code),
                       reinterpret_cast<LPARAM>(handleOf(control)));
}

bool usable(const DialogControl& control)
{
    return control.enabled && control.visible && !control.dialog->ended;
}

LRESULT controlMessage(DialogControl& control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const bool list = control.item.kind == ControlKind::DropDownList;
    const int count = static_cast<int>(control.entries.size());
    switch (msg) {
    case CB_ADDSTRING:
        if (!list || !lParam)
            return CB_ERR;
        control.entries.emplace_back(reinterpret_cast<const char*>(lParam));
        refresh(*control.dialog, &control);
        return count;
    case CB_GETCOUNT:
        return list ? count : CB_ERR;
    case CB_SETCURSEL: {
        if (!list)
            return CB_ERR;
        const int index = static_cast<int>(static_cast<intptr_t>(wParam));
        // Out of range (or -1) clears the selection, and says so.
        control.selection = index >= 0 && index < count ? index : -1;
        refresh(*control.dialog, &control);
        return control.selection < 0 ? CB_ERR : control.selection;
    }
    case CB_GETCURSEL:
        return list && control.selection >= 0 ? control.selection : CB_ERR;
    case CB_GETLBTEXT: {
        const int index = static_cast<int>(static_cast<intptr_t>(wParam));
        if (!list || index < 0 || index >= count || !lParam)
            return CB_ERR;
        const std::string& text = control.entries[static_cast<size_t>(index)];
        std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
        return static_cast<LRESULT>(text.size());
    }
    case BM_SETCHECK:
        if (control.item.kind == ControlKind::CheckBox) {
            control.check = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
            refresh(*control.dialog, &control);
        }
        return 0;
    case BM_GETCHECK:
        return control.item.kind == ControlKind::CheckBox ? control.check : BST_UNCHECKED;
    default:
        return 0;
    }
}

DialogControl* defaultButton(DialogWindow& dialog)
{
    for (auto& control : dialog.controls)
        if (control->item.kind == ControlKind::DefaultPushButton)
            return control.get();
    return findControl(dialog, IDOK);
}

bool isPushButton(const DialogControl* control)
{
    return control &&
           (control->item.kind == ControlKind::PushButton || control->item.kind == ControlKind::DefaultPushButton);
}

void layOut(DialogWindow& dialog)
{
    const DialogTemplate& resource = *dialog.resource;
    const RECT client = dialogUnitsToPixels(0, 0, resource.width, resource.height, dialog.units);
    dialog.rect = client;
    for (auto& control : dialog.controls) {
        const DialogItem& item = control->item;
        // A drop-down list's height in the resource includes its open list; the field itself is
        // one line high.
        const int height = item.kind == ControlKind::DropDownList ? std::min(item.height, 13) : item.height;
        control->rect = dialogUnitsToPixels(item.x, item.y, item.width, height, dialog.units);
    }
}

} // namespace

HWND handleOf(const DialogWindow& dialog) { return reinterpret_cast<HWND>(const_cast<DialogWindow*>(&dialog)); }
HWND handleOf(const DialogControl& control) { return reinterpret_cast<HWND>(const_cast<DialogControl*>(&control)); }

DialogWindow* findDialog(HWND hwnd)
{
    for (DialogWindow* dialog : liveDialogs())
        if (handleOf(*dialog) == hwnd)
            return dialog;
    return nullptr;
}

DialogControl* findControl(HWND hwnd)
{
    for (DialogWindow* dialog : liveDialogs())
        for (auto& control : dialog->controls)
            if (handleOf(*control) == hwnd)
                return control.get();
    return nullptr;
}

DialogControl* findControl(DialogWindow& dialog, int id)
{
    if (id == noControlId)
        return nullptr;
    for (auto& control : dialog.controls)
        if (control->item.id == id)
            return control.get();
    return nullptr;
}

bool sendDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (DialogControl* control = findControl(hwnd)) {
        result = controlMessage(*control, msg, wParam, lParam);
        return true;
    }
    DialogWindow* dialog = findDialog(hwnd);
    if (!dialog)
        return false;
    if (msg == WM_SETICON) {
        result = reinterpret_cast<LRESULT>(dialog->icon);
        dialog->icon = reinterpret_cast<HICON>(lParam);
        refresh(*dialog);
    } else {
        result = dialog->proc(hwnd, msg, wParam, lParam);
    }
    return true;
}

void dialogUserClick(DialogControl& control)
{
    if (!usable(control))
        return;
    switch (control.item.kind) {
    case ControlKind::CheckBox:
        control.check = control.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        refresh(*control.dialog, &control);
        notifyCommand(control, BN_CLICKED);
        break;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
        notifyCommand(control, BN_CLICKED);
        break;
    default:
        break; // pictures, frames and texts do not report clicks
    }
}

void dialogUserSelect(DialogControl& control, int index)
{
    if (!usable(control) || control.item.kind != ControlKind::DropDownList || index < 0 ||
        index >= static_cast<int>(control.entries.size()))
        return;
    control.selection = index;
    refresh(*control.dialog, &control);
    notifyCommand(control, CBN_SELCHANGE);
}

bool dialogUserKey(DialogWindow& dialog, int virtualKey, DialogControl* focused)
{
    if (dialog.ended)
        return false;
    if (virtualKey == VK_RETURN) {
        // A disabled default button makes Enter do nothing (Windows beeps).
        DialogControl* button = isPushButton(focused) ? focused : defaultButton(dialog);
        if (button)
            dialogUserClick(*button);
        else
            dialog.proc(handleOf(dialog), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    }
    if (virtualKey == VK_ESCAPE) {
        DialogControl* cancel = findControl(dialog, IDCANCEL);
        if (cancel)
            dialogUserClick(*cancel);
        else
            dialog.proc(handleOf(dialog), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    return false;
}

void dialogUserClose(DialogWindow& dialog)
{
    if (!dialog.ended)
        dialog.proc(handleOf(dialog), WM_CLOSE, 0, 0);
}

BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNum, LPDEVMODEA devMode)
{
    // Only the primary display is known, under the null name.
    if (deviceName || !devMode)
        return FALSE;
    DEVMODEA mode;
    mode.dmSize = devMode->dmSize ? devMode->dmSize : static_cast<WORD>(sizeof(DEVMODEA));
    if (!activeBackend().displayMode(modeNum, mode))
        return FALSE;
    mode.dmFields |= DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    *devMode = mode;
    return TRUE;
}

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC dialogProc, LPARAM initParam)
{
    if (!IS_INTRESOURCE(templateName) || !dialogProc)
        return -1;
    const DialogTemplate* resource =
        findDialogTemplate(static_cast<int>(reinterpret_cast<uintptr_t>(templateName)));
    if (!resource)
        return -1;
    PlatformBackend& backend = activeBackend();
    DialogWindow dialog;
    dialog.resource = resource;
    dialog.proc = dialogProc;
    dialog.units = backend.dialogUnits(*resource);
    for (const DialogItem& item : resource->items) {
        auto control = std::make_unique<DialogControl>();
        control->dialog = &dialog;
        control->item = item;
        control->visible = item.visible;
        dialog.controls.push_back(std::move(control));
    }
    layOut(dialog);
    if (!backend.openDialog(dialog))
        return -1;
    liveDialogs().push_back(&dialog);

    DialogControl* firstTabStop = nullptr;
    for (auto& control : dialog.controls)
        if (!firstTabStop && isTabStop(control->item.kind))
            firstTabStop = control.get();
    dialog.proc(handleOf(dialog), WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop ? handleOf(*firstTabStop) : nullptr),
                initParam);
    // A modal dialog shows whether or not its procedure showed it.
    if (!dialog.ended) {
        dialog.visible = true;
        refresh(dialog);
        backend.runDialog(dialog);
    }
    dialog.proc(handleOf(dialog), WM_DESTROY, 0, 0);
    backend.closeDialog(dialog);
    liveDialogs().erase(std::find(liveDialogs().begin(), liveDialogs().end(), &dialog));
    return dialog.result;
}

BOOL EndDialog(HWND hwnd, INT_PTR result)
{
    DialogWindow* dialog = findDialog(hwnd);
    if (!dialog)
        return FALSE;
    if (!dialog->ended) {
        dialog->ended = true;
        dialog->result = result;
        refresh(*dialog);
    }
    return TRUE;
}

HWND GetDlgItem(HWND hwnd, int id)
{
    DialogWindow* dialog = findDialog(hwnd);
    DialogControl* control = dialog ? findControl(*dialog, id) : nullptr;
    return control ? handleOf(*control) : nullptr;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageA(control, msg, wParam, lParam) : 0;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return FALSE;
    SendMessageA(control, BM_SETCHECK, check, 0);
    return TRUE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    DialogControl* control = findControl(hwnd);
    if (!control)
        return FALSE;
    const bool wasDisabled = !control->enabled;
    control->enabled = enable != FALSE;
    refresh(*control->dialog, control);
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    if (DialogControl* control = findControl(hwnd))
        return control->enabled ? TRUE : FALSE;
    return findDialog(hwnd) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    if (DialogControl* control = findControl(hwnd))
        return control->visible && control->dialog->visible ? TRUE : FALSE;
    DialogWindow* dialog = findDialog(hwnd);
    return dialog && dialog->visible ? TRUE : FALSE;
}

HWND GetDesktopWindow() { return desktopHandle(); }

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    if (!rect)
        return FALSE;
    if (hwnd == desktopHandle()) {
        *rect = activeBackend().desktopRect();
        return TRUE;
    }
    if (DialogWindow* dialog = findDialog(hwnd)) {
        *rect = dialog->rect;
        return TRUE;
    }
    if (DialogControl* control = findControl(hwnd)) {
        const RECT& origin = control->dialog->rect;
        *rect = control->rect;
        rect->left += origin.left;
        rect->right += origin.left;
        rect->top += origin.top;
        rect->bottom += origin.top;
        return TRUE;
    }
    return FALSE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    DialogWindow* dialog = findDialog(hwnd);
    if (!dialog)
        return FALSE;
    RECT& r = dialog->rect;
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST)
            dialog->topmost = true;
        else if (insertAfter == HWND_NOTOPMOST)
            dialog->topmost = false;
    }
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + cx;
        r.bottom = r.top + cy;
    }
    if (!(flags & SWP_NOMOVE)) {
        const LONG width = r.right - r.left, height = r.bottom - r.top;
        r = {x, y, x + width, y + height};
    }
    refresh(*dialog);
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int command)
{
    const bool show = command != SW_HIDE;
    if (DialogControl* control = findControl(hwnd)) {
        const bool was = control->visible;
        control->visible = show;
        refresh(*control->dialog, control);
        return was ? TRUE : FALSE;
    }
    if (DialogWindow* dialog = findDialog(hwnd)) {
        const bool was = dialog->visible;
        dialog->visible = show;
        refresh(*dialog);
        return was ? TRUE : FALSE;
    }
    return FALSE;
}

HWND SetActiveWindow(HWND hwnd)
{
    DialogWindow* dialog = findDialog(hwnd);
    if (!dialog)
        return nullptr;
    dialog->raiseRequested = true;
    refresh(*dialog);
    return nullptr;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    if (!findDialog(hwnd))
        return FALSE;
    SetActiveWindow(hwnd);
    return TRUE;
}

HWND SetFocus(HWND hwnd)
{
    DialogWindow* dialog = findDialog(hwnd);
    if (!dialog)
        if (DialogControl* control = findControl(hwnd))
            dialog = control->dialog;
    if (!dialog)
        return nullptr;
    const HWND previous = dialog->focus;
    dialog->focus = hwnd;
    refresh(*dialog);
    return previous;
}

void InitCommonControls() {}
