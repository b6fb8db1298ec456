#include "toolkit/camera_rig.h"

#include <gtest/gtest.h>

namespace {

// A rig with one straight track along x over the show's window [0, 300000]: eye keys at
// x = 0 .. 9, targets the same keys lifted by 1.
CameraRig straightRig()
{
    CameraRig rig(1);
    rig.setTrackWindow(0, 0, 300000);
    for (int k = 0; k < 10; ++k) {
        rig.addEyeKey(0, Vector3(static_cast<float>(k), 2, 0));
        rig.addTargetKey(0, Vector3(static_cast<float>(k), 3, 0));
    }
    rig.finishCurves(0);
    rig.resampleEye(0);
    rig.resampleTarget(0);
    return rig;
}

TEST(CameraRig, ProgressFollowsTheWindowAndRestsAtItsEnds)
{
    CameraRig rig = straightRig();
    rig.position = 150000;
    EXPECT_FLOAT_EQ(rig.trackProgress(0), 0.5f);
    rig.position = 320000;
    EXPECT_FLOAT_EQ(rig.trackProgress(0), 1.0f);
    rig.position = -500; // a seek before the start
    EXPECT_FLOAT_EQ(rig.trackProgress(0), 0.0f);
    rig.position = 75000;
    EXPECT_FLOAT_EQ(rig.trackProgress(0), 0.25f);
}

TEST(CameraRig, EyeAndTargetComeFromTheResampledPaths)
{
    CameraRig rig = straightRig();
    const CameraTrack& track = rig.tracks[0];
    EXPECT_EQ(track.eyeCurve->pointCount(), 10); // resampling keeps the count
    EXPECT_TRUE(track.eyeCurve->pending.empty());

    rig.position = 150000;
    const Vector3 eye = rig.eyePosition(0, 1.0f);
    EXPECT_EQ(eye, track.eyeCurve->evaluate(0.5f));
    EXPECT_NEAR(eye.y, 2.0f, 1e-4f);
    EXPECT_NEAR(rig.targetPosition(0).y, 3.0f, 1e-4f);
    // The scale moves the eye only, about the origin.
    const Vector3 far = rig.eyePosition(0, 2.0f);
    EXPECT_FLOAT_EQ(far.x, 2.0f * eye.x);
    EXPECT_EQ(rig.targetPosition(0), track.targetCurve->evaluate(0.5f));

    // Past the window the camera rests on the end of the curve.
    rig.position = 999999;
    EXPECT_EQ(rig.eyePosition(0, 1.0f), track.eyeCurve->evaluate(1.0f));
}

TEST(CameraRig, MissingTracksAndEmptyWindowsAreHarmless)
{
    CameraRig rig(2);
    EXPECT_EQ(rig.eyePosition(1, 1.0f), Vector3()); // never given a window
    EXPECT_EQ(rig.eyePosition(5, 1.0f), Vector3());
    EXPECT_EQ(rig.targetPosition(-1), Vector3());
    rig.addEyeKey(7, Vector3(1, 1, 1)); // ignored
    rig.setTrackWindow(1, 5000, 5000);
    rig.position = 4999;
    EXPECT_EQ(rig.trackProgress(1), 0.0f);
    rig.position = 5000;
    EXPECT_EQ(rig.trackProgress(1), 1.0f);

    // setTrackWindow starts a track afresh.
    rig.addEyeKey(1, Vector3(1, 2, 3));
    rig.setTrackWindow(1, 0, 10);
    EXPECT_TRUE(rig.tracks[1].eyeCurve->pending.empty());
}

} // namespace
