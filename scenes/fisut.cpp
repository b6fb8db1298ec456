#include "scenes/fisut.h"

#include "maths/ramps.h"
#include "maths/random.h"
#include "render/driver_flags.h"
#include "render/draw_state.h"
#include "render/gl_entry.h"
#include "render/post_process.h"
#include "render/render_targets.h"
#include "render/shader_manager.h"
#include "toolkit/scene_kit.h"
#include "toolkit/show_state.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float floorAngleDegrees = 35.0f;
constexpr float floorAngle = 0.6108652334660292f; // the same in radians
constexpr float fishScale = 0.00059f * 1.25f;
constexpr float bendStart = -5.0f; // mesh x where the body starts to bend

// Binds the archive texture on a unit and enables 2D texturing there; the unit stays active.
void bindOnUnit(int unit, const char* name)
{
    gl::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
    glEnable(GL_TEXTURE_2D);
    bindArchiveTexture(name);
}

void disableUnits(int highest)
{
    for (int unit = highest; unit >= 0; --unit) {
        gl::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
        glDisable(GL_TEXTURE_2D);
    }
}

void causticName(char (&name)[16], int frame) { std::snprintf(name, sizeof name, "cau_0%02d.jpg", frame); }

// Unit 0 holds the light's depth map. With "Old NVidia" the texture compares by itself.
void bindDepthMap()
{
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, renderTargets.depthTexture);
    if (oldNvidia) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE_ARB, GL_COMPARE_R_TO_TEXTURE_ARB);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC_ARB, GL_LEQUAL);
    }
}

// Called with the depth map still bound on unit 0.
void resetDepthCompare()
{
    if (!oldNvidia)
        return;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE_ARB, GL_NONE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC_ARB, GL_LEQUAL);
}

