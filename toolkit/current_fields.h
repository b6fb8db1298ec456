// Water currents: smooth periodic drift fields that carry bubbles and tentacles. The y
// component is never positive, so carried things sink gently while x and z meander.
#pragma once

#include "runtime/dms.h"

// Drift of field kind 0..3 at p for the given phase; any other kind has no current (0, 0, 0).
Vector3 currentField(int kind, const Vector3& p, float phase);
// The sway that bends fronds and stalks, by the scene's relative time t (0 to 1): the shape of
// field 0 on a finer grid with a faster clock. Callers scale it down.
Vector3 swayOffset(const Vector3& p, float t);
