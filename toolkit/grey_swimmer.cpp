#include "toolkit/show_state.h"
#include "toolkit/grey_swimmer.h"

#include "maths/random.h"
#include "toolkit/vertex_batch.h"

#include <GL/gl.h>


void initGreySwimmer(Swimmer& swimmer)
{
    ownCameraFlag = true;
    placeSwimmer(swimmer, 8.0f, 0.0045f, 0.007f);
    const float g = randomRange(0.3f, 0.5f);
    swimmer.colour = Vector3(g, g, g);
    startSwimmerPulse(swimmer);
}

void drawSwimmerPoint(const Swimmer& swimmer, float alpha)
{
    const Vector3& c = swimmer.colour;
    glColor4f(c.x, c.y, c.z, swimmerAlpha(swimmer, alpha));
    const Vector3 p = swimmer.wanderer.getPosition();
    glVertex3f(p.x, p.y, p.z);
}

void drawSwimmerPoint(VertexBatch& batch, const Swimmer& swimmer, float alpha)
{
    const Vector3& c = swimmer.colour;
    batch.color(c.x, c.y, c.z, swimmerAlpha(swimmer, alpha));
    batch.vertex(swimmer.wanderer.getPosition());
}

Swimmer greySpeck(int index)
{
    Swimmer speck;
    initGreySwimmer(speck);
    if (index % 6 == 0)
        speck.wanderer.setSpeed(randomRange(0.03f, 0.1f));
    return speck;
}
