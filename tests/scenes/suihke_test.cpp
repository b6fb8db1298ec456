// The spray scene: births tied to the music clock (never more than a batch a frame, none on a
// seek back), the particles' life and size, the paths and the seed its init leaves behind, a
// hostile silhouette mesh, the archive's silhouette as the view shows it, and its frames played
// from before its start.
#include "scenes/suihke.h"
#include "maths/random.h"
#include "render/gl_entry.h"
#include "tests/support/capture.h"
#include "tests/support/gl_context.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>

namespace {

// Batches born while the clock runs from `from` to `to` at `fps`, frames at whole milliseconds
// as the runtime reports them.
int batchesPlayed(int from, int to, int fps)
{
    SuihkeEffect spray;
    int batches = 0;
    const int frames = (to - from) * fps / 1000;
    for (int i = 0; i <= frames; ++i)
        batches += spray.emissionDue(spray.advanceClock(from + i * 1000 / fps));
    return batches;
}

TEST(SprayEmission, FirstFrameOnlyStartsTheClock)
{
    SuihkeEffect spray;
    EXPECT_EQ(spray.advanceClock(204000), 0.0f);
    EXPECT_FALSE(spray.emissionDue(0.0f));
    EXPECT_FLOAT_EQ(spray.emitCountdown, 0.01f);
    // The next frame with more than 0.01 ms elapsed brings the first batch.
    EXPECT_TRUE(spray.emissionDue(spray.advanceClock(204001)));
    EXPECT_EQ(spray.emitCountdown, 30.0f);
}

TEST(SprayEmission, ALongFrameBringsOneBatchAndRestartsTheCountdown)
{
    SuihkeEffect spray;
    spray.advanceClock(205000);
    spray.emissionDue(0.0f);
    EXPECT_TRUE(spray.emissionDue(spray.advanceClock(205100)));
    EXPECT_EQ(spray.emitCountdown, 30.0f);
    EXPECT_FALSE(spray.emissionDue(spray.advanceClock(205120)));
    EXPECT_EQ(spray.emitCountdown, 10.0f);
}

TEST(SprayEmission, BirthsFollowMusicTimeNotFrames)
{
    // Two seconds of music give sixty batches at 30 and at 60 frames a second.
    EXPECT_EQ(batchesPlayed(204000, 206000, 30), 60);
    EXPECT_EQ(batchesPlayed(204000, 206000, 60), 60);
    // Never more than one batch per 30 ms, however fast the frames come.
    EXPECT_LE(batchesPlayed(204000, 206000, 240), 2000 / 30 + 1);
}

TEST(SprayEmission, SeekBackIsNoTimeAndGrowsNothing)
{
    SuihkeEffect spray;
    spray.advanceClock(210000);
    EXPECT_EQ(spray.advanceClock(205000), 0.0f); // five seconds back
    EXPECT_EQ(spray.lastEmitClock, 205000.0f);
    EXPECT_EQ(spray.advanceClock(205016), 16.0f);

    // A particle stepped through the same frames keeps losing life and speed.
    seedRandom(7);
    SprayParticle p = SuihkeEffect::spawnSprayParticle(Vector3(), Vector3());
    SuihkeEffect clock;
    float life = p.life, speed = p.velocity.length();
    for (int ms : {210000, 210016, 209016, 208016, 208032, 208048}) {
        SuihkeEffect::stepSprayParticle(p, clock.advanceClock(ms));
        EXPECT_LE(p.life, life) << ms;
        EXPECT_LE(p.velocity.length(), speed) << ms;
        life = p.life;
        speed = p.velocity.length();
    }
    EXPECT_EQ(p.life, 8500.0f - 48.0f);
}

TEST(SprayParticles, BornNearThePathWithRandomSpeedAndTenDraws)
{
    seedRandom(99);
    const Vector3 at(3.0f, -2.0f, 20.0f);
    for (int i = 0; i < 200; ++i) {
        const SprayParticle p = SuihkeEffect::spawnSprayParticle(at, Vector3());
        EXPECT_LE(std::fabs(p.position.x - at.x), 0.25f);
        EXPECT_LE(std::fabs(p.position.z - at.z), 0.25f);
        // No direction from the path: (-0.5..0.5)^3 times 0.5..3.
        EXPECT_LE(p.velocity.length(), std::sqrt(0.75f) * 3.0f);
        EXPECT_EQ(p.life, 8500.0f);
        EXPECT_GE(p.size, 0.5f);
        EXPECT_LE(p.size, 1.0f);
        EXPECT_GE(p.brightness, 0.7f);
    }
    seedRandom(5);
    SuihkeEffect::spawnSprayParticle(at, Vector3());
    const int after = nextRandom();
    seedRandom(5);
    for (int i = 0; i < 10; ++i)
        nextRandom();
    EXPECT_EQ(nextRandom(), after);
}

TEST(SprayParticles, ShrinkOverTheirLifeAndAreDrawnOnceMoreAtTheEnd)
{
    SprayParticle p;
    p.life = 8500.0f;
    p.size = 0.8f;
    EXPECT_FLOAT_EQ(SuihkeEffect::sprayHalfSize(p), 0.4f);
    EXPECT_TRUE(SuihkeEffect::stepSprayParticle(p, 4250.0f));
    EXPECT_FLOAT_EQ(SuihkeEffect::sprayHalfSize(p), 0.2f);
    EXPECT_TRUE(SuihkeEffect::stepSprayParticle(p, 4250.0f)); // exactly 0 still lives
    EXPECT_FALSE(SuihkeEffect::stepSprayParticle(p, 1.0f));

    p.big = false;
    EXPECT_EQ(SuihkeEffect::sprayColour(p, 5.0f), Vector3(0.13f, 0.35f, 0.55f));
    p.big = true;
    EXPECT_EQ(SuihkeEffect::sprayColour(p, 0.0f), Vector3(0.13f, 0.35f, 0.55f));
    const Vector3 pale = SuihkeEffect::sprayColour(p, 1.0f); // 1.5 * beat capped at 1
    EXPECT_FLOAT_EQ(pale.x, 0.53f);
    EXPECT_FLOAT_EQ(pale.z, 0.45f);
}

TEST(SprayCamera, BacksFromFortyFiveToTwenty)
{
    EXPECT_EQ(SuihkeEffect::eyeAt(0.0f), Vector3(0, 0, 45));
    EXPECT_EQ(SuihkeEffect::eyeAt(1.0f), Vector3(0, 0, 20));
    EXPECT_EQ(SuihkeEffect::silhouetteAngle(0.0f), 105.0f);
    EXPECT_GT(SuihkeEffect::silhouetteAxis(0.0f).length(), 0.2f);
}

TEST(SprayLayout, PathsRunFromTheFarSquareToTheOriginAndTheSeedIsLeftAtTwentyThree)
{
    seedRandom(4242);
    SuihkeEffect spray;
    spray.init(204000, 221500);
    for (const SplinePath& path : spray.sprayPaths) {
        ASSERT_EQ(path.pointCount(), 12);
        EXPECT_EQ(path.points[0].z, 29.0f);
        for (int ring = 0; ring < 10; ++ring) {
            const Vector3& q = path.points[static_cast<size_t>(ring + 1)];
            EXPECT_NEAR(q.z, 29.0f - 2.0f * static_cast<float>(ring), 1.25f);
            EXPECT_LE(std::fabs(q.x), 4.0f);
        }
        EXPECT_EQ(path.points[11], Vector3());
        // Births run along the rings, from z = 29 to z = 11.
        EXPECT_NEAR(path.evaluate(0.0f).z, 29.0f, 1.25f);
        EXPECT_NEAR(path.evaluate(1.0f).z, 11.0f, 1.25f);
    }
    EXPECT_TRUE(spray.sprayParticles.empty());
    EXPECT_EQ(spray.lastEmitClock, -1.0f);
    // Later set-ups continue from seed 23 and 65 vectors of three draws.
    const int next = nextRandom();
    seedRandom(23);
    for (int i = 0; i < 65 * 3; ++i)
        nextRandom();
    EXPECT_EQ(nextRandom(), next);
}

TEST(SpraySilhouette, FacesNamingMissingVerticesGetZerosAndTheRestStayInTheBox)
{
    T3D mesh;
    mesh.vertices.resize(3);
    mesh.vertices[1].position = Vector3(2, 0, 0);
    mesh.vertices[2].position = Vector3(0, 4, 0);
    T3DFace good;
    good.a = 0, good.b = 1, good.c = 2;
    T3DFace bad = good;
    bad.c = 3;
    mesh.faces = {good, bad};
    const std::vector<SilhouetteFace> data = SuihkeEffect::silhouetteFaceData(mesh);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_FLOAT_EQ(data[0].values.x, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(data[0].values.y, 1.0f / 3.0f);
    EXPECT_EQ(data[0].values.z, 0.0f); // a flat mesh: no division by its zero depth
    EXPECT_EQ(data[1].values, Vector3());
    EXPECT_EQ(SuihkeEffect::silhouetteFaceData(T3D()).size(), 0u);
}

// The archive's mesh drawn as the scene turns it, in white on black and read back. A viewer
// recognises it only if all of it is in view, its outline is more than a blob (limbs, not a
// lump: a long outline for its area) and it changes as it turns.
TEST(SpraySilhouette, TheArchiveMeshStaysInViewWithALimbedOutlineThatTurns)
{
    ASSERT_TRUE(openTestWindow(256, 256)) << "needs a display (Xvfb) and the built data.pak";
    ASSERT_TRUE(gl::fetchMultitexture());
    SuihkeEffect spray;
    ASSERT_TRUE(spray.init(204000, 221500));
    ASSERT_NE(spray.mesh, nullptr);
    const int size = 256;
    std::vector<std::vector<bool>> shapes;
    for (const float t : {0.05f, 0.35f, 0.65f, 0.95f}) {
        dmsPerspective3D();
        glMatrixMode(GL_MODELVIEW);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 1, 1);
        spray.drawSilhouette(t);
        const std::vector<uint8_t> frame = readTestFrame();
        ASSERT_EQ(frame.size(), size_t(size) * size * 4u) << "the suite's window was opened at another size";
        std::vector<bool> lit(size_t(size) * size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                lit[size_t(y) * size + x] = pixelAt(frame, size, x, y).r > 128;
        // The view is the viewport (the window letterboxes the show's aspect), top row first.
        GLint view[4];
        glGetIntegerv(GL_VIEWPORT, view);
        const int left = view[0], right = view[0] + view[2], top = size - view[1] - view[3], bottom = size - view[1];
        int area = 0, outline = 0, onEdge = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                if (!lit[size_t(y) * size + x])
                    continue;
                ++area;
                onEdge += x < left + 2 || y < top + 2 || x >= right - 2 || y >= bottom - 2;
                const auto dark = [&](int u, int v) { return u < 0 || v < 0 || u >= size || v >= size || !lit[size_t(v) * size + u]; };
                outline += dark(x - 1, y) || dark(x + 1, y) || dark(x, y - 1) || dark(x, y + 1);
            }
        EXPECT_GT(area, size * size / 200) << t;
        EXPECT_EQ(onEdge, 0) << "cut off by the edge of the view at t = " << t;
        // A disc's outline squared is about 16 times its area; a body with limbs has far more.
        EXPECT_GT(double(outline) * outline / area, 40.0) << "a blob at t = " << t;
        shapes.push_back(lit);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Between the first and the third view the outline changes: the turn shows.
    int both = 0, either = 0;
    for (size_t i = 0; i < shapes[0].size(); ++i) {
        both += shapes[0][i] && shapes[2][i];
        either += shapes[0][i] || shapes[2][i];
    }
    EXPECT_LT(double(both) / either, 0.7);
}

TEST(SprayFrames, TrailsOfBlueParticlesAfterPlayingInTheSameEachTime)
{
    // Played from before the start at 30 frames a second, the pace the births assume.
    const std::vector<CapturedFrame> played = capturePlayed(203900, 207000, 30, {204000, 207000});
    for (const CapturedFrame& frame : played)
        ASSERT_TRUE(frame.ok) << frame.log;
    EXPECT_EQ(played[0].log.find("GL error"), std::string::npos) << played[0].log;
    const CapturedFrame& first = played[0];
    const CapturedFrame& later = played[1];
    // The first frame has only started the clock: the cleared trail shows nothing.
    EXPECT_LT(first.shareBrighterThan(8), 0.001);
    // Three seconds of births, streaked outwards: a blue haze over much of the picture.
    EXPECT_GT(later.shareBrighterThan(12), 0.1);
    EXPECT_GT(later.meanChannel(2), later.meanChannel(0) * 1.5);
    // Births follow the music clock: played again, the haze is the same to the byte.
    const std::vector<CapturedFrame> again = capturePlayed(203900, 207000, 30, {207000});
    ASSERT_TRUE(again[0].ok) << again[0].log;
    EXPECT_EQ(again[0].rgba, later.rgba);
}

} // namespace
