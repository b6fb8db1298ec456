// Driver workarounds chosen in the setup dialog.
#pragma once

// "Old NVidia": the fish floor is built from its "_nv7" shader files and the depth scenes set the
// shadow comparison on the depth texture themselves; the greetings and credits draw without their
// water program. False unless the box is ticked.
extern bool oldNvidia;
