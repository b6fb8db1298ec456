// Dialogs shown with GTK 3: the real backend's half of platform/emulated/dialog_window.h.
#pragma once

#include "platform/emulated/dialog_window.h"

// The primary monitor in screen pixels; empty without a display.
RECT gtkDesktopRect();
// Measured on the dialog's font as the desktop renders it.
DialogUnits gtkDialogUnits(const DialogTemplate& resource);
// False when GTK cannot reach a display.
bool gtkOpenDialog(DialogWindow& dialog);
void gtkRefreshDialog(DialogWindow& dialog, DialogControl* control);
// Runs GTK's loop until the dialog ends; SIGINT and SIGTERM meanwhile work as the close box.
void gtkRunDialog(DialogWindow& dialog);
void gtkCloseDialog(DialogWindow& dialog);
