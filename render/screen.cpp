#include "render/screen.h"

#include "render/draw_state.h"
#include "runtime/dms.h"

#include <GL/gl.h>

void drawScreenQuad(float r, float g, float b, float a)
{
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    dmsPerspective2D(1, 1);
    glLoadIdentity();
    glColor4f(r, g, b, a);
    drawUnitSquare();
    dmsPerspective3D();
    glLoadIdentity();
}

void drawUnitSquare()
{
    noteDraw(GL_QUADS, layoutPosition2);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(1.0f, 0.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(0.0f, 1.0f);
    glEnd();
}
