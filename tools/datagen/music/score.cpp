#include "tools/datagen/music/score.h"

#include "tools/datagen/music/dsp.h"
#include "tools/datagen/music/sections.h"

#include <algorithm>
#include <cmath>

namespace {

// Cue times of the show (ms of music) and the beats they are pinned to.
struct Anchor {
    double beat;
    double ms;
};

const Anchor tempoAnchors[] = {
    {0, 0},
    // The frond forest: its hits fall on the third beat of the half-time bar, mostly.
    {128, 66583}, {134, 69753}, {138, 71756}, {142, 73955}, {144, 75080}, {150, 78074}, {158, 82165},
    {162, 84369}, {166, 86412}, {170, 88623}, {174, 90601},
    // The plankton shells, the jellyfish rising, then their glow a bar apart.
    {176, 91714}, {178, 92664}, {182, 94790}, {186, 96909}, {192, 100000},
    {194, 101052}, {198, 103200}, {202, 105248}, {206, 107249}, {210, 109432}, {214, 111499}, {218, 113404},
    {222, 115684}, {226, 117688}, {230, 119739}, {234, 121778}, {238, 123994}, {242, 125911}, {246, 128002},
    {250, 130120},
    // A breath before the jellyfish change colour; then the scene boundaries.
    {256, 133500}, {288, 150000}, {320, 167000}, {352, 182950},
    // The creatures' floor darkens, the sprouts grow.
    {368, 191580}, {372, 193580}, {392, 204000}, {426, 221500},
    // The ropes: three hits, the flares rise on a downbeat and fall.
    {441, 229457}, {447, 232549}, {455, 236652}, {457, 237842}, {487, 253047}, {490, 254500},
    // The return's change of colour, the greetings, and a slower close.
    {522, 271200}, {570, 296000}, {575, 298442}, {579, 300451}, {583, 302596}, {587, 305000},
    {682, 362000},
};

} // namespace

const std::vector<Cue>& showCues()
{
    static const std::vector<Cue> cues = {
        {66583, true, "forest"}, {69753, true, "forest"}, {71756, true, "forest"}, {73955, true, "forest"},
        {75080, true, "forest"}, {75300, false, "second half of the specks"}, {78074, true, "forest"},
        {82165, true, "forest"}, {83500, false, "pink tips"}, {84369, true, "forest"}, {86412, true, "forest"},
        {88623, true, "forest"}, {90481, true, "shell"}, {90601, true, "forest"}, {91714, true, "shell"},
        {92664, true, "shell"}, {94790, true, "shell"}, {96909, true, "shell"}, {98541, true, "shell roll"},
        {98681, true, "shell roll"}, {98887, true, "shell roll"}, {99027, true, "shell roll"},
        {99190, true, "shell roll"}, {99306, true, "shell roll"}, {100000, false, "jellyfish rise"},
        {101052, true, "glow"}, {103200, true, "glow"}, {105248, true, "glow"}, {107249, true, "glow"},
        {109432, true, "glow"}, {111499, true, "glow"}, {113404, true, "glow"}, {115684, true, "glow"},
        {117688, true, "glow"}, {119739, true, "glow"}, {121778, true, "glow"}, {123994, true, "glow"},
        {125911, true, "glow"}, {128002, true, "glow"}, {130120, true, "glow"},
        {133500, false, "jellyfish colour change"}, {191580, false, "floor darkens"},
        {193580, false, "sprouts grow"}, {228000, false, "swimmers appear"}, {229457, true, "ropes"},
        {232549, true, "ropes"}, {236652, true, "ropes"}, {237842, false, "flares rise"},
        {253047, false, "flares fall"}, {271200, false, "hairs change colour"}, {298442, true, "greetings"},
        {300451, true, "greetings"}, {302596, true, "greetings"},
    };
    return cues;
}

TempoMap showTempo()
{
    std::vector<TempoAnchor> points;
    for (const Anchor& a : tempoAnchors)
        points.push_back({a.beat, a.ms});
    TempoMap map;
    map.build(points);
    return map;
}

