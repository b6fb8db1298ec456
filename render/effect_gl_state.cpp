#include "render/effect_gl_state.h"

#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "runtime/dms.h"
#include "runtime/offline.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <initializer_list>

namespace {

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

int enabled(GLenum capability) { return glIsEnabled(capability) ? 1 : 0; }

// 1 when the frame buffer bound is one of the render targets; the window's, or the capture's own
// that stands for it, is 0.
int renderTargetBound()
{
    const GLuint fbo = static_cast<GLuint>(integer(GL_FRAMEBUFFER_BINDING_EXT));
    const RenderTargets& t = renderTargets;
    if (fbo == 0 || !t.created)
        return 0;
    for (GLuint target : {t.fbo1024, t.fbo512, t.fbo256, t.fbo128, t.depthFbo})
        if (fbo == target)
            return 1;
    return 0;
}

// 1 for a perspective projection (the bottom row is 0 0 -1 0), 0 for anything else.
int perspectiveProjection()
{
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    return m[3] == 0.0f && m[7] == 0.0f && m[11] == -1.0f && m[15] == 0.0f;
}

int viewport(int i)
{
    GLint v[4] = {};
    glGetIntegerv(GL_VIEWPORT, v);
    return v[i];
}

int pictureRect(int i)
{
    int rect[4] = {};
    dmsGetPictureRect(rect);
    return rect[i];
}

// Texture units 1 and up with GL_TEXTURE_2D on; the active unit is put back.
int upperUnitsEnabled()
{
    if (!gl::glActiveTextureARB)
        return 0;
    const GLint active = integer(GL_ACTIVE_TEXTURE_ARB);
    const int units = std::min(8, std::max(1, static_cast<int>(integer(GL_MAX_TEXTURE_UNITS_ARB))));
    int on = 0;
    for (int u = 1; u < units; ++u) {
        gl::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + u));
        on += enabled(GL_TEXTURE_2D);
    }
    gl::glActiveTextureARB(static_cast<GLenum>(active));
    return on;
}

int colorMask()
{
    GLboolean mask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    return mask[0] | mask[1] << 1 | mask[2] << 2 | mask[3] << 3;
}

int depthMask()
{
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    return mask ? 1 : 0;
}

int clientArraysEnabled()
{
    int on = 0;
    for (GLenum array : {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY})
        on += enabled(array);
    return on;
}

// One item of the contract: how to read it, and the values it may have.
struct Item {
    const char* name;
    int (*read)();
    int (*want)();    // the one value wanted, or
    int allowed[2];   // when want is null: either of these
};

int zero() { return 0; }
int one() { return 1; }

const Item items[] = {
    {"program", [] { return static_cast<int>(integer(GL_CURRENT_PROGRAM)); }, zero, {}},
    {"render target bound", renderTargetBound, zero, {}},
    {"viewport x", [] { return viewport(0); }, [] { return pictureRect(0); }, {}},
    {"viewport y", [] { return viewport(1); }, [] { return pictureRect(1); }, {}},
    {"viewport width", [] { return viewport(2); }, [] { return pictureRect(2); }, {}},
    {"viewport height", [] { return viewport(3); }, [] { return pictureRect(3); }, {}},
    {"perspective projection", perspectiveProjection, one, {}},
    {"matrix mode", [] { return static_cast<int>(integer(GL_MATRIX_MODE)); }, [] { return int{GL_MODELVIEW}; }, {}},
    {"modelview stack depth", [] { return static_cast<int>(integer(GL_MODELVIEW_STACK_DEPTH)); }, one, {}},
    {"projection stack depth", [] { return static_cast<int>(integer(GL_PROJECTION_STACK_DEPTH)); }, one, {}},
    {"attribute stack depth", [] { return static_cast<int>(integer(GL_ATTRIB_STACK_DEPTH)); }, zero, {}},
    {"active texture unit", [] { return static_cast<int>(integer(GL_ACTIVE_TEXTURE_ARB)) - GL_TEXTURE0_ARB; }, zero, {}},
    {"client active texture unit",
     [] { return static_cast<int>(integer(GL_CLIENT_ACTIVE_TEXTURE_ARB)) - GL_TEXTURE0_ARB; }, zero, {}},
    {"texture units above 0 enabled", upperUnitsEnabled, zero, {}},
    {"depth writes", depthMask, one, {}},
    {"depth function", [] { return static_cast<int>(integer(GL_DEPTH_FUNC)); }, nullptr, {GL_LEQUAL, GL_LESS}},
    {"colour mask", colorMask, [] { return 15; }, {}},
    {"client arrays enabled", clientArraysEnabled, zero, {}},
    {"vertex buffer bound", [] { return static_cast<int>(integer(GL_ARRAY_BUFFER_BINDING_ARB)); }, zero, {}},
    {"index buffer bound", [] { return static_cast<int>(integer(GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB)); }, zero, {}},
    {"lighting", [] { return enabled(GL_LIGHTING); }, zero, {}},
    {"fog", [] { return enabled(GL_FOG); }, zero, {}},
    {"alpha test", [] { return enabled(GL_ALPHA_TEST); }, zero, {}},
    {"face culling", [] { return enabled(GL_CULL_FACE); }, zero, {}},
    {"scissor test", [] { return enabled(GL_SCISSOR_TEST); }, zero, {}},
    {"stencil test", [] { return enabled(GL_STENCIL_TEST); }, zero, {}},
    {"point sprites", [] { return enabled(GL_POINT_SPRITE_ARB); }, zero, {}},
};

bool accepted(const Item& item, int value)
{
    if (item.want)
        return value == item.want();
    return value == item.allowed[0] || value == item.allowed[1];
}

std::string describe(const Item& item, int value)
{
    std::string text = std::string(item.name) + " is " + std::to_string(value) + " (want ";
    if (item.want)
        return text + std::to_string(item.want()) + ")";
    return text + std::to_string(item.allowed[0]) + " or " + std::to_string(item.allowed[1]) + ")";
}

struct Watch {
    std::string first;
    int departures = 0;
};
Watch watch;

void onEffect(const TimelineEntry& entry, bool entering, void*)
{
    const std::string departure = departureFromEffectGlState(readEffectGlState());
    if (departure.empty())
        return;
    if (++watch.departures > 1)
        return;
    watch.first = std::string(entering ? "entering" : "leaving") + " \"" + entry.name + "\" (" +
                  std::to_string(entry.start) + ".." + std::to_string(entry.end) + ") at " +
                  std::to_string(dmsGetModulePosition()) + " ms: " + departure;
    dmsMsg("GL state between effects: %s\n", watch.first.c_str());
}

} // namespace

std::vector<std::pair<const char*, int>> readEffectGlState()
{
    std::vector<std::pair<const char*, int>> state;
    state.reserve(std::size(items));
    for (const Item& item : items)
        state.emplace_back(item.name, item.read());
    return state;
}

std::string departureFromEffectGlState(const std::vector<std::pair<const char*, int>>& state)
{
    for (const Item& item : items)
        for (const auto& [name, value] : state)
            if (name == item.name && !accepted(item, value))
                return describe(item, value);
    return {};
}

void watchEffectGlState()
{
    watch = {};
    dmsSetEffectWatcher(onEffect, nullptr);
}

void watchEffectGlStateInDebugBuilds()
{
    // Set by the build: 1 in debug builds.
    if (ORV_WATCH_EFFECT_GL_STATE)
        watchEffectGlState();
}

void unwatchEffectGlState() { dmsSetEffectWatcher(nullptr, nullptr); }

const std::string& firstEffectGlStateDeparture() { return watch.first; }
int effectGlStateDepartures() { return watch.departures; }
