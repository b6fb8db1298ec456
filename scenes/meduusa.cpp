#include "scenes/meduusa.h"

#include "render/draw_state.h"
#include "render/post_process.h"
#include "render/shader_manager.h"
#include "toolkit/show_state.h"
#include "toolkit/current_fields.h"
#include "toolkit/grey_swimmer.h"
#include "maths/ramps.h"
#include "maths/random.h"
#include "toolkit/scene_kit.h"
#include "toolkit/swimmer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>


namespace {

constexpr int jellyfishCount = 13;
constexpr int emitterCount = 4;
constexpr float invisible = 0.00001f; // a jellyfish below this visibility neither moves nor draws
constexpr float fullTurn = 6.283184f;


void setColour(const Vector3& c, float alpha) { glColor4f(c.x, c.y, c.z, alpha); }

Vector3 mix(const Vector3& a, const Vector3& b, float k) { return a * (1.0f - k) + b * k; }

// The jellyfish's own frame: at its position, at its size, turned by its orientation (in turns).
void pushJellyFrame(const Jellyfish& j)
{
    glPushMatrix();
    glTranslatef(j.position.x, j.position.y, j.position.z);
    glScalef(j.size, j.size, j.size);
    glRotatef(j.orientation.x * 360.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(j.orientation.y * 360.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(j.orientation.z * 360.0f, 0.0f, 0.0f, 1.0f);
}

// Body and line colours chosen by one draw: warm, cold, or cold with reddish lines.
void chooseColours(Vector3& body, Vector3& lines)
{
    const Vector3 warm(0.9f, 0.7f, 0.4f), cold(0.4f, 0.7f, 0.9f), red(0.6f, 0.3f, 0.3f);
    switch (nextRandom() % 4) {
    case 2:
        body = lines = cold;
        break;
    case 3:
        body = cold;
        lines = red;
        break;
    default:
        body = lines = warm;
        break;
    }
}

// The shells' cues: (start, end) in ms, all falling linearly across their window.
const int shellCueTimes[][2] = {{90481, 91031}, {91714, 92264}, {92664, 93214}, {94790, 95240},
                                {96909, 97359}, {98887, 99037}, {98541, 98691}, {98681, 98831},
                                {99027, 99177}, {99190, 99340}, {99306, 99456}};
const int glowCueTimes[][2] = {{101052, 102102}, {103200, 104250}, {105248, 106298}, {107249, 108299},
                               {109432, 110482}, {111499, 112549}, {113404, 114454}, {115684, 116734},
                               {117688, 118738}, {119739, 120789}, {121778, 122828}, {123994, 125044},
                               {125911, 126961}, {128002, 129052}, {130120, 131170}};

} // namespace

MeduusaEffect::MeduusaEffect() : stepTimer(16, 5), spectrum(3) {}

MeduusaEffect::~MeduusaEffect() = default;

bool MeduusaEffect::init(unsigned long start, unsigned long end)
{
    shells.assign(static_cast<size_t>(shellCount), Shell());

    seedRandom(971457);
    jellyfish.clear();
    for (int i = 0; i < jellyfishCount; ++i) {
        const float a = randomRange(0.0f, fullTurn);
        const float r = randomUnit() * 6.0f;
        const float y = randomRange(-2.7f, 2.7f);
        // The main jellyfish draws the same values but stays in the middle.
        const Vector3 p = i == 0 ? Vector3() : Vector3(std::cos(a) * r, y, r * std::sin(a)) * 1.3f;
        Jellyfish jelly;
        initJellyfish(jelly, i == 0, p + Vector3(0.0f, -1.0f, 0.0f));
        jellyfish.push_back(std::move(jelly));
    }

    emitters = bubbleEmitters(emitterCount);

    seedRandom(13);
    for (Shell& shell : shells) {
        shell.start = Vector3(randomCenteredVector()) * 9.0f;
        const float r = randomUnit();
        shell.end = shell.start + Vector3(randomDirection()) * r * 7.5f;
    }

    glowCues = pulsesOf(glowCueTimes, 1);
    shellCues = pulsesOf(shellCueTimes, 1);

    // The camera's route: six keys, the first ones pulled in closer, all kept low over the swarm.
    seedRandom(899);
    cameraPath = SplinePath();
    for (int k = 0; k < 6; ++k) {
        Vector3 p = Vector3(randomDirection()) * (16.0f - static_cast<float>(k + 2) * 0.8333333f);
        if (k <= 1)
            p *= 0.5f;
        else if (k == 2)
            p *= 0.45f;
        else if (k == 3)
            p *= 0.75f;
        while (p.y < 3.5f)
            p.y += 3.5f;
        while (p.y > 3.5f)
            p.y -= 3.5f;
        cameraPath.addPoint(p);
    }
    cameraPath.bake();

    seedRandom(50);
    targetPath = SplinePath();
    targetPath.addPoint(Vector3());
    targetPath.addPoint(Vector3());
    for (int k = 0; k < 5; ++k)
        targetPath.addPoint(Vector3(randomDirection()) * 0.7f);
    targetPath.bake();

    spectrum = SpectrumAverage(3);
    return Base::init(start, end);
}

void MeduusaEffect::run()
{
    setFogColor(Vector3(-1.0f, 0.0f, 0.0f)); // the default deep blue
    const float t = sceneTime(*this);
    const float alpha = fadeAt(t);
    ownCameraFlag = false; // from now on the early creatures draw in this scene's camera
    draw(t, alpha);
}

void MeduusaEffect::draw(float t, float alpha)
{
    stepTimer.update();
    const int m0 = dmsGetModulePosition();
    while (stepTimer.hasStep()) {
        simulate(m0);
        stepTimer.consumeStep();
    }

    jellyBeat = jellyBeat * 0.8f + spectrum.update() * 0.2f * 0.2f;

    glLoadIdentity();
    const Vector3 eye = cameraPath.evaluate(t);
    const Vector3 target = targetPath.evaluate(t);
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0.0, 1.0, 0.0);

    const int m1 = dmsGetModulePosition();
    if (m1 < 100000) {
        const float a = swimmerFade(static_cast<float>(m1), alpha);
        setSpeckPointState();
        for (const Swimmer& swimmer : sharedSwimmers)
            drawSwimmer(batches.points, swimmer, a);
        endSpeckPoints(batches.points);
        glDisable(GL_LINE_SMOOTH);
    }

    const float glowLevel = glowCues.evaluate(dmsGetModulePosition());

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glDisable(GL_DEPTH_TEST);

    const float colourMix = colourMixAt(static_cast<float>(dmsGetModulePosition()));
    // Bodies and bubbles go straight to the window; only the outlines are captured and glowed.
    for (const Jellyfish& jelly : jellyfish)
        drawJellyBody(batches, jelly, alpha, t, colourMix);
    for (const BubbleEmitter& emitter : emitters)
        emitter.draw((jellyBeat + 1.0f) * 0.5f * alpha, false);

    PostProcess::beginCapture(true);
    for (const Jellyfish& jelly : jellyfish)
        drawJellyLines(batches, jelly, alpha, colourMix);
    glDisable(GL_LINE_SMOOTH);
    // Until the first jellyfish appears (100 s) drawJellyLines draws nothing, so the capture holds
    // only its clear colour: the pass may reuse last frame's identical reduction of it.
    const bool noLines = std::all_of(jellyfish.begin(), jellyfish.end(),
                                     [](const Jellyfish& j) { return j.visibility < invisible; });
    PostProcess::glowPass(6, 0.007f, 0.007f, 0.91f - 0.005f * std::sin(glowLevel * 3.14f), -1.0f, 1.0f, 0, noLines);

    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    if (shellsVisible(m0))
        drawShells(t, m0);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);