namespace {

// The conductor: a level for each stretch of the show, applied to every note by its onset. The
// scenes read the music's loudness, so this table is also how bright they glow.
struct Level {
    double ms;
    float gain;
};

const Level dynamics[] = {
    {0, 0.5f},         {8000, 0.55f},     {39000, 0.75f},    {66000, 0.9f},     {66500, 1.0f},
    {90400, 1.0f},     {90500, 0.9f},     {100900, 0.9f},    {101000, 1.05f},   {149900, 1.05f},
    {150000, 0.8f},    {166900, 0.8f},
    // The second half: the push tightening, the creatures' break and the sprouts' build, the
    // spray's blaze, the ropes' break and build to the flares, the return's break and build,
    // the greetings, and the close: the low tune, a bar's held breath, the tune up high, then
    // thinning out.
    {167000, 1.0f},    {182900, 1.1f},    {182950, 0.35f},   {191500, 0.35f},   {191580, 0.3f},
    {193500, 0.3f},    {199000, 0.5f},    {203900, 1.0f},    {204000, 1.05f},   {221400, 1.05f},
    {221500, 0.35f},   {228000, 0.4f},    {229400, 0.75f},   {237800, 1.0f},    {237842, 1.1f},
    {253000, 1.1f},    {253047, 1.0f},    {254400, 1.0f},    {254500, 0.3f},    {262000, 0.6f},
    {271100, 0.95f},   {271200, 1.05f},   {295900, 1.05f},   {296000, 1.1f},    {304900, 1.1f},
    {305000, 0.5f},    {314500, 0.55f},   {314600, 0.85f},   {324100, 0.85f},   {324200, 0.5f},
    {326500, 0.5f},    {326600, 0.9f},    {332000, 0.75f},   {338000, 0.4f},    {362000, 0.35f},
};

float levelAt(double ms)
{
    const size_t n = sizeof dynamics / sizeof dynamics[0];
    if (ms <= dynamics[0].ms)
        return dynamics[0].gain;
    for (size_t i = 1; i < n; ++i) {
        if (ms <= dynamics[i].ms) {
            double u = (ms - dynamics[i - 1].ms) / (dynamics[i].ms - dynamics[i - 1].ms);
            return dynamics[i - 1].gain + static_cast<float>(u) * (dynamics[i].gain - dynamics[i - 1].gain);
        }
    }
    return dynamics[n - 1].gain;
}

// The climax: the flares' anthem is the loudest stretch of the show. The master trim lifts the
// whole song by trimLiftDb after the limiter; the conductor takes that back before it everywhere
// else, and compresses its levels above the knee, or the limiter squashes every loud stretch up
// to the anthem's loudness. Stretches below the knee come out as loud as they were.
constexpr double climaxFromMs = 237842, climaxToMs = 253047;
constexpr float trimLiftDb = 2.2f;
constexpr float kneeLevel = 0.6f;
constexpr float ratioAboveKnee = 0.25f;

float conductorGain(double ms)
{
    const float level = levelAt(ms);
    if (ms >= climaxFromMs && ms < climaxToMs)
        return level;
    if (level <= kneeLevel)
        return level * dbToGain(-trimLiftDb);
    const float aboveDb = 20.0f * std::log10(level / kneeLevel);
    return kneeLevel * dbToGain(aboveDb * ratioAboveKnee - trimLiftDb);
}

} // namespace

std::vector<Note> composeScore(const TempoMap& tempo)
{
    Composer c(tempo);
    writeOpening(c);
    writeDescent(c);
    writeForest(c);
    writeJellyfish(c);
    writeMiddle(c);
    writeRopes(c);
    writeReturn(c);
    writeClosing(c);
    for (Note& n : c.notes)
        n.velocity *= conductorGain(n.startMs);
    std::stable_sort(c.notes.begin(), c.notes.end(),
                     [](const Note& a, const Note& b) { return a.startMs < b.startMs; });
    return c.notes;
}

MixSettings songSettings() { return MixSettings{}; }

Song renderScore(const Progress& progress)
{
    TempoMap tempo = showTempo();
    return mixSong(composeScore(tempo), songSettings(), progress);
}
