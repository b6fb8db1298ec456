// The first use of every program and render target, done at start-up. The driver compiles a
// program's machine code for each combination of state at its first draw, not at link time, and
// a frame buffer's storage is set up at its first binding: without this the first frame of every
// scene waits for both.
#pragma once

// Draws each program, and the fixed-function pipeline in the blendings and textures the scenes
// use, into every target and the window, through an empty scissor box: no pixel is written, and
// every GL state it touches is put back as it was.
void warmUpGl();
