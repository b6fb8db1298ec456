// A batch must draw exactly what the immediate-mode blocks it replaces draw: the scenes' pictures
// may not change by a single byte when they move to batches.
#include "toolkit/vertex_batch.h"

#include "runtime/dms.h"
#include "tests/support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

constexpr int size = 256;

std::vector<uint8_t> render(const std::function<void()>& drawing)
{
    glClearColor(0.0f, 0.0f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.0, 1.0, -1.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    drawing();
    glFinish();
    return readTestFrame();
}

// A ring of overlapping translucent quads, strips and points, each vertex coloured by its place.
void eachShape(const std::function<void(int mode, int shape, int k, float x, float y, float r, float g)>& emit)
{
    for (int shape = 0; shape < 40; ++shape) {
        const float a = static_cast<float>(shape) * 0.157f;
        for (int k = 0; k < 4; ++k) {
            const float x = 0.6f * std::cos(a) + 0.21f * static_cast<float>(k % 2) - 0.1f;
            const float y = 0.6f * std::sin(a) + 0.17f * static_cast<float>(k / 2 == (k % 2) ? 0 : 1) - 0.08f;
            emit(shape % 3, shape, k, x, y, 0.1f + 0.02f * static_cast<float>(shape), 0.25f * static_cast<float>(k));
        }
    }
}

TEST(VertexBatch, DrawsTheSamePixelsAsImmediateModeBlocks)
{
    ASSERT_TRUE(openTestWindow(size, size)) << "needs a display (Xvfb)";
    const GLenum modes[3] = {GL_QUADS, GL_LINE_STRIP, GL_POINTS};
    glPointSize(3.0f);
    const std::vector<uint8_t> immediate = render([&] {
        for (int m = 0; m < 3; ++m) {
            glBegin(modes[m]);
            eachShape([&](int mode, int, int, float x, float y, float r, float g) {
                if (mode != m)
                    return;
                glColor4f(r, g, 0.5f, 0.6f);
                glVertex3f(x, y, 0.0f);
            });
            glEnd();
        }
        // Line strips are one per shape: a block each.
        eachShape([&](int mode, int, int k, float x, float y, float r, float g) {
            if (mode != 1)
                return;
            if (k == 0)
                glBegin(GL_LINE_STRIP);
            glColor4f(g, r, 0.2f, 1.0f);
            glVertex3f(x * 0.5f, y * 0.5f, 0.0f);
            if (k == 3)
                glEnd();
        });
    });

    VertexBatch quads(GL_QUADS), points(GL_POINTS), strips(GL_LINE_STRIP), allStrips(GL_LINE_STRIP);
    const std::vector<uint8_t> batched = render([&] {
        VertexBatch* batches[3] = {&quads, &strips, &points};
        for (int m = 0; m < 3; ++m) {
            eachShape([&](int mode, int, int, float x, float y, float r, float g) {
                if (mode != m)
                    return;
                batches[m]->color(r, g, 0.5f, 0.6f);
                batches[m]->vertex(x, y, 0.0f);
            });
            batches[m]->draw();
        }
        eachShape([&](int mode, int, int k, float x, float y, float r, float g) {
            if (mode != 1)
                return;
            allStrips.color(g, r, 0.2f, 1.0f);
            allStrips.vertex(Vector3(x * 0.5f, y * 0.5f, 0.0f));
            if (k == 3)
                allStrips.endPrimitive();
        });
        allStrips.draw();
    });
    ASSERT_EQ(immediate.size(), batched.size());
    int lit = 0;
    for (size_t i = 0; i < immediate.size(); i += 4)
        lit += immediate[i] > 0;
    EXPECT_GT(lit, 1000) << "the shapes must cover part of the picture";
    EXPECT_TRUE(immediate == batched) << "a batch changed the picture";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(VertexBatch, TakesAndLeavesTheCurrentAttributesAsImmediateModeDoes)
{
    ASSERT_TRUE(openTestWindow(size, size)) << "needs a display (Xvfb)";
    // The first two vertices come before any colour: they take the current one.
    const auto drawImmediate = [] {
        glColor4f(0.3f, 0.6f, 0.9f, 1.0f);
        glBegin(GL_QUADS);
        glVertex3f(-0.5f, -0.5f, 0.0f);
        glVertex3f(0.5f, -0.5f, 0.0f);
        glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
        glVertex3f(0.5f, 0.5f, 0.0f);
        glColor4f(0.0f, 1.0f, 0.0f, 0.5f);
        glVertex3f(-0.5f, 0.5f, 0.0f);
        glEnd();
    };
    VertexBatch batch(GL_QUADS);
    const auto drawBatched = [&] {
        glColor4f(0.3f, 0.6f, 0.9f, 1.0f);
        batch.vertex(-0.5f, -0.5f, 0.0f);
        batch.vertex(0.5f, -0.5f, 0.0f);
        batch.color(1.0f, 0.0f, 0.0f);
        batch.vertex(0.5f, 0.5f, 0.0f);
        batch.color(0.0f, 1.0f, 0.0f, 0.5f);
        batch.vertex(-0.5f, 0.5f, 0.0f);
        batch.draw();
    };
    EXPECT_TRUE(render(drawImmediate) == render(drawBatched));
    float color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[1], 1.0f) << "the last colour given stays current, as after glEnd";
    EXPECT_FLOAT_EQ(color[3], 0.5f);
    EXPECT_TRUE(batch.empty());
    GLboolean arrayOn = GL_TRUE;
    glGetBooleanv(GL_COLOR_ARRAY, &arrayOn);
    EXPECT_FALSE(arrayOn) << "client arrays are switched off again";
}

// Large textured quads under perspective, partly behind the eye, each with its own colour given
// before its block, as the smoke, the flares and the descent's sprites give theirs.
std::vector<uint8_t> renderTexturedQuads(const std::function<void(int quad, const float* st, const float* xyz)>& corner,
                                         const std::function<void(int quad)>& beforeQuad,
                                         const std::function<void()>& after)
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.1, 0.1, -0.1, 0.1, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-70.0f, 1.0f, 0.3f, 0.0f);
    glTranslatef(0.0f, 0.0f, -3.0f);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    for (int q = 0; q < 30; ++q) {
        beforeQuad(q);
        const float x = -1.0f + 0.07f * static_cast<float>(q), y = -0.8f + 0.05f * static_cast<float>(q);
        const float st[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        const float xyz[4][3] = {{x, y, 0}, {x + 2.9f, y, 0}, {x + 2.9f, y + 9.7f, 0}, {x, y + 9.7f, 0}};
        for (int k = 0; k < 4; ++k)
            corner(q, st[k], xyz[k]);
    }
    after();
    glFinish();
    glDisable(GL_TEXTURE_2D);
    return readTestFrame();
}

