// The sea floor: a flat square grid of vertices with texture coordinates and an optional radial
// shade that darkens it towards its edge. Scenes draw it straight into the window, before their
// capture, with the "ground" program, a floor texture and a normal map; the floor fades into the
// current fog colour.
#pragma once

#include "runtime/dms.h"
#include "toolkit/vertex_batch.h"

#include <cstdint>
#include <vector>

struct GroundTexCoord {
    float s = 0.0f, t = 0.0f;
};

class GroundGrid {
public:
    bool shaded = false; // computeShade has run
    int32_t columns;     // vertices per row
    int32_t rows;
    std::vector<Vector3> vertices;         // row by row: vertex (i, j) is i * columns + j
    std::vector<GroundTexCoord> texCoords; // same indexing
    float halfSize;
    std::vector<float> shade; // 0..1 per vertex; empty until computeShade

    // Rows run along z and columns along x over the square of the given half size at the given
    // height; the texture repeats texRepeat times across it. Negative counts make an empty grid.
    GroundGrid(int32_t columns, int32_t rows, float halfSize, float texRepeat, float height);

    // Brightness 1 at the origin falling to 0 at radiusFactor * halfSize, raised to exponent.
    void computeShade(float exponent, float radiusFactor);
    // Draws with the "ground" program: floor on unit 0, normal map on unit 1, a directional light
    // from lightPosition, and brightness as the floor's strength. Blending is left off and
    // texturing off on both units, with unit 0 active.
    void draw(const Texture* floor, const Texture* normalMap, const Vector3& lightPosition, float brightness) const;

    const std::vector<float>& getShade() const { return shade; }
    const std::vector<Vector3>& getVertices() const { return vertices; }
    const std::vector<GroundTexCoord>& getTexCoords() const { return texCoords; }
    int32_t getColumns() const { return columns; }
    int32_t getRows() const { return rows; }

private:
    void drawStrips(float brightness) const;

    mutable VertexBatch strips{GL_QUAD_STRIP}; // reused from frame to frame
};