void setLight0Position(const Vector3& p)
{
    const GLfloat position[4] = {p.x, p.y, p.z, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}

ShaderProgram* program(const char* name) { return shaderManager ? shaderManager->getShader(name) : nullptr; }

Matrix44 currentMatrix(GLenum which)
{
    float m[16];
    glGetFloatv(which, m);
    return Matrix44(m);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Set-up

FisutEffect::FisutEffect() = default;

FisutEffect::~FisutEffect() = default;

bool FisutEffect::init(unsigned long start, unsigned long end)
{
    fish = dmsGetObject("fisu.t3d");
    deformed.assign(fish ? fish->getVertexCount() : 0u, T3DVertex());

    floor = GroundGrid(50, 50, 0.6f, 5.5f, -0.01f);
    floor.computeShade(1.0f, 0.35f);

    moteCount = 750;
    seedRandom(23343);
    motes.assign(static_cast<size_t>(moteCount), Vector3());
    for (Vector3& mote : motes) {
        Vector3 p = Vector3(randomCenteredVector()) * 1.15f;
        p.y = randomRange(0.015f, 1.15f * 0.08f);
        p.x = randomRange(-2.05f, 1.15f);
        mote = p;
    }
    return Base::init(start, end);
}

void FisutEffect::run()
{
    setFogColor(Vector3(0.0f, 0.0f, 0.0f)); // black water
    const float t = sceneTime(*this);
    const float alpha = fadeAt(t);
    waveScale = 1.2f;
    sidewaysAmplitude = 0.4f;
    verticalAmplitude = 0.2f;
    render(t, alpha);
    glColor3f(1.0f, 1.0f, 1.0f);
}

void FisutEffect::draw(float, float) {}

float FisutEffect::fadeAt(float t) { return sceneFade(t, 0.1f, 10.0f, 0.9f, 9.999998f); }

Vector3 FisutEffect::sideOffset(float t, float alpha)
{
    const float k = (1.0f - alpha) * (1.0f - alpha) * (1.0f - alpha);
    const float sign = t <= 0.5f ? 0.25f : -0.25f;
    return Vector3(0.16f, 0.0f, 0.99f) * k * sign;
}

FishCamera FisutEffect::cameraAt(float t, float alpha)
{
    const float s = 1.0f - std::sin(1.57f * t);
    const Vector3 base = Vector3(0.09f - (1.25f - s * s) * 0.045f, 0.19f, 0.13f) * 0.9f;
    const Vector3 side = sideOffset(t, alpha);
    const Vector3 wobble = sphericalToVector(0.05f, std::sin(4.3f * t) + std::sin(t * t), std::cos(4.2f * t));
    const Vector3 drift = Vector3(sphericalToVector(0.075f, std::sin(1.3f * t), std::cos(0.9f * t))) * t;
    FishCamera c;
    c.eye = wobble + side + base + Vector3((1.0f - t) * 0.015f, 0.0f, 0.0f);
    c.centre = drift + Vector3(2.0f * side.x + 0.005f, 2.0f * side.y + 0.055f, 2.0f * side.z);
    return c;
}

float FisutEffect::swimPhaseAt(int musicMs)
{
    const float pos = static_cast<float>(musicMs);
    const float s = std::sin(pos * 0.125f);
    return pos * 0.0045f + s * s * s * s * 0.057f;
}

CausticFrames FisutEffect::causticFramesAt(float t)
{
    const float f = t * 128.0f;
    CausticFrames c;
    // Kept within 1..32 even for a time before the scene.
    c.a = (static_cast<int>(f) % 32 + 32) % 32 + 1;
    c.b = (static_cast<int>(f + 1.0f) % 32 + 32) % 32 + 1;
    c.weight = std::fmod(t, 0.0078125f) * 128.0f;
    return c;
}

Vector3 FisutEffect::wrapMote(Vector3 m)
{
    // Motes start within [-2.05, 1.15] and move on by at most 1.75: two wraps are the most any
    // needs; the bound keeps a stray value from spinning.
    for (int i = 0; i < 8 && m.x > 1.0f; ++i)
        m.x -= 2.0f;
    return m;
}

// ---------------------------------------------------------------------------------------------
// Simulation step

void FisutEffect::swimDeform()
{
    swimPhase = swimPhaseAt(dmsGetModulePosition());
    if (!fish || deformed.size() != fish->getVertexCount())
        return;
    const T3DVertex* vertices = fish->getVertexArray();
    const T3DFace* faces = fish->getFaceArray();
    const unsigned int faceCount = fish->getFaceCount();
    for (unsigned int i = 0; i < faceCount; ++i) {
        const T3DFace& face = faces[i];
        if (!faceIsValid(face))
            continue;
        for (const uint32_t v : {face.a, face.b, face.c})
            deformed[v].position = deformVertex(vertices[v].position);
    }

    fishPositions.clear();
    fishNormals.clear();
    fishTexCoords.clear();
    for (unsigned int i = 0; i < faceCount; ++i) {
        const T3DFace& face = faces[i];
        if (!faceIsValid(face))
            continue;
        for (const uint32_t v : {face.a, face.b, face.c}) {
            const Vector3& p = deformed[v].position;
            fishPositions.insert(fishPositions.end(), {p.x, p.y, p.z});
            fishNormals.insert(fishNormals.end(), {face.normal.x, face.normal.y, face.normal.z});
            fishTexCoords.insert(fishTexCoords.end(), {vertices[v].u, vertices[v].v});
        }
    }
}

Vector3 FisutEffect::deformVertex(const Vector3& p) const
{
    const bool head = p.x < bendStart;
    float e = (p.x + 5.0f) * waveScale * 1.68f;
    if (head)
        e *= 1.76f;
    const float w = std::sin(e * 0.0095f + 1.0f + swimPhase) * e * e * 0.0065f * 0.075f;
    const float k = head ? 0.005f : 0.48f;
    return Vector3(p.x, p.y + w * verticalAmplitude * 0.19f, p.z + w * sidewaysAmplitude * k);
}

bool FisutEffect::faceIsValid(const T3DFace& face) const
{
    const size_t n = deformed.size();
    return face.a < n && face.b < n && face.c < n;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void FisutEffect::render(float t, float alpha)
{
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();
    camera = cameraAt(t, alpha);
    lightPosition = Vector3(-0.057f, 0.42f, 0.095f);
    const Vector3& c = camera.centre;

    swimDeform();

    // Shadow pass: depth only, seen from the light, with the runtime's projection.
    bindDepthFBO();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glPolygonOffset(2.0f, 2.0f);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glLoadIdentity();
    gluLookAt(lightPosition.x, lightPosition.y, lightPosition.z, c.x, c.y, c.z, 0.0, 1.0, 0.0);
    lightProjection = currentMatrix(GL_PROJECTION_MATRIX);
    lightView = currentMatrix(GL_MODELVIEW_MATRIX);
    drawWorld(t, alpha, Pass::shadow);
    glDisable(GL_POLYGON_OFFSET_FILL);
    unbindFBO();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    // Colour pass.
    glColor3f(1.0f, 1.0f, 1.0f);
    glLoadIdentity();
    const Vector3& e = camera.eye;
    gluLookAt(e.x, e.y, e.z, c.x, c.y, c.z, 0.0, 1.0, 0.0);
    PostProcess::beginCapture(true);
    drawWorld(t, alpha, Pass::colour);
    PostProcess::glowPass(6, 0.008f, 0.008f, 0.86f, -1.0f, 1.0f, 0);
}

void FisutEffect::drawWorld(float t, float alpha, Pass pass)
{
    drawFloor(t, pass);
    drawFish(t, pass);
    drawMotes(t, alpha);
}

// Unit 0's texture matrix takes eye space to the light's depth map: bias, light projection,
// light view, then the inverse of the camera.
void FisutEffect::loadShadowTextureMatrix() const
{
    const Matrix44 inverseCamera = currentMatrix(GL_MODELVIEW_MATRIX).cofactorInverse().transpose();
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(0.5f, 0.5f, 0.5f);
    glScalef(0.5f, 0.5f, 0.5f);
    glMultMatrixf(lightProjection.m);
    glMultMatrixf(lightView.m);
    glMultMatrixf(inverseCamera.m);
    glMatrixMode(GL_MODELVIEW);
}

void FisutEffect::drawFloor(float t, Pass pass)
{
    glEnable(GL_DEPTH_TEST);
    const float scroll = -7.2f * t;
    const float offsetS = scroll * std::cos(floorAngle), offsetT = scroll * std::sin(floorAngle);

    ShaderProgram* ground = nullptr;
    if (pass == Pass::shadow) {
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        bindArchiveTexture("deeptxt3.jpg");
    } else {
        loadShadowTextureMatrix();
        ground = program("fisu_shadowmaptex");
        if (ground) {
            ground->bind();
            bindDepthMap();
            ground->setUniform1i("shadowMap", 0);
            ground->setUniform1i("texture0", 1);
            ground->setUniform1i("normal0", 2);
            ground->setUniform1i("caus0", 3);
            ground->setUniform1i("caus1", 4);
            bindOnUnit(1, "deeptxt3.jpg");
            bindOnUnit(2, "normal_map_deep3.jpg");
            const CausticFrames frames = causticFramesAt(t);
            ground->setUniform1f("causinterp", frames.weight);
            char name[16];
            causticName(name, frames.a);
            bindOnUnit(3, name);
            causticName(name, frames.b);
            bindOnUnit(4, name);
        }
    }

    glPushMatrix();
    glRotatef(floorAngleDegrees, 0.0f, 1.0f, 0.0f);
    glPushAttrib(GL_LIGHTING_BIT);
    setLight0Position(lightPosition);
    const std::vector<Vector3>& vertices = floor.getVertices();
    const std::vector<GroundTexCoord>& coords = floor.getTexCoords();
    const std::vector<float>& shade = floor.getShade();
    const int columns = floor.getColumns(), rows = floor.getRows();
    const size_t count = static_cast<size_t>(std::max(columns, 0)) * static_cast<size_t>(std::max(rows, 0));
    if (vertices.size() >= count && coords.size() >= count && shade.size() >= count) {
        const auto emit = [&](size_t i) {
            const float g = shade[i] * 0.325f;
            floorBatch.color(g, g, g);
            floorBatch.texCoord(offsetS + coords[i].s, offsetT + coords[i].t);
            floorBatch.vertex(vertices[i]);
        };
        for (int r = 0; r + 1 < rows; ++r) {
            for (int col = 0; col < columns; ++col) {
                emit(static_cast<size_t>(r * columns + col));
                emit(static_cast<size_t>((r + 1) * columns + col));
            }
            floorBatch.endPrimitive();
        }
        floorBatch.draw();
    }
    glPopAttrib();
    glPopMatrix();

    if (pass == Pass::colour) {
        ShaderProgram::unbind();
        disableUnits(4);
        resetDepthCompare();
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glMatrixMode(GL_MODELVIEW);
    }
}

void FisutEffect::drawFish(float t, Pass pass)
{
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glColor3f(1.0f, 1.0f, 1.0f);

    // The "fishbone" uniforms are set only in the colour pass, where the program is bound: the
    // depth-only pass draws with the fixed pipeline.
    ShaderProgram* bone = nullptr;
    if (pass == Pass::colour) {
        glPushAttrib(GL_LIGHTING_BIT);
        setLight0Position(lightPosition);
        const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f}, white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        glLightfv(GL_LIGHT0, GL_AMBIENT, black);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightfv(GL_LIGHT0, GL_SPECULAR, white);
        const GLfloat ambient[4] = {0.13f, 0.13f, 0.2f, 1.0f}, diffuse[4] = {0.35f, 0.35f, 0.45f, 1.0f},
                      specular[4] = {0.6f, 0.6f, 0.75f, 1.0f};
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 100.0f);
        bone = program("fishbone");
        if (bone)
            bone->bind();
        bindDepthMap();
        loadShadowTextureMatrix();
        if (bone)
            bone->setUniform1i("shadowMap", 0);
    }

    const CausticFrames frames = causticFramesAt(t);
    if (bone) {
        bone->setUniform1f("causinterp", frames.weight);
        bone->setUniform1i("caus0", 3);
        bone->setUniform1i("caus1", 4);
    }
    // Units 3 and 4 still hold the floor's two frames, which is where the program reads them.
    char name[16];
    causticName(name, frames.a);
    bindOnUnit(1, name);
    causticName(name, frames.b);
    bindOnUnit(2, name);
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);

    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glPushMatrix();
    glRotatef(2.5f * std::sin(swimPhase), 0.0f, 1.0f, 0.0f);
    glTranslatef(0.0f, 0.03f, 0.0f);
    glScalef(fishScale, fishScale, fishScale);
    if (fish && deformed.size() == fish->getVertexCount())
        drawFishArrays();
    glPopMatrix();
    glDisable(GL_CULL_FACE);

    if (pass == Pass::colour)
        ShaderProgram::unbind();
    disableUnits(2);
    if (pass == Pass::colour) {
        resetDepthCompare();
        glPopAttrib();
    }
}