    PostProcess::noiseOverlay(alpha * 0.03f);
}

float MeduusaEffect::fadeAt(float t)
{
    return sceneFade(t, 0.07f, 14.285714f, 0.99f, 100.0001f);
}

float MeduusaEffect::shellBrightness(float t, float musicMs)
{
    const float in = rampLinear(t, 0.0f, 0.005f);
    return in * in * in * (1.0f - rampLinear(musicMs, 99750.0f, 101500.0f));
}

float MeduusaEffect::swimmerFade(float musicMs, float alpha)
{
    return (1.0f - rampLinear(musicMs, 98500.0f, 100000.0f)) * alpha * 0.5f;
}

float MeduusaEffect::colourMixAt(float musicMs) { return rampLinear(musicMs, 133500.0f, 134000.0f); }

void MeduusaEffect::simulate(int musicMs)
{
    if (swimmerStepCounter == 0)
        for (Swimmer& swimmer : sharedSwimmers)
            updateSwimmer(swimmer);
    if (++swimmerStepCounter > 3)
        swimmerStepCounter = 0;
    for (Jellyfish& jelly : jellyfish)
        stepJellyfish(jelly, musicMs);
    for (BubbleEmitter& emitter : emitters) {
        emitter.step(0.01f);
        emitter.relocate();
    }
}

