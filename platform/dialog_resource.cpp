#include "platform/dialog_resource.h"

#include <cmath>

namespace {

// Resource 101: the setup dialog shown before the show.
const DialogTemplate setupDialog{
    101,
    "Velmora::Quillon - Orvalune",
    "MS Sans Serif",
    8,
    219,
    151,
    {
        {103, ControlKind::Bitmap, "", 1, 1, 213, 64, 103},
        {noControlId, ControlKind::GroupBox, "Resolution", 4, 66, 111, 26},
        {1023, ControlKind::DropDownList, "", 8, 75, 101, 65},
        {noControlId, ControlKind::GroupBox, "Aspect ratio", 141, 66, 69, 26},
        {1022, ControlKind::DropDownList, "", 145, 75, 58, 65},
        {noControlId, ControlKind::GroupBox, "", 4, 96, 207, 26},
        {1005, ControlKind::CheckBox, "Fullscreen", 10, 105, 47, 9},
        {1007, ControlKind::CheckBox, "Always on top", 61, 105, 62, 9},
        {1008, ControlKind::CheckBox, "Old NVidia", 125, 105, 50, 9},
        {IDOK, ControlKind::DefaultPushButton, "Play", 5, 127, 151, 14},
        {IDCANCEL, ControlKind::PushButton, "Quit", 161, 127, 52, 14},
        // Shown only when the display offers nothing to play in.
        {1030, ControlKind::Text, "No 32-bit display mode found", 5, 142, 208, 8, 0, false},
    },
};

const DialogTemplate* const templates[] = {&setupDialog};

// Windows' MulDiv: the product over the divisor, halves rounded away from zero.
int mulDiv(int value, int numerator, int denominator)
{
    return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}

} // namespace

const DialogTemplate* findDialogTemplate(int id)
{
    for (const DialogTemplate* dialog : templates)
        if (dialog->id == id)
            return dialog;
    return nullptr;
}

RECT dialogUnitsToPixels(int x, int y, int width, int height, DialogUnits units)
{
    RECT r;
    r.left = mulDiv(x, units.baseX, 4);
    r.top = mulDiv(y, units.baseY, 8);
    r.right = mulDiv(x + width, units.baseX, 4);
    r.bottom = mulDiv(y + height, units.baseY, 8);
    return r;
}
