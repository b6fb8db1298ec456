// Camera tracks laid over windows of music time: each an eye path and a target path. The driver
// builds the global cameraRig at start-up and refreshes its music position every frame before
// the effects run; scenes place the GL camera on one of its tracks.
#pragma once

#include "runtime/dms.h"
#include "toolkit/spline_path.h"

#include <cstdint>
#include <memory>
#include <vector>

struct CameraTrack {
    int32_t startTime = 0, endTime = 0; // ms of music the track runs over
    std::unique_ptr<SplinePath> eyeCurve;    // null until setTrackWindow
    std::unique_ptr<SplinePath> targetCurve;
};

class CameraRig {
public:
    int32_t position = 0; // music position in ms as last read
    int trackCount;
    std::vector<CameraTrack> tracks;

    explicit CameraRig(int trackCount);

    // position = dmsGetModulePosition().
    void updatePosition();
    // Gives the track new, empty eye and target paths over the window [startTime, endTime].
    void setTrackWindow(int track, int startTime, int endTime);
    void addEyeKey(int track, const Vector3& p);
    void addTargetKey(int track, const Vector3& p);
    // Freezes the eye path, then the target path.
    void finishCurves(int track);
    // Respaces the path's points evenly along the curve, keeping their number.
    void resampleEye(int track);
    void resampleTarget(int track);

    // How far along its window the track is at the current position, clamped to [0, 1]: the
    // camera rests on the first key before the window and on the last key after it.
    float trackProgress(int track) const;
    // The eye (scaled) and the target at the current position; (0, 0, 0) for a track without paths.
    Vector3 eyePosition(int track, float scale) const;
    Vector3 targetPosition(int track) const;
    // Loads the identity and looks from the eye to the target with y up. A track number outside
    // the rig, or a track never given a window, leaves the camera alone.
    void placeCamera(int track, float scale) const;

private:
    const CameraTrack* find(int track) const;
    CameraTrack* find(int track);
};

