// The fish ("fisut", 150 s to 167 s): one large fish swims in place close to a dimly lit sea
// floor. Its mesh bends in a travelling wave, the floor scrolls beneath it, animated caustics play
// over floor and fish, and the fish casts a real-time shadow onto the floor through a depth map
// seen from a light. 750 coloured motes drift through the black water; the camera sways around
// the fish's head and swings in from one side and out to the other. The frame ends in the glow.
#pragma once

#include "maths/matrix44.h"
#include "runtime/dms.h"
#include "toolkit/ground_grid.h"
#include "toolkit/vertex_batch.h"

#include <vector>

// ---------------------------------------------------------------------------------------------
// Data types

// Where the eye is and what it and the light look at.
struct FishCamera {
    Vector3 eye;
    Vector3 centre;
};

// Two caustic frames (1..32) and the blend weight between them.
struct CausticFrames {
    int a = 1, b = 2;
    float weight = 0.0f;
};

// ---------------------------------------------------------------------------------------------
// The scene

class FisutEffect : public Base {
public:
    enum class Pass { shadow, colour };

    T3D* fish = nullptr;
    std::vector<T3DVertex> deformed; // one per mesh vertex; only the positions are used
    int moteCount = 750;
    std::vector<Vector3> motes; // start positions, never changed
    GroundGrid floor{0, 0, 0.0f, 0.0f, 0.0f};

    // Recomputed every frame.
    float swimPhase = 0.0f;
    float waveScale = 1.2f;
    float sidewaysAmplitude = 0.4f;
    float verticalAmplitude = 0.2f;
    FishCamera camera;
    Vector3 lightPosition{-0.057f, 0.42f, 0.095f};
    Matrix44 lightProjection; // GL matrices captured in the shadow pass
    Matrix44 lightView;

    // Reused every frame. The bent fish's corners, three per valid face, built once a frame and
    // drawn in both passes.
    VertexBatch floorBatch{GL_TRIANGLE_STRIP};
    VertexBatch moteBatch{GL_QUADS};
    std::vector<float> fishPositions, fishNormals, fishTexCoords;

    FisutEffect();
    ~FisutEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override; // does nothing: run renders

    // In over the first tenth, out over the last (slope 9.999998, not 10).
    static float fadeAt(float t);
    // The camera's fade offset: zero at full alpha, to +x/+z before the middle and -x/-z after.
    static Vector3 sideOffset(float t, float alpha);
    static FishCamera cameraAt(float t, float alpha);
    static float swimPhaseAt(int musicMs);
    static CausticFrames causticFramesAt(float t);
    // A mote shifted along x, wrapped back by 2 while beyond 1.
    static Vector3 wrapMote(Vector3 m);

    void render(float t, float alpha);
    void swimDeform();
    Vector3 deformVertex(const Vector3& p) const;
    void drawWorld(float t, float alpha, Pass pass);

private:
    void drawFloor(float t, Pass pass);
    void drawFish(float t, Pass pass);
    void drawMotes(float t, float alpha);
    void loadShadowTextureMatrix() const;
    void drawFishArrays() const;
    bool faceIsValid(const T3DFace& face) const;
};
