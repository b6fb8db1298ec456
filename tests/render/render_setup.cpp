#include "tests/render/render_setup.h"

#include "render/gl_capabilities.h"
#include "render/shader_manager.h"
#include "runtime/dms.h"
#include "tests/support/gl_context.h"
#include "maths/random.h"

#include <cstdio>
#include <cstdlib>

const RenderSetup& renderSetup()
{
    static const RenderSetup setup = [] {
        RenderSetup s;
        s.ok = openTestWindow(testWidth, testHeight);
        if (!s.ok)
            return s;
        LogCapture log;
        seedRandom(1);
        initGl();
        shaderManager = ShaderManager::create();
        s.startLog = log.lines;
        return s;
    }();
    return setup;
}

std::string extensionsWithout(const std::string& part)
{
    std::string text = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part))
        text.erase(at, part.size());
    return text;
}

namespace {
Rgba readPixel(int x, int y)
{
    unsigned char p[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}
} // namespace

Rgba windowPixel(int x, int y) { return pixelAt(readTestFrame(), testWidth, x, testHeight - 1 - y); }

Rgba targetPixel(int x, int y) { return readPixel(x, y); }

std::vector<float> currentMatrix(GLenum which)
{
    std::vector<float> m(16);
    glGetFloatv(which, m.data());
    return m;
}

std::vector<float> perspective3DMatrix()
{
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    dmsPerspective3D();
    std::vector<float> m = currentMatrix(GL_PROJECTION_MATRIX);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(mode));
    return m;
}

void orthoOverWindow(double left, double right, double bottom, double top, double zNear, double zFar)
{
    glViewport(0, 0, testWidth, testHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void restoreShowView()
{
    dmsResetViewport();
    dmsPerspective3D();
    glLoadIdentity();
}
