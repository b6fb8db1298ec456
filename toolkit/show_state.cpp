#include "toolkit/show_state.h"

Vector fogColor;
Vector3 groundMinColor;

void setFogColor(Vector3 color)
{
    if (color.x < 0.0f)
        color = Vector3(0.01f, 0.01f, 0.03f);
    fogColor = Vector(color);
    groundMinColor = color;
}

CameraRig cameraRig(3);
std::vector<Swimmer> sharedSwimmers;
bool ownCameraFlag = false;
float jellyBeat = 0.0f;
int swimmerStepCounter = 0;
Vector3 cameraPosition;