TEST(VertexBatch, ColoursGivenOutsideBlocksDrawAsImmediateModeDrawsThem)
{
    ASSERT_TRUE(openTestWindow(size, size)) << "needs a display (Xvfb)";
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    std::vector<uint8_t> texels(64 * 64 * 4);
    for (size_t i = 0; i < texels.size(); ++i)
        texels[i] = static_cast<uint8_t>((i * 37) % 251);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const auto blue = [](int q) { return 0.05f + 0.013f * static_cast<float>(q % 4); };

    const std::vector<uint8_t> immediate = renderTexturedQuads(
        [](int, const float* st, const float* xyz) {
            glTexCoord2fv(st);
            glVertex3fv(xyz);
        },
        [&](int q) {
            if (q > 0)
                glEnd();
            glColor3f(0.09f, 0.09f, blue(q));
            glBegin(GL_QUADS);
        },
        [] { glEnd(); });
    VertexBatch outside(GL_QUADS), perVertex(GL_QUADS);
    const auto batched = [&](VertexBatch& batch, bool asOutside) {
        return renderTexturedQuads(
            [&](int, const float* st, const float* xyz) {
                batch.texCoord(st[0], st[1]);
                batch.vertex(xyz[0], xyz[1], xyz[2]);
            },
            [&](int q) {
                if (asOutside)
                    batch.colorOutside(0.09f, 0.09f, blue(q));
                else
                    batch.color(0.09f, 0.09f, blue(q));
            },
            [&] { batch.draw(); });
    };
    EXPECT_TRUE(immediate == batched(outside, true)) << "colours given outside blocks changed the picture";
    // The reason for colorOutside: a plain per-vertex colour rounds differently here.
    EXPECT_FALSE(immediate == batched(perVertex, false)) << "the case no longer tells the two apart";
    glDeleteTextures(1, &texture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
