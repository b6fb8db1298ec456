// The two Win32 calls the program completes on Windows (see platform/win32/native.h).
#include "platform/dialog_resource.h"
#include "platform/gl_proc_overrides.h"
#include "platform/module_resources.h"
#include "platform/run_log.h"
#include "platform/utf8_files.h"
#include "platform/win32/wide_text.h"
#include "platform/window_system.h"

#include <stb/stb_image.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Here the system's own calls are meant.
#undef wglGetProcAddress
#undef MessageBoxA

namespace {

// ---------------------------------------------------------------------------------------------
// GL entry points
// ---------------------------------------------------------------------------------------------

HMODULE openGlModule()
{
    static HMODULE module = LoadLibraryA("opengl32.dll");
    return module;
}

// ---------------------------------------------------------------------------------------------
// Dialog templates
// ---------------------------------------------------------------------------------------------

// A DLGTEMPLATE and its items, laid out as the dialog manager reads them: WORD-aligned strings
// in UTF-16, each item on a DWORD boundary.
class TemplateWriter {
public:
    void word(WORD value) { words.push_back(value); }
    void dword(DWORD value)
    {
        word(LOWORD(value));
        word(HIWORD(value));
    }
    void text(const char* value)
    {
        // The captions are ASCII; anything else becomes '?'.
        for (const char* c = value; *c; ++c)
            word(static_cast<unsigned char>(*c) < 0x80 ? static_cast<WORD>(*c) : WORD{'?'});
        word(0);
    }
    void alignToDword()
    {
        if (words.size() % 2)
            word(0);
    }
    std::vector<WORD> words;
};

struct ItemClass {
    WORD atom;
    DWORD style;
};

ItemClass classOf(ControlKind kind)
{
    constexpr WORD button = 0x0080, staticText = 0x0082, comboBox = 0x0085;
    switch (kind) {
    case ControlKind::Bitmap: return {staticText, SS_BITMAP | SS_CENTERIMAGE};
    case ControlKind::GroupBox: return {button, BS_GROUPBOX};
    case ControlKind::Text: return {staticText, SS_LEFT};
    case ControlKind::DropDownList: return {comboBox, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP};
    case ControlKind::CheckBox: return {button, BS_AUTOCHECKBOX | WS_TABSTOP};
    case ControlKind::PushButton: return {button, BS_PUSHBUTTON | WS_TABSTOP};
    case ControlKind::DefaultPushButton: return {button, BS_DEFPUSHBUTTON | WS_TABSTOP};
    }
    return {staticText, SS_LEFT};
}

std::vector<WORD> buildTemplate(const DialogTemplate& dialog)
{
    TemplateWriter out;
    out.dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    out.dword(0);
    out.word(static_cast<WORD>(dialog.items.size()));
    out.word(0);
    out.word(0);
    out.word(static_cast<WORD>(dialog.width));
    out.word(static_cast<WORD>(dialog.height));
    out.word(0); // no menu
    out.word(0); // the standard dialog class
    out.text(dialog.caption);
    out.word(static_cast<WORD>(dialog.fontPoints));
    out.text(dialog.fontFace);
    for (const DialogItem& item : dialog.items) {
        out.alignToDword();
        const ItemClass kind = classOf(item.kind);
        out.dword(WS_CHILD | kind.style | (item.visible ? WS_VISIBLE : 0));
        out.dword(0);
        out.word(static_cast<WORD>(item.x));
        out.word(static_cast<WORD>(item.y));
        out.word(static_cast<WORD>(item.width));
        out.word(static_cast<WORD>(item.height));
        out.word(static_cast<WORD>(item.id));
        out.word(0xFFFF);
        out.word(kind.atom);
        out.text(item.text);
        out.word(0); // no creation data
    }
    out.alignToDword();
    return out.words;
}

// ---------------------------------------------------------------------------------------------
// Bitmaps
// ---------------------------------------------------------------------------------------------

// A built-in PNG resource as a bitmap the dialog can show; null when it is missing or unreadable.
HBITMAP bitmapFromResource(int id)
{
    const ModuleResource* resource = findModuleResource(id);
    if (!resource || resource->size > static_cast<size_t>(INT32_MAX))
        return nullptr;
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> rgb(
        stbi_load_from_memory(resource->data, static_cast<int>(resource->size), &w, &h, &channels, 3), stbi_image_free);
    if (!rgb || w <= 0 || h <= 0)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits)
        return nullptr;
    auto* out = static_cast<unsigned char*>(bits);
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    for (size_t i = 0; i < pixels; ++i) {
        out[i * 4] = rgb.get()[i * 3 + 2];
        out[i * 4 + 1] = rgb.get()[i * 3 + 1];
        out[i * 4 + 2] = rgb.get()[i * 3];
        out[i * 4 + 3] = 255;
    }
    return bitmap;
}

// ---------------------------------------------------------------------------------------------
// The modal dialog
// ---------------------------------------------------------------------------------------------

// The dialog being shown (one at a time: they are modal): its layout, the program's procedure
// and the bitmaps it owns.
struct ShownDialog {
    const DialogTemplate* layout = nullptr;
    DLGPROC procedure = nullptr;
    std::vector<HBITMAP> bitmaps;
};
ShownDialog* shownDialog = nullptr;

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    ShownDialog* shown = shownDialog;
    if (!shown)
        return FALSE;
    if (message == WM_INITDIALOG)
        for (const DialogItem& item : shown->layout->items)
            if (item.kind == ControlKind::Bitmap)
                if (HBITMAP bitmap = bitmapFromResource(item.bitmap)) {
                    shown->bitmaps.push_back(bitmap);
                    SendDlgItemMessageA(dialog, item.id, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
                }
    const INT_PTR handled = shown->procedure(dialog, message, wParam, lParam);
    // Focus stays where the program's procedure put it.
    return message == WM_INITDIALOG ? FALSE : handled;
}

} // namespace

PROC orvGetProcAddress(LPCSTR name)
{
    return resolveProcAddress(name, [](const char* known) -> PROC {
        // The system's call answers entry points beyond OpenGL 1.1 only; opengl32 exports the rest.
        if (PROC found = ::wglGetProcAddress(known))
            return found;
        if (HMODULE module = openGlModule())
            return reinterpret_cast<PROC>(GetProcAddress(module, known));
        return nullptr;
    });
}

INT_PTR orvDialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam)
{
    if (!IS_INTRESOURCE(templateName) || !dialogProc || shownDialog)
        return -1;
    const DialogTemplate* layout = findDialogTemplate(static_cast<int>(reinterpret_cast<uintptr_t>(templateName)));
    if (!layout)
        return -1;
    const std::vector<WORD> words = buildTemplate(*layout);
    ShownDialog shown{layout, dialogProc, {}};
    shownDialog = &shown;
    const INT_PTR result = DialogBoxIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), parent,
                                                   &dialogProcedure, initParam);
    shownDialog = nullptr;
    for (HBITMAP bitmap : shown.bitmaps)
        DeleteObject(bitmap);
    return result;
}

// Windows has one window system: nothing to choose.
void useWindowSystem(WindowSystem) {}
WindowSystem windowSystemInUse() { return WindowSystem::Automatic; }

int orvMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    printAndLog("%s: %s\n", caption ? caption : "", text ? text : "");
    // The text may name a file outside the code page: it is UTF-8, shown through the wide call.
    return MessageBoxW(owner, wideFromUtf8(text ? text : "").c_str(), wideFromUtf8(caption ? caption : "").c_str(), type);
}
