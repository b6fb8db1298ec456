// The GL state between effects: what every effect may assume when its run begins, and what it
// must leave when its run ends, so that the next effect (or the driver's clear and swap) finds
// the same.
//
// Contract, a line per item; the same at every effect's entry and exit:
//   program            0: the fixed-function pipeline; a scene that draws with programs unbinds.
//   frame buffer       the window's (the capture's own stands for it), not a render target.
//   viewport           the letterboxed picture rectangle (dmsResetViewport).
//   projection         the 3D perspective (dmsPerspective3D after any dmsPerspective2D).
//   matrix mode        GL_MODELVIEW, with the matrix and attribute stacks at their base.
//   texture units      unit 0 active, for server and client state; units 1 and up with
//                      GL_TEXTURE_2D off.
//   depth              writes on; the function GL_LEQUAL or GL_LESS.
//   colour mask        all channels written.
//   client arrays      none enabled; no vertex or index buffer bound.
//   fixed function     lighting, fog, alpha test, culling, scissor and stencil tests and point
//                      sprites off.
// Inherited, not reset between effects, so not part of the contract: blending, its function and
// the depth test are what the last pass or scene left. The passes leave blending on and the depth
// test on; the opening and return scenes leave the depth test off; before the first pass of a run
// GL's own defaults hold (both off). Several scenes draw their first objects in whatever blend
// function the previous pass left.
// Each effect's own to set before it draws: bound textures, texture matrices, the current colour,
// line width, point size, smoothing and the shade model.
//
// The check reads the state around every effect's run and never changes it: debug builds watch
// every run, and the capture tool does with --check-gl-state (the test suite plays the whole show
// so).
#pragma once

#include <string>
#include <utility>
#include <vector>

// The items of the contract as GL holds them now, by name, each a small integer (a flag, an
// enum, or a count), read without changing any state.
std::vector<std::pair<const char*, int>> readEffectGlState();

// The first item that departs from the contract, as "name is V (want W)"; empty when none.
std::string departureFromEffectGlState(const std::vector<std::pair<const char*, int>>& state);

// Watches every effect's entry and exit from now on (the runtime calls it around each run) and
// logs the first departure, naming the effect and whether it found or left it; later departures
// are counted, not logged. unwatch stops.
void watchEffectGlState();
void unwatchEffectGlState();
// watchEffectGlState in debug builds; nothing otherwise.
void watchEffectGlStateInDebugBuilds();
// The first departure seen ("" when none), and how many entries and exits departed.
const std::string& firstEffectGlStateDeparture();
int effectGlStateDepartures();
