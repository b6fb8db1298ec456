// The clamps and ramps that turn time into fade and easing factors.
#pragma once

// lo when v is below lo or not a number, hi when above hi, else v.
float clamp(float v, float lo, float hi);
// 0 up to start, 1 from end on, linear between.
float rampLinear(float t, float start, float end);
// Quarter-cosine ease from 0 to 1 across [start, end]; values below 0.001 snap to 0.
float rampEaseIn(float t, float start, float end);
// Half a sine across the open window (start, end), times amplitude, clamped to [0, 1].
float sinePulse(float t, float start, float end, float amplitude);
// A scene's fade by its relative time t: t * riseSlope up to riseEnd, 1 in the middle, and from
// fallStart to 1 times (1 - (t - fallStart) * fallSlope). Each scene gives its own four numbers.
float sceneFade(float t, float riseEnd, float riseSlope, float fallStart, float fallSlope);
