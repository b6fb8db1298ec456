// The start-up checks of the GL driver: logs the implementation, insists on every extension the
// show needs, fetches the entry points of render/gl_entry.h and creates the render targets.
// Anything missing ends the process at once after a message box; there is no fallback path.
#pragma once

// Runs once, after the runtime has opened the window and before the shader manager is created.
void initGl();

// Test seam: when set, initGl reads this text instead of the driver's extension string
// (nullptr returns to the driver).
void setExtensionStringOverride(const char* extensions);