void FisutEffect::drawMotes(float t, float alpha)
{
    ShaderProgram* adjust = program("depth_col_adjust");
    if (adjust)
        adjust->bind();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (adjust)
        adjust->setUniform1i("tex", 0);
    glPushAttrib(GL_LIGHTING_BIT);
    setLight0Position(Vector3());

    const Vector3 shift(1.5f * t + 0.25f, 0.0f, 0.0f);
    Vector3 right, up, back;
    getCameraAxes(right, up, back);
    right *= 0.002f;
    up *= 0.002f;

    bindArchiveTexture("circle.jpg");
    const float moteAlpha = alpha * 0.35f;
    for (size_t i = 0; i < motes.size(); ++i) {
        if (i % 2 == 0)
            moteBatch.color(0.3f, 0.6f, 0.627f, moteAlpha);
        else
            moteBatch.color(0.6f, 0.3f, 0.3f, moteAlpha);
        billboardQuad(moteBatch, wrapMote(motes[i] + shift), right, up, 1.0f);
    }
    moteBatch.draw();
    glPopAttrib();
    ShaderProgram::unbind();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

// The fish's corners from client arrays in one draw. Normal and texture coordinate (unit 0) per
// corner, colour GL's current one, as the immediate-mode block sent them; afterwards the current
// normal and texture coordinate are the last corner's, as after glEnd.
void FisutEffect::drawFishArrays() const
{
    const size_t corners = fishPositions.size() / 3;
    if (corners == 0 || fishNormals.size() != corners * 3 || fishTexCoords.size() != corners * 2)
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, fishPositions.data());
    glNormalPointer(GL_FLOAT, 0, fishNormals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, fishTexCoords.data());
    noteDraw(GL_TRIANGLES, layoutArrays | layoutNormal | layoutTexCoord);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glNormal3fv(&fishNormals[fishNormals.size() - 3]);
    glTexCoord2fv(&fishTexCoords[fishTexCoords.size() - 2]);
}
