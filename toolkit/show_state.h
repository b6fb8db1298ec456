// The process-wide state that scenes share. Everything else a scene keeps is its own.
// Each item says who writes it and who reads it; nothing else may touch it.
#pragma once

#include "runtime/dms.h"
#include "toolkit/camera_rig.h"
#include "toolkit/swimmer.h"

#include <vector>

// Written by setFogColor (the driver at start-up, most scenes every frame); read by the driver's
// clear and fade-out quad.
extern Vector fogColor;
// The same colour, written by setFogColor; read by the ground grid, which fades the floor into it.
extern Vector3 groundMinColor;
// A negative red component stands for the default deep-water colour (0.01, 0.01, 0.03).
void setFogColor(Vector3 color);

// Tracks built by the driver at start-up, position refreshed by the driver before every frame;
// read by the scenes that fly along a track.
extern CameraRig cameraRig;

// Built by fillSharedSwimmers from the creatures scene's constructor at start-up; stepped and
// drawn by the jellyfish, creatures and ropes scenes.
extern std::vector<Swimmer> sharedSwimmers;

// Raised by every grey-swimmer set-up; cleared each frame by the jellyfish scene, after which the
// early creatures draw in the jellyfish scene's camera.
extern bool ownCameraFlag;

// The smoothed music level: written by the jellyfish scene every frame; read by it for its
// emitters.
extern float jellyBeat;
// Counts the jellyfish scene's steps so that the shared swimmers move on every fourth; written
// and read by the jellyfish scene.
extern int swimmerStepCounter;

// The eye position: written by a scene before it draws bubbles with the near fade; read by
// BubbleEmitter::draw.
extern Vector3 cameraPosition;
