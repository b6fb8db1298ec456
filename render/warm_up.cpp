#include "render/warm_up.h"

#include "render/draw_state_replay.h"
#include "render/draw_state_text.h"
#include "render/gl_entry.h"
#include "render/render_targets.h"

#include <GL/gl.h>

#include <chrono>
#include <utility>
#include <vector>

namespace {

// The states a played run of the whole show drew in, in the order first drawn: written by
// orvalune-capture --record-draw-states (see bench/README.md) and pasted here.
const char* const recordedStates[] = {
#include "render/warm_up_states.inc"
    nullptr};

void emptyQuad()
{
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i)
        glVertex2f(static_cast<float>(i & 1), static_cast<float>(i >> 1));
    glEnd();
}

// Binds each target once with its first texture and takes its attachments off again after, as
// they were before any binding.
void warmUpTargets()
{
    const RenderTargets& t = renderTargets;
    const struct {
        void (*bind)(GLuint);
        GLuint fbo, texture;
    } targets[] = {{bindTextureFBO1024, t.fbo1024, t.tex1024a},
                   {bindTextureFBO512, t.fbo512, t.tex512a},
                   {bindTextureFBO256, t.fbo256, t.tex256a},
                   {bindTextureFBO128, t.fbo128, t.tex128a}};
    for (const auto& target : targets) {
        target.bind(target.texture);
        glScissor(0, 0, 0, 0);
        emptyQuad();
        gl::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, 0, 0);
        gl::glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, 0);
    }
    bindDepthFBO();
    glScissor(0, 0, 0, 0);
    emptyQuad();
    unbindFBO();
}

// Runs one piece of warm-up with every GL state it touches put back: the attribute stacks hold
// the fixed state (scissor, blending, enables, texture bindings and units, colour, viewport), the
// matrices are pushed, and the program and frame buffer go back to what they were.
template <typename Piece>
void isolated(const Piece& piece)
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 0, 0);
    piece();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
    gl::glUseProgramObjectARB(static_cast<GLhandleARB>(program));
    // No glFinish: the driver compiles as the draw is made, here, and the frame's own drawing
    // goes on in its threads meanwhile.
}

} // namespace

const std::vector<GlDrawState>& warmUpDrawStates()
{
    static const std::vector<GlDrawState> states = [] {
        std::vector<GlDrawState> parsed;
        for (const char* line : recordedStates) {
            GlDrawState state;
            if (line && parseDrawState(line, state))
                parsed.push_back(std::move(state));
        }
        return parsed;
    }();
    return states;
}

void warmUpGlFor(int budgetMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(budgetMs);
    while (Clock::now() < end && warmUpGlStep()) {
    }
}

namespace {
std::size_t nextPiece = 0;
bool skipped = false;
} // namespace

bool warmUpGlStep()
{
    if (skipped)
        return false;
    const std::vector<GlDrawState>& states = warmUpDrawStates();
    const std::size_t piece = nextPiece++;
    if (piece == 0) {
        isolated(warmUpTargets);
    } else if (piece <= states.size()) {
        isolated([&] { drawInState(states[piece - 1]); });
    } else {
        nextPiece = piece; // done; stays done
        return false;
    }
    return true;
}

void skipGlWarmUp() { skipped = true; }
