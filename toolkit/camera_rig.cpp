#include "toolkit/camera_rig.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>


namespace {
// Probes per unit of t when the paths are measured for even spacing.
constexpr int resampleProbes = 1000;
} // namespace

CameraRig::CameraRig(int trackCount_) : trackCount(std::max(trackCount_, 0)), tracks(static_cast<size_t>(trackCount)) {}

const CameraTrack* CameraRig::find(int track) const
{
    if (track < 0 || track >= trackCount || !tracks[static_cast<size_t>(track)].eyeCurve)
        return nullptr;
    return &tracks[static_cast<size_t>(track)];
}

CameraTrack* CameraRig::find(int track)
{
    return const_cast<CameraTrack*>(static_cast<const CameraRig*>(this)->find(track));
}

void CameraRig::updatePosition() { position = dmsGetModulePosition(); }

void CameraRig::setTrackWindow(int track, int startTime, int endTime)
{
    if (track < 0 || track >= trackCount)
        return;
    CameraTrack& t = tracks[static_cast<size_t>(track)];
    t.eyeCurve = std::make_unique<SplinePath>();
    t.targetCurve = std::make_unique<SplinePath>();
    t.startTime = startTime;
    t.endTime = endTime;
    t.eyeCurve->clear();
    t.targetCurve->clear();
}

void CameraRig::addEyeKey(int track, const Vector3& p)
{
    if (CameraTrack* t = find(track))
        t->eyeCurve->addPoint(p);
}

void CameraRig::addTargetKey(int track, const Vector3& p)
{
    if (CameraTrack* t = find(track))
        t->targetCurve->addPoint(p);
}

void CameraRig::finishCurves(int track)
{
    if (CameraTrack* t = find(track)) {
        t->eyeCurve->bake();
        t->targetCurve->bake();
    }
}

void CameraRig::resampleEye(int track)
{
    if (CameraTrack* t = find(track))
        t->eyeCurve->resample(0, resampleProbes);
}

void CameraRig::resampleTarget(int track)
{
    if (CameraTrack* t = find(track))
        t->targetCurve->resample(0, resampleProbes);
}

float CameraRig::trackProgress(int track) const
{
    if (track < 0 || track >= trackCount)
        return 0.0f;
    const CameraTrack& t = tracks[static_cast<size_t>(track)];
    // An empty window has no inside: the camera sits on one end or the other.
    if (t.endTime <= t.startTime)
        return position < t.endTime ? 0.0f : 1.0f;
    const float u = static_cast<float>(position - t.startTime) / static_cast<float>(t.endTime - t.startTime);
    return std::clamp(u, 0.0f, 1.0f);
}

Vector3 CameraRig::eyePosition(int track, float scale) const
{
    const CameraTrack* t = find(track);
    return t ? t->eyeCurve->evaluate(trackProgress(track)) * scale : Vector3();
}

Vector3 CameraRig::targetPosition(int track) const
{
    const CameraTrack* t = find(track);
    return t ? t->targetCurve->evaluate(trackProgress(track)) : Vector3();
}

void CameraRig::placeCamera(int track, float scale) const
{
    if (!find(track))
        return;
    const Vector3 eye = eyePosition(track, scale);
    const Vector3 target = targetPosition(track);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0.0, 1.0, 0.0);
}
