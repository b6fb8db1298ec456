// The per-frame entry the credits and the greetings share: each captures its own picture seen
// through its own ripple, and the glow pass adds it to the window over the scene beneath.
#pragma once

#include "render/shader_manager.h"
#include "runtime/dms.h"

// Fade by relative time: in over the first quarter, out over the last 15 %.
float waterPictureFade(float t);
// Binds "greetwater" with its ripple on unit 0 and its picture on unit 1; null, with nothing
// bound, for the old-driver path or without the program.
ShaderProgram* bindWaterPictureProgram();
// t and the fade of the effect, the capture, the effect's own draw, then the glow pass.
void runWaterPicture(Base& effect);
