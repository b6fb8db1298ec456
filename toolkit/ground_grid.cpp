#include "toolkit/ground_grid.h"

#include "render/gl_entry.h"
#include "render/shader_manager.h"
#include "toolkit/show_state.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

// Fraction k / (count - 1), or 0 along an axis of a single vertex (no division by zero).
float gridFraction(int k, int count)
{
    return count > 1 ? static_cast<float>(k) / static_cast<float>(count - 1) : 0.0f;
}

unsigned int textureId(const Texture* texture) { return texture ? static_cast<unsigned int>(texture->getID()) : 0u; }

} // namespace

GroundGrid::GroundGrid(int32_t columns_, int32_t rows_, float halfSize_, float texRepeat, float height)
    : columns(std::max(columns_, 0)), rows(std::max(rows_, 0)), halfSize(halfSize_)
{
    const Vector3 q0(-halfSize, height, -halfSize);
    const Vector3 q1(halfSize, height, -halfSize);
    const Vector3 q2(halfSize, height, halfSize);
    const Vector3 q3(-halfSize, height, halfSize);
    vertices.reserve(static_cast<size_t>(columns) * rows);
    texCoords.reserve(vertices.capacity());
    for (int i = 0; i < rows; ++i) {
        const float v = gridFraction(i, rows);
        const Vector3 left = q0 + (q3 - q0) * v;
        const Vector3 right = q1 + (q2 - q1) * v;
        for (int j = 0; j < columns; ++j) {
            const float u = gridFraction(j, columns);
            vertices.push_back(left + (right - left) * u);
            texCoords.push_back({texRepeat * u, texRepeat * v});
        }
    }
}

void GroundGrid::computeShade(float exponent, float radiusFactor)
{
    const float radius = radiusFactor * halfSize;
    shade.resize(vertices.size());
    for (size_t k = 0; k < vertices.size(); ++k) {
        const float d = vertices[k].length();
        const float s = d > radius ? 0.0f : 1.0f - d / radius;
        shade[k] = std::pow(s, exponent);
    }
    shaded = true;
}

void GroundGrid::draw(const Texture* floor, const Texture* normalMap, const Vector3& lightPosition,
                      float brightness) const
{
    ShaderProgram* ground = shaderManager ? shaderManager->getShader("ground") : nullptr;
    if (ground)
        ground->bind();
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureId(floor));
    gl::glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureId(normalMap));
    if (ground) {
        ground->setUniform1i("texture0", 0);
        ground->setUniform1i("normal0", 1);
        ground->setUniform4f("minColor", groundMinColor.x, groundMinColor.y, groundMinColor.z, brightness);
    }

    glDisable(GL_BLEND);
    glPushAttrib(GL_LIGHTING_BIT);
    const GLfloat light[4] = {lightPosition.x, lightPosition.y, lightPosition.z, 0.0f}; // directional
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    if (!shaded) {
        // Without a shade the floor takes one flat colour; the floor texture goes on the unit
        // that is active here, which is the normal map's.
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, textureId(floor));
        glColor3f(brightness, brightness, brightness);
    }
    drawStrips(brightness);
    glPopAttrib();

    ShaderProgram::unbind();
    glDisable(GL_TEXTURE_2D);
    gl::glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
}

void GroundGrid::drawStrips(float brightness) const
{
    // Unshaded, the strips take the current colour, as immediate-mode strips would.
    for (int i = 0; i + 1 < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            for (int row = i; row <= i + 1; ++row) {
                const size_t k = static_cast<size_t>(row) * columns + j;
                if (shaded) {
                    const float g = brightness * shade[k];
                    strips.color(g, g, g);
                }
                strips.texCoord(texCoords[k].s, texCoords[k].t);
                strips.vertex(vertices[k]);
            }
        }
        strips.endPrimitive();
    }
    strips.draw();
}
