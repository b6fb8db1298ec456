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

ScriptedBackend* childBackend = nullptr;
struct ExpectedBox {
    std::string text, caption;
    UINT type;
};
ExpectedBox* expectedBox = nullptr;

void reportBoxes()
{
    const auto& boxes = childBackend->boxes;
    if (!expectedBox) {
        std::fputs(boxes.empty() ? "NO BOX\n" : "UNEXPECTED BOX\n", stderr);
        return;
    }
    if (boxes.size() == 1 && boxes[0].text == expectedBox->text && boxes[0].caption == expectedBox->caption &&
        boxes[0].type == expectedBox->type) {
        std::fputs("BOX OK\n", stderr);
        return;
    }
    for (const auto& box : boxes)
        std::fprintf(stderr, "BOX SHOWN caption [%s] type 0x%x text [%s]\n", box.caption.c_str(), box.type,
                     box.text.c_str());
    std::fprintf(stderr, "BOX MISMATCH (%zu shown)\n", boxes.size());
}

void installChildBackend(const std::vector<std::string>& missingProcs)
{
    childBackend = new ScriptedBackend;
    childBackend->missingProcs = missingProcs;
    setActiveBackend(childBackend);
    std::atexit(reportBoxes);
}

} // namespace

void expectBoxAtExit(const std::string& text, const std::string& caption, UINT type,
                     const std::vector<std::string>& missingProcs)
{
    expectedBox = new ExpectedBox{text, caption, type};
    installChildBackend(missingProcs);
}

void expectNoBoxAtExit() { installChildBackend({}); }

namespace {
Pixel readPixel(int x, int y)
{
    unsigned char p[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}
} // namespace

Pixel windowPixel(int x, int y)
{
    const std::vector<uint8_t> frame = readTestFrame();
    const Rgba p = pixelAt(frame, testWidth, x, testHeight - 1 - y);
    return {p.r, p.g, p.b, p.a};
}

Pixel targetPixel(int x, int y) { return readPixel(x, y); }

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