// ---------------------------------------------------------------------------------------------
// Set-up

void MeduusaEffect::initJellyfish(Jellyfish& j, bool main, const Vector3& position)
{
    j.position = position;
    j.appearStart = main ? 100000.0f : 100000.0f + static_cast<float>(nextRandom() % 16000);
    j.appearEnd = j.appearStart + 4000.0f;
    j.hasCaustics = randomUnit() > 0.75f;
    chooseColours(j.bodyColourA, j.lineColourA);
    chooseColours(j.bodyColourB, j.lineColourB);
    j.size = randomRange(0.4f, 0.8f);
    if (randomUnit() < 0.25f)
        j.size *= 0.5f;

    const size_t meshSize = static_cast<size_t>(Jellyfish::meridianCount * Jellyfish::pointsPerMeridian);
    j.meshPoints.assign(meshSize, Vector3());
    j.meshTexCoords.assign(meshSize, Vector3());
    for (int i = 0; i < Jellyfish::meridianCount; ++i)
        randomDirection(); // drawn, never used: keeps the layout of everything after it

    j.shadePhase = randomUnit();
    j.phaseSpeed = randomRange(0.03f, 0.1f);
    j.phase = 0.0f;
    j.tiltA = randomRange(-0.075f, 0.075f);
    j.tiltB = randomRange(-0.075f, 0.075f) * 0.5f;
    j.drift = Vector3(randomDirection());

    const int tentacles = nextRandom() % 10 + 15;
    j.tentacles.clear();
    for (int k = 0; k < tentacles; ++k) {
        const Vector3 start = Vector3(0.0f, 0.5f, 0.0f) + Vector3(randomDirection()) * 0.1f;
        Tentacle tentacle;
        buildTentacle(tentacle, start);
        j.tentacles.push_back(std::move(tentacle));
    }
}

void MeduusaEffect::buildTentacle(Tentacle& tentacle, const Vector3& start)
{
    const int h = nextRandom();
    tentacle.path.clear();
    tentacle.kind = nextRandom() % 4;
    const float r = randomUnit();
    Vector3 p = start + Vector3(randomDirection()) * r * 1.3f;
    Vector3 step(0.0f, -0.2f, 0.0f);
    // Hangs downwards in 11 to 16 kinked segments.
    for (int i = 0; i < h % 6 + 11; ++i) {
        tentacle.path.addPoint(p);
        p = p + step;
        step = step + Vector3(randomDirection()) * 0.1f;
        step.y = std::min(step.y, -0.1f);
    }
    tentacle.phaseOffset = randomUnit();
    tentacle.path.bake();
}

// ---------------------------------------------------------------------------------------------
// Simulation step

void MeduusaEffect::stepJellyfish(Jellyfish& j, int musicMs)
{
    j.visibility = rampLinear(static_cast<float>(musicMs), j.appearStart, j.appearEnd);
    if (j.visibility < invisible)
        return;
    j.phase += j.phaseSpeed;
    j.orientation = Vector3(sphericalToVector(1.0f, j.tiltB, j.tiltA));
    j.position += j.drift * 0.001f;

    // The bell: sixteen meridians of thirty points, breathing with the phase, the rim dropping
    // by a wave that runs round it.
    const float pulse = std::sin(0.3f * j.phase) * 0.2f + 1.0f;
    const float k = (std::sin(j.phase) + 1.0f) * 0.5f * 0.1f;
    for (int i = 0; i < Jellyfish::meridianCount; ++i) {
        const float fi = static_cast<float>(i) / static_cast<float>(Jellyfish::meridianCount);
        const Matrix turn = Matrix::makeRotation(0.0f, fi * fullTurn, 0.0f);
        const float drop = (std::sin(0.7f * j.phase + 11.0f * fi) * 0.25f + 0.75f) * 0.12f;
        for (int p = 0; p < Jellyfish::pointsPerMeridian; ++p) {
            const float m = static_cast<float>(p) / static_cast<float>(Jellyfish::pointsPerMeridian);
            const float w = (std::sin(7.0f * m + j.phase) + 1.0f) * 0.5f;
            const float r = std::pow(m, 0.5f - k) + w * m * 0.1f - m * m * m * m * 0.3f;
            Vector3 point = Vector3(r, (1.0f - m) * pulse, 0.0f) * turn;
            if (p == Jellyfish::pointsPerMeridian - 1)
                point.y -= drop;
            const size_t index = static_cast<size_t>(i * Jellyfish::pointsPerMeridian + p);
            j.meshPoints[index] = point;
            j.meshTexCoords[index] = Vector3(fi, m, 0.0f);
        }
    }

    for (Tentacle& tentacle : j.tentacles)
        stepTentacle(tentacle, j.phase);
}

