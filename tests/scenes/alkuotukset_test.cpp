// The early creatures and the camera tracks they fly along: the specks' set-up, the fade, the
// three tracks the driver builds, the camera hand-over to the jellyfish scene, and the frames.
#include "toolkit/show_state.h"
#include "runtime/offline.h"
#include "scenes/alkuotukset.h"
#include "shell/camera_tracks.h"
#include "tests/support/capture.h"
#include "tests/support/gl_context.h"
#include "toolkit/camera_rig.h"
#include "toolkit/grey_swimmer.h"
#include "maths/random.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

std::array<float, 16> modelview()
{
    std::array<float, 16> m{};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

// Share of the pixels in the top third of the picture that are lit.
double litShareAtTop(const CapturedFrame& frame)
{
    int lit = 0;
    const int rows = frame.height / 3;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < frame.width; ++x)
            lit += frame.rgba[(static_cast<size_t>(y) * frame.width + x) * 4] > 40;
    return static_cast<double>(lit) / (rows * frame.width);
}

TEST(EarlyCreatures, AThousandGreySpecksContinueTheSequence)
{
    seedRandom(4242);
    for (int i = 0; i < 9000; ++i)
        nextRandom();
    const int after = nextRandom();

    seedRandom(4242);
    ownCameraFlag = false;
    const AlkuotuksetEffect scene(0);
    EXPECT_EQ(nextRandom(), after); // nine values a speck, no reseeding
    EXPECT_TRUE(ownCameraFlag);
    ASSERT_EQ(scene.swimmers.size(), 1000u);
    EXPECT_EQ(scene.cameraTrack, 0);
    EXPECT_EQ(scene.stepTimer.stepMs, 16);
    EXPECT_EQ(scene.swimmers[0].colour.x, scene.swimmers[0].colour.z);
}

TEST(EarlyCreatures, FadesInOverATenthAndOutOverTheLastTwoAndAHalfPercent)
{
    EXPECT_FLOAT_EQ(AlkuotuksetEffect::fadeAt(0.05f), 0.5f);
    EXPECT_FLOAT_EQ(AlkuotuksetEffect::fadeAt(0.1f), 1.0f);
    EXPECT_FLOAT_EQ(AlkuotuksetEffect::fadeAt(0.975f), 1.0f);
    EXPECT_NEAR(AlkuotuksetEffect::fadeAt(0.9875f), 0.5f, 1e-4f);
    EXPECT_NEAR(AlkuotuksetEffect::fadeAt(1.0f), 0.0f, 1e-5f);
}

TEST(CameraTracks, ThreeTracksOverTheFirstFiveMinutesTheSameOnEveryRun)
{
    seedRandom(3);
    buildCameraTracks();
    ASSERT_EQ(cameraRig.trackCount, 3);
    const int keys[] = {10, 20, 40};
    std::vector<Vector3> first[3];
    for (int i = 0; i < 3; ++i) {
        const CameraTrack& track = cameraRig.tracks[static_cast<size_t>(i)];
        EXPECT_EQ(track.startTime, 0);
        EXPECT_EQ(track.endTime, 300000);
        ASSERT_EQ(track.eyeCurve->pointCount(), keys[i]);
        ASSERT_EQ(track.targetCurve->pointCount(), keys[i]);
        // Eyes are keyed from 2.5 up to a fifth of the farthest distance above that; the curve
        // may swing a little past its keys, but never down to the floor.
        const float highest = 2.5f + 0.2f * cameraTrackRecipes[i].farthest;
        for (const Vector3& eye : track.eyeCurve->points) {
            EXPECT_GT(eye.y, 2.0f) << i;
            EXPECT_LT(eye.y, highest + 0.5f) << i;
        }
        first[i] = track.eyeCurve->points;
    }
    nextRandom();
    buildCameraTracks();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(cameraRig.tracks[static_cast<size_t>(i)].eyeCurve->points, first[i]);
}

TEST(EarlyCreaturesCamera, FliesTrackZeroUntilTheFlagIsCleared)
{
    ASSERT_TRUE(openTestWindow());
    buildCameraTracks();
    dmsSetPositionForTest(80000);
    cameraRig.updatePosition();
    AlkuotuksetEffect scene(0);
    scene.init(72000, 150000);
    scene.currentTime = 80000.0f;

    ownCameraFlag = true;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    scene.run();
    const std::array<float, 16> flown = modelview();
    const Vector3 eye = cameraRig.eyePosition(0, 1.0f), target = cameraRig.targetPosition(0);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0, 1, 0);
    const std::array<float, 16> expected = modelview();
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(flown[i], expected[i], 1e-5f) << i;
    EXPECT_NE(eye, cameraRig.tracks[0].eyeCurve->evaluate(0.0f)); // the rig is on its way

    // Without the flag the specks go into whatever camera the scene before them left.
    ownCameraFlag = false;
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    const std::array<float, 16> before = modelview();
    scene.run();
    EXPECT_EQ(modelview(), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(EarlyCreaturesFrames, SpecksDriftAboveTheForestAlongTrackZero)
{
    const CapturedFrame first = captureAt(80000);
    const CapturedFrame later = captureAt(81000);
    ASSERT_TRUE(first.ok && later.ok) << first.log;
    EXPECT_FALSE(first.glErrors()) << first.log;
    const double litFirst = litShareAtTop(first), litLater = litShareAtTop(later);
    EXPECT_GT(litFirst, 0.002); // scattered points, not empty water
    EXPECT_LT(litFirst, 0.1);   // and not a wash
    EXPECT_GT(litLater, 0.002);
    // A second later the camera has moved on: the points are elsewhere.
    int moved = 0;
    for (size_t i = 0; i < first.rgba.size() / 3; i += 4)
        moved += std::abs(first.rgba[i] - later.rgba[i]) > 30;
    EXPECT_GT(moved, 50);
}

} // namespace
