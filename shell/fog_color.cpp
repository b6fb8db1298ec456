#include "shell/fog_color.h"

Vector fogColor;
Vector3 groundMinColor;

void setFogColor(Vector3 color)
{
    if (color.x < 0.0f)
        color = Vector3(0.01f, 0.01f, 0.03f);
    fogColor = Vector(color);
    groundMinColor = color;
}