void MeduusaEffect::stepTentacle(Tentacle& tentacle, float phase)
{
    std::vector<Vector3>& p = tentacle.path.points;
    const size_t n = p.size();
    if (n < 2)
        return;

    // The current pushes harder towards the free end.
    Vector3 before;
    for (size_t i = 1; i < n; ++i) {
        before += p[i];
        const float f = 0.2f * static_cast<float>(i);
        p[i] += currentField(tentacle.kind, p[i], phase) * (std::min(f, 1.0f) * 0.006f) * f;
    }

    // Soft links: segments longer than 0.325 are pulled in, shorter than 0.1 pushed out.
    constexpr float longest = 0.105625f, shortest = 0.010000001f; // squared lengths
    for (size_t i = 1; i < n; ++i) {
        const Vector3 d = p[i] - p[i - 1];
        const float q = d.dotProduct(d);
        if (q > longest)
            p[i] += (p[i - 1] - p[i]) * (q - longest) * 0.1f;
        else if (q < shortest)
            p[i] += (p[i] - p[i - 1]) * (shortest - q) * 0.1f;
    }

    // Keep the centre where the current did not move it: the root is counted after but not before.
    Vector3 after;
    for (const Vector3& point : p)
        after += point;
    const float count = static_cast<float>(n);
    const Vector3 shift = after / count - before / count;
    for (Vector3& point : p)
        point -= shift;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void MeduusaEffect::drawJellyBody(JellyBatches& batches, const Jellyfish& j, float alpha, float t, float colourMix)
{
    if (j.visibility < invisible)
        return;
    pushJellyFrame(j);
    const float a = alpha * j.visibility;
    glEnable(GL_TEXTURE_2D);
    float glow = 0.5f;
    if (j.hasCaustics) {
        char name[32];
        std::snprintf(name, sizeof name, "cau_0%02d.jpg", static_cast<int>(t * 960.0f) % 32 + 1);
        bindArchiveTexture(name);
        glow = 1.4f;
    } else {
        bindArchiveTexture("deeptxt2.jpg");
    }
    const float c = glow * (std::sin(j.shadePhase * fullTurn + j.phase) * 0.3f + 0.7f);
    const Vector3 colour = mix(j.bodyColourA, j.bodyColourB, colourMix);
    setColour(colour, c * a * 0.2f);

    // The bell's strips are written once and drawn five times, nested, each a little smaller:
    // the scale stays in the matrix so every vertex is transformed exactly as before.
    VertexBatch& bell = batches.bell;
    bell.colorOutside(colour.x, colour.y, colour.z, c * a * 0.2f);
    for (int i = 0; i < Jellyfish::meridianCount; ++i) {
        const int next = (i + 1) % Jellyfish::meridianCount;
        for (int p = 0; p < Jellyfish::pointsPerMeridian; ++p) {
            const size_t here = static_cast<size_t>(i * Jellyfish::pointsPerMeridian + p);
            const size_t there = static_cast<size_t>(next * Jellyfish::pointsPerMeridian + p);
            bell.texCoord(j.meshTexCoords[here].x, j.meshTexCoords[here].y);
            bell.vertex(j.meshPoints[here]);
            bell.texCoord(j.meshTexCoords[there].x, j.meshTexCoords[there].y);
            bell.vertex(j.meshPoints[there]);
        }
        bell.endPrimitive();
    }
    for (int s = 0; s < 5; ++s) {
        glPushMatrix();
        const float scale = 1.0f - 0.06f * static_cast<float>(s);
        glScalef(scale, scale, scale);
        bell.draw(s < 4);
        glPopMatrix();
    }
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

void MeduusaEffect::drawJellyLines(JellyBatches& batches, const Jellyfish& j, float alpha, float colourMix)
{
    if (j.visibility < invisible)
        return;
    pushJellyFrame(j);
    const float a = alpha * j.visibility;
    const Vector3 c = mix(j.lineColourA, j.lineColourB, colourMix);
    glLineWidth(2.0f);
    // Meridians fade towards the rim, the rim itself is one loop.
    VertexBatch& strips = batches.lines;
    for (int i = 0; i < Jellyfish::meridianCount; ++i) {
        for (int p = 0; p < Jellyfish::pointsPerMeridian; ++p) {
            strips.color(c.x, c.y, c.z, (1.0f - static_cast<float>(p) / static_cast<float>(Jellyfish::pointsPerMeridian)) * a * 0.4f);
            strips.vertex(j.meshPoint(i, p));
        }
        strips.endPrimitive();
    }
    strips.draw();
    // Per vertex, as immediate mode passed it: the meridians had put colour in the vertex format.
    batches.rim.color(c.x, c.y, c.z, a * 0.4f);
    for (int i = 0; i < Jellyfish::meridianCount; ++i)
        batches.rim.vertex(j.meshPoint(i, Jellyfish::pointsPerMeridian - 1));
    batches.rim.draw();
    glLineWidth(2.0f);
    // Every tentacle hangs from the same point under the bell.
    glPushMatrix();
    glTranslatef(0.0f, 0.5f, 0.0f);
    for (const Tentacle& tentacle : j.tentacles)
        drawTentacle(strips, tentacle, j.phase, c, a);
    strips.draw();
    glPopMatrix();
    glPopMatrix();
}

void MeduusaEffect::drawTentacle(VertexBatch& strips, const Tentacle& tentacle, float phase, const Vector3& colour,
                                 float alpha)
{
    // Light runs down the tentacle in waves; its root fades in over the first eighth.
    for (int i = 0; i < 30; ++i) {
        const float x = static_cast<float>(i) * 0.033333335f;
        const float angle = 3.0f * x - 0.4f * phase + tentacle.phaseOffset * fullTurn;
        strips.color(colour.x, colour.y, colour.z, alpha * (std::sin(angle) + 1.0f) * 0.5f * std::min(8.0f * x, 1.0f));
        strips.vertex(tentacle.path.evaluate(x));
    }
    strips.endPrimitive();
}

void MeduusaEffect::drawShells(float t, int m0)
{
    Vector3 right, up, back;
    getCameraAxes(right, up, back);
    const float level = shellCues.evaluate(m0);
    const float q = level * level;
    float size = level * 0.06f + 0.065f;

    glEnable(GL_TEXTURE_2D);
    bindArchiveTexture("plank_shell.jpg");
    const float b = shellBrightness(t, static_cast<float>(m0));
    glColor4f(0.3f * b, 0.6f * b, 0.7f * b, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);

    const bool distorted = shellsDistorted(m0);
    ShaderProgram* program = shaderManager ? shaderManager->getShader(distorted ? "sindistort" : "blur2y") : nullptr;
    if (!program)
        return;
    program->bind();
    if (distorted) {
        size += std::sin(level * 3.1415925f) * 0.079f;
        program->setUniform1f("xphase", 0.0f);
        program->setUniform1f("yphase", 0.0f);
        program->setUniform1f("xamp", 0.1f);
        program->setUniform1f("yamp", 0.1f);
        program->setUniform1i("tex", 0);
        program->setUniform1f("alpha", b);
    } else {
        program->setUniform1i("tex", 0);
        program->setUniform1f("alpha", b);
        program->setUniform1f("yoff", level * 0.075f);
    }

    // Each shell's picture is turned a quarter more than the previous one's. Undistorted, the
    // quads go out together in the current colour until the texture changes. Distorted, each
    // quad has uniforms of its own and is a draw of its own anyway; it stays in immediate mode,
    // since a one-quad batch there changed a few pixels by one step and saves nothing.
    VertexBatch& quads = batches.shells;
    if (distorted) {
        noteDraw(GL_QUADS, layoutTexCoord);
        glBegin(GL_QUADS);
    }
    for (int i = 0; i < static_cast<int>(shells.size()); ++i) {
        if (distorted) {
            glEnd();
            program->setUniform1f("xfreq", static_cast<float>(i % 5) * q * 3.0f);
            program->setUniform1f("yfreq", static_cast<float>(i % 3) * q * 4.0f);
            glBegin(GL_QUADS);
        }
        if (i == 50) {
            if (distorted)
                glEnd();
            quads.draw();
            bindArchiveTexture("plank_shell2.jpg");
            if (distorted) {
                noteDraw(GL_QUADS, layoutTexCoord);
                glBegin(GL_QUADS);
            }
        }
        const Shell& shell = shells[static_cast<size_t>(i)];
        const Vector3 centre = shell.start + (shell.end - shell.start) * t;
        if (distorted)
            billboardQuad(centre, right, up, size, i % 4);
        else
            billboardQuad(quads, centre, right, up, size, i % 4);
    }
    if (distorted)
        glEnd();
    quads.draw();
    ShaderProgram::unbind();
}
