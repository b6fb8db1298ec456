// The program's dialog resources: each dialog's layout once, as data, in dialog units, as a
// resource script would give it. Backends lay it out in pixels.
#pragma once

#include "platform/win32.h"

#include <vector>

enum class ControlKind {
    Bitmap,            // a picture from a bitmap resource
    GroupBox,          // a frame with an optional title
    Text,              // one line of text
    DropDownList,      // a list to pick one entry from, with a vertical scroll bar
    CheckBox,          // ticks and unticks itself when clicked
    PushButton,
    DefaultPushButton, // the one Enter presses
};

// The controls that Tab stops at.
inline bool isTabStop(ControlKind kind)
{
    return kind == ControlKind::DropDownList || kind == ControlKind::CheckBox || kind == ControlKind::PushButton ||
           kind == ControlKind::DefaultPushButton;
}

constexpr int noControlId = -1; // decorations the procedure never addresses

struct DialogItem {
    int id = noControlId;
    ControlKind kind = ControlKind::Text;
    const char* text = ""; // the caption; for a bitmap, empty
    int x = 0, y = 0, width = 0, height = 0; // dialog units; a list's height includes its drop-down
    int bitmap = 0;        // the bitmap resource of a Bitmap
    bool visible = true;   // hidden ones wait for ShowWindow
};

struct DialogTemplate {
    int id = 0;
    const char* caption = "";
    const char* fontFace = "";
    int fontPoints = 8;
    int width = 0, height = 0; // dialog units, the client area
    std::vector<DialogItem> items; // in tab order
};

// A dialog resource of the program, or null.
const DialogTemplate* findDialogTemplate(int id);

// Dialog units are a quarter of the font's average character width across and an eighth of its
// height down; Windows' 8-point dialog font on a 96-dpi screen gives 6 x 13 pixels.
struct DialogUnits {
    int baseX = 6, baseY = 13;
};
// The pixel rectangle of a rectangle in dialog units (rounded as Windows rounds).
RECT dialogUnitsToPixels(int x, int y, int width, int height, DialogUnits units);
