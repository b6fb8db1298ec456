// The spray scene: births tied to the music clock (never more than a batch a frame, none on a
// seek back), the particles' life and size, the paths and the seed its init leaves behind, a
// hostile silhouette mesh, the archive's silhouette as the view shows it and as a viewer sees it
// through the zoom trail, and its frames played from before its start.
#include "scenes/suihke.h"
#include "maths/random.h"
#include "render/gl_entry.h"
#include "tests/support/capture.h"
#include "tests/support/gl_context.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
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
    // The archive is opened first: the runtime keeps the empty mesh a closed archive gives, and
    // the silhouette tests after this one would draw nothing.
    ASSERT_TRUE(openTestWindow(256, 256)) << "needs a display (Xvfb) and the built data.pak";
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

// A set of pixels of the view, top row first.
struct Shape {
    int width = 0, height = 0;
    std::vector<bool> on;
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && on[size_t(y) * width + x]; }
    int area() const { return int(std::count(on.begin(), on.end(), true)); }
    // Pixels of the shape beside one outside it.
    int outline() const
    {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += at(x, y) && (!at(x - 1, y) || !at(x + 1, y) || !at(x, y - 1) || !at(x, y + 1));
        return n;
    }
    // A disc's outline squared is about 16 times its area; a body with limbs has far more.
    double limbs() const { return double(outline()) * outline() / std::max(area(), 1); }
    Shape grown(int steps) const
    {
        Shape g = *this;
        for (int i = 0; i < steps; ++i) {
            const Shape was = g;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    g.on[size_t(y) * width + x] = was.at(x, y) || was.at(x - 1, y) || was.at(x + 1, y) || was.at(x, y - 1) || was.at(x, y + 1);
        }
        return g;
    }
};

// The silhouette as the scene places it at t, drawn white on black and read back: the pixels of
// the view (the window letterboxes the show's aspect).
Shape drawnSilhouette(SuihkeEffect& spray, float t)
{
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
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    const int windowWidth = 256, top = windowWidth - view[1] - view[3];
    Shape shape{view[2], view[3], std::vector<bool>(size_t(view[2]) * view[3])};
    if (frame.size() != size_t(windowWidth) * windowWidth * 4u)
        return shape;
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x)
            shape.on[size_t(y) * shape.width + x] = pixelAt(frame, windowWidth, view[0] + x, top + y).r > 128;
    return shape;
}

// Mean of the brightest channel of a played frame over the pixels of a shape of the same size.
double meanOver(const CapturedFrame& frame, const Shape& shape)
{
    double sum = 0.0;
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x)
            if (shape.at(x, y)) {
                const size_t i = (size_t(y) * frame.width + x) * 4;
                sum += std::max({frame.rgba[i], frame.rgba[i + 1], frame.rgba[i + 2]});
            }
    return sum / std::max(shape.area(), 1);
}

// The archive's mesh drawn as the scene turns it. A viewer recognises it only if all of it is in
// view, its outline is more than a blob (limbs, not a lump: a long outline for its area) and it
// changes as it turns. Late in the scene, in the picture a viewer sees, the zoom trail streaks the
// spray over it: there the silhouette must still stand black against a lit spray around its
// outline, not dark on dark nor filled in.
TEST(SpraySilhouette, TheArchiveMeshStaysInViewWithALimbedOutlineThatTurns)
{
    ASSERT_TRUE(openTestWindow(256, 256)) << "needs a display (Xvfb) and the built data.pak";
    ASSERT_TRUE(gl::fetchMultitexture());
    SuihkeEffect spray;
    ASSERT_TRUE(spray.init(204000, 221500));
    ASSERT_NE(spray.mesh, nullptr);
    ASSERT_GT(spray.mesh->getFaceCount(), 0u) << "the archive's mesh did not load";
    std::vector<Shape> shapes;
    for (const float t : {0.05f, 0.35f, 0.65f, 0.95f}) {
        const Shape shape = drawnSilhouette(spray, t);
        ASSERT_EQ(shape.width, 256) << "the suite's window was opened at another size";
        int onEdge = 0;
        for (int y = 0; y < shape.height; ++y)
            for (int x = 0; x < shape.width; ++x)
                onEdge += shape.at(x, y) && (x < 2 || y < 2 || x >= shape.width - 2 || y >= shape.height - 2);
        EXPECT_GT(shape.area(), 256 * 256 / 200) << t;
        EXPECT_EQ(onEdge, 0) << "cut off by the edge of the view at t = " << t;
        EXPECT_GT(shape.limbs(), 40.0) << "a blob at t = " << t;
        shapes.push_back(shape);
        if (t < 0.6f)
            continue;
        // Played long enough for the spray to be full (a particle lives 8.5 s), at this view's size
        // and aspect, so the silhouette lands on the same pixels.
        const int ms = 204000 + int(std::lround(t * 17500.0f));
        const CapturedFrame seen = capturePlayedAt(ms, 9000, 30, shape.width, shape.height);
        ASSERT_TRUE(seen.ok && seen.width == shape.width && seen.height == shape.height) << seen.log;
        Shape inside = shape, ring = shape.grown(4);
        for (int y = 0; y < shape.height; ++y)
            for (int x = 0; x < shape.width; ++x) {
                // The inside less its edge pixels, which the picture's filtering blends.
                inside.on[size_t(y) * shape.width + x] = shape.at(x, y) && shape.at(x - 1, y) && shape.at(x + 1, y) &&
                                                         shape.at(x, y - 1) && shape.at(x, y + 1);
                ring.on[size_t(y) * shape.width + x] = ring.at(x, y) && !shape.at(x, y);
            }
        const double dark = meanOver(seen, inside), lit = meanOver(seen, ring);
        EXPECT_GT(lit, 3.0 * dark) << "the trail fills the silhouette in at " << ms << " ms";
        EXPECT_GT(lit - dark, 25.0) << "dark on dark at " << ms << " ms";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Between the first and the third view the outline changes: the turn shows.
    int both = 0, either = 0;
    for (size_t i = 0; i < shapes[0].on.size(); ++i) {
        both += shapes[0].on[i] && shapes[2].on[i];
        either += shapes[0].on[i] || shapes[2].on[i];
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
