// The early creatures ("alkuotukset", 72 s to 150 s): a thousand small grey specks that drift and
// pulse, drawn as soft additive points straight into the window. Until the jellyfish scene takes
// the camera, the scene flies its own along a track of the camera rig; afterwards its specks
// appear in whatever camera the drawing before them left.
#pragma once

#include "runtime/dms.h"
#include "toolkit/step_timer.h"
#include "toolkit/swimmer.h"
#include "toolkit/vertex_batch.h"

#include <cstdint>
#include <vector>

class AlkuotuksetEffect : public Base {
public:
    int32_t cameraTrack;
    std::vector<Swimmer> swimmers;
    StepTimer stepTimer;
    VertexBatch points{GL_POINTS}; // reused from frame to frame

    // The specks take the generator's next 9000 values at this point of start-up.
    explicit AlkuotuksetEffect(int32_t cameraTrack);
    ~AlkuotuksetEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;

    // Fade by relative time: in over the first tenth, out over the last 2.5 %.
    static float fadeAt(float t);
    // One simulation step of every speck.
    void simulate();
};
