// The first use of every program and render target, spread over the show's first frames. The
// driver compiles a program's machine code for each combination of state at its first draw, not
// at link time, and a frame buffer's storage is set up at its first binding: without this the
// first frame of every scene waits for both. Done all at once, it would take seconds at start-up
// on a software renderer; one piece a frame during the opening costs each frame a fraction of
// its own time, and everything is ready long before the second scene.
#pragma once

// Draws the next piece (one program, one blending of the fixed-function pipeline with the
// textures the scenes use, the smoothed lines and points, or every target) through an empty
// scissor box: no pixel is written, and every GL state it touches is put back as it was.
// False once everything has been drawn.
bool warmUpGlStep();
