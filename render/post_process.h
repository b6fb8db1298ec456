// The full-screen passes scenes end their frame with. A scene calls beginCapture, draws into the
// 1024 capture texture, then exactly one of glowPass, metaPass or zoomTrailPass, which ends the
// capture and puts the picture on the window. noiseOverlay may lay grain over the window after.
//
// Every pass leaves depth test and depth writes on and the 3D projection back; blending stays on
// (additive after glow and meta, alpha blending after the grain), and scenes rely on that.
#pragma once

#include <cstdint>

class PostProcess {
public:
    // Redirects drawing into the capture texture; clear wipes its colour and depth.
    static void beginCapture(bool clear);
    // Adds the capture and a blurred, reduced copy of it (times glowAmount) to the window. mode 0
    // blurs along both axes, 1 only x, 2 only y; a negative darkenAlpha skips the darkening
    // (otherwise the reduced copy holds c * c * darkenAlpha before the blur). captureEmpty is the
    // caller's word that nothing was drawn since beginCapture(true): the pass may then reuse the
    // reduction of the last empty capture. A second pass over an unchanged capture reuses its
    // reduction by itself.
    static void glowPass(int32_t iterations, float xoff, float yoff, float blurAlpha, float darkenAlpha,
                         float glowAmount, int32_t mode, bool captureEmpty = false);
    // Adds the capture, recoloured by the "meta" program, to the window.
    static void metaPass();
    // A radial streak whose trail carries over from frame to frame; replaces the window's picture.
    static void zoomTrailPass();
    // One of the grain textures over the window with the given opacity. It reseeds the random
    // generator from the music position (new grain every 50 ms, the same on replay).
    static void noiseOverlay(float alpha);
};

// The program-wide object; it holds no state of its own.
extern PostProcess postProcess;
