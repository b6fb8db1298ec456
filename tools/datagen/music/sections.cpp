#include "tools/datagen/music/sections.h"

#include "tools/datagen/music/dsp.h"

#include <cmath>
#include <vector>

// Key of D minor, around 115 beats a minute (the show's cues sit on that grid, mostly on the
// third beat of a half-time bar); the close slows to 100. MIDI note numbers throughout.
namespace {

using I = Instrument;

// Chords: bass root, then a pad voicing kept near D4 so changes move by steps.
const Chord dm9{38, {50, 53, 57, 60, 64}};
const Chord bbMaj9{34, {50, 53, 57, 60, 62}};
const Chord gm9{31, {50, 53, 57, 58, 62}};
const Chord aSus{33, {50, 55, 57, 60, 64}};
const Chord fMaj7{29, {48, 53, 57, 60, 64}};
const Chord cAdd9{36, {48, 55, 60, 62, 64}};
const Chord ebMaj7{39, {51, 55, 58, 62, 69}};
const Chord dmAdd9{38, {50, 52, 57, 62, 65}};
const Chord bbAdd9{34, {50, 53, 58, 60, 65}};
const Chord cAdd9High{36, {50, 52, 55, 60, 64}};
// The jellyfish's change of colour: D major.
const Chord gMaj9{31, {50, 54, 57, 59, 62}};
const Chord dMaj9F{42, {50, 54, 57, 61, 64}};
const Chord bm9{35, {50, 54, 57, 61, 66}};
const Chord aSus9{33, {50, 52, 57, 59, 64}};
// The fish: G minor.
const Chord cm9{36, {51, 55, 58, 62, 63}};
const Chord d7Sus{38, {50, 55, 57, 60, 62}};
// The return after the hairs turn orange: F major.
const Chord fMaj9{29, {48, 52, 55, 57, 64}};
const Chord am7{33, {48, 52, 55, 60, 64}};
const Chord bbMaj9s11{34, {50, 53, 57, 60, 64}};
const Chord c69{36, {50, 52, 55, 57, 62}};
const Chord dMaj9{38, {50, 54, 57, 61, 64}};
// The push's D Dorian: G and C over the D pedal.
const Chord gSixOverD{38, {50, 55, 59, 62, 64}};
const Chord cOverD{38, {48, 52, 55, 60, 62}};
// The ropes' falling bass: D, C sharp, C, B under the same upper voices.
const Chord aOverCs{37, {49, 52, 57, 61, 64}};
const Chord dmOverC{36, {48, 53, 57, 60, 62}};
const Chord gOverB{35, {50, 55, 59, 62, 67}};

// The opening's bell tune; it comes back at the close.
const float openingTune[] = {81, 76, 77, 72, 74, 69};

// A progression of chords, each held `beatsEach`, repeated over [from, to).
template <size_t N>
const Chord& chordAt(const Chord* const (&progression)[N], double from, double at, double beatsEach)
{
    size_t i = static_cast<size_t>(std::floor((at - from) / beatsEach)) % N;
    return *progression[i];
}

void kick(Composer& c, double beat, float velocity, float bright = 0.4f)
{
    Note& n = c.beat(I::Kick, beat, 0.25, 30, velocity);
    n.sidechain = true;
    n.bright = bright;
    n.reverb = 0.04f;
}

void kicks(Composer& c, double from, double to, const char* steps, float velocity, float bright = 0.4f)
{
    for (size_t i : c.pattern(I::Kick, from, to, steps, 30, velocity)) {
        c.notes[i].sidechain = true;
        c.notes[i].bright = bright;
        c.notes[i].reverb = 0.04f;
    }
}

void hats(Composer& c, Instrument kind, double from, double to, const char* steps, float velocity, float bright,
          float pan = 0.2f, float reverb = 0.08f)
{
    for (size_t i : c.pattern(kind, from, to, steps, 60, velocity)) {
        c.notes[i].bright = bright;
        c.notes[i].pan = pan;
        c.notes[i].reverb = reverb;
    }
}

void claps(Composer& c, double from, double to, const char* steps, float velocity, float reverb = 0.25f)
{
    for (size_t i : c.pattern(I::Clap, from, to, steps, 60, velocity)) {
        c.notes[i].reverb = reverb;
        c.notes[i].bright = 0.5f;
    }
}

// The hits the pictures answer: kick, snare and clap together, with a crash or a boom on top
// for the big ones. Placed at the cue's own millisecond.
void accent(Composer& c, double ms, float weight, bool crash, bool boom)
{
    Note& k = c.ms(I::Kick, ms, 100, 30, 0.95f * weight);
    k.sidechain = true;
    k.bright = 0.6f;
    Note& s = c.ms(I::Snare, ms, 100, 52, 0.55f * weight);
    s.reverb = 0.35f;
    s.bright = 0.6f;
    Note& p = c.ms(I::Clap, ms, 100, 60, 0.5f * weight);
    p.reverb = 0.4f;
    p.bright = 0.7f;
    if (crash) {
        Note& x = c.ms(I::Crash, ms, 100, 60, 0.22f * weight);
        x.pan = 0.25f;
        x.reverb = 0.3f;
        x.bright = 0.5f;
    }
    if (boom) {
        Note& b = c.ms(I::Impact, ms, 100, 33, 0.6f * weight);
        b.reverb = 0.5f;
        b.bright = 0.6f;
    }
}

// Bass: a sub under the whole chord and a plucked line on the given steps.
void bassLine(Composer& c, double from, double to, const Chord& ch, const char* steps, float velocity,
              float bright, bool sub = true)
{
    if (sub) {
        Note& n = c.beat(I::SubBass, from, to - from, ch.root, velocity);
        n.ducked = true;
        n.bright = 0.3f;
    }
    if (steps && *steps) {
        for (size_t i : c.pattern(I::Bass, from, to, steps, ch.root + 12, velocity * 0.8f)) {
            c.notes[i].bright = bright;
            c.notes[i].ducked = true;
            c.notes[i].reverb = 0.05f;
        }
    }
}

void pads(Composer& c, double from, double to, const Chord& ch, float velocity, float bright, bool ducked = true,
          Instrument kind = I::Pad, float transpose = 0.0f)
{
    size_t first = c.notes.size();
    c.chord(kind, from, to, ch, velocity, bright, transpose);
    for (size_t i = first; i < c.notes.size(); ++i)
        c.notes[i].ducked = ducked;
}

// A bright wash of air over the loudest stretches: it fills the top of the spectrum, which is
// where the scenes' summed loudness gets most of its range.
void air(Composer& c, double fromMs, double toMs, float velocity)
{
    Note& n = c.ms(I::Wind, fromMs, toMs - fromMs, 98, velocity);
    n.bright = 0.1f;
    n.reverb = 0.2f;
}

// A slow current of band-passed noise through the quiet stretches: it keeps the top of the
// spectrum alive, so the scenes still see the music while it is soft.
void current(Composer& c, double fromMs, double toMs, float pitch, float velocity)
{
    Note& n = c.ms(I::Wind, fromMs, toMs - fromMs, pitch, velocity);
    n.bright = 0.3f;
    n.reverb = 0.4f;
    Note& hiss = c.ms(I::Wind, fromMs, toMs - fromMs, 100, velocity * 0.35f);
    hiss.bright = 0.0f;
    hiss.reverb = 0.2f;
}

void riser(Composer& c, double from, double to, float velocity, float pitch = 55.0f)
{
    Note& n = c.beat(I::Riser, from, to - from, pitch, velocity);
    n.bend = 12;
    n.bright = 0.6f;
    n.reverb = 0.3f;
}

// Short chords on the steps of a pattern, every tone plucked at once.
void stabs(Composer& c, double from, double to, const Chord& ch, const char* steps, float velocity, float bright)
{
    float pan = -0.4f;
    for (float tone : ch.tones) {
        for (size_t i : c.pattern(I::Pluck, from, to, steps, tone + 12.0f, velocity)) {
            c.notes[i].bright = bright;
            c.notes[i].pan = pan;
            c.notes[i].reverb = 0.3f;
            c.notes[i].delay = 0.2f;
        }
        pan += 0.2f;
    }
}

// A snare run on sixteenths over [from, to), swelling from `soft` to `soft + rise`.
void snareRoll(Composer& c, double from, double to, float soft, float rise)
{
    for (double b = from; b < to; b += 0.25) {
        Note& n = c.beat(I::Snare, b, 0.2, 52, soft + rise * static_cast<float>((b - from) / (to - from)));
        n.reverb = 0.3f;
    }
}

// The opening's waters from `fromMs`: high air for `airMs`, a low current and the D minor chord
// high and thin held for `holdMs`, and the bell tune, one bell every 1.45 s.
void openingWaters(Composer& c, double fromMs, double airMs, double holdMs, float airVelocity, float bellVelocity)
{
    Note& air = c.ms(I::Wind, fromMs, airMs, 79, airVelocity);
    air.bright = 0.2f;
    air.reverb = 0.3f;
    Note& low = c.ms(I::Wind, fromMs + 1500, holdMs - 600, 60, 0.35f);
    low.bright = 0.5f;
    low.reverb = 0.4f;
    for (float tone : dm9.tones) {
        Note& n = c.ms(I::Pad, fromMs + 600, holdMs, tone + 12, 0.08f);
        n.bright = 0.15f;
        n.reverb = 0.7f;
        n.pan = (tone - 57.0f) / 14.0f;
    }
    for (int i = 0; i < 6; ++i) {
        Note& b = c.ms(I::Bell, fromMs + 900 + i * 1450.0, 400, openingTune[i], bellVelocity);
        b.bright = 0.4f;
        b.reverb = 0.7f;
        b.delay = 0.4f;
        b.pan = (i % 2) ? 0.5f : -0.5f;
    }
}

void bubbles(Composer& c, double fromMs, double toMs, double everyMs, float velocity)
{
    Noise noise(static_cast<uint32_t>(fromMs) + 17u);
    for (double t = fromMs; t < toMs; t += everyMs * noise.range(0.4f, 1.6f)) {
        Note& n = c.ms(I::Bubble, t, noise.range(30, 90), noise.range(72, 92), velocity * noise.range(0.4f, 1.0f));
        n.pan = noise.range(-0.8f, 0.8f);
        n.reverb = 0.5f;
        n.delay = 0.2f;
    }
}

} // namespace

void writeOpening(Composer& c)
{
    // Air and light over the water: wind, a slowly opening chord and a few bells; no beat yet.
    openingWaters(c, 0, 12000, 9600, 0.55f, 0.12f);
}

void writeDescent(Composer& c)
{
    static const Chord* const progression[] = {&dm9, &bbMaj9, &gm9, &aSus};
    // Into the water: a splash at 8 s and the deep drone arriving.
    Note& splash = c.ms(I::Crash, 8000, 100, 60, 0.12f);
    splash.bright = 0.2f;
    splash.reverb = 0.6f;
    Note& drone = c.beat(I::Drone, 14, 114, 26, 0.35f);
    drone.bright = 0.3f;
    drone.reverb = 0.3f;
    bubbles(c, 8500, 40000, 700, 0.08f);
    for (double bar = 16; bar < 128; bar += 8) {
        const Chord& ch = chordAt(progression, 16, bar, 8);
        float build = static_cast<float>((bar - 16) / 112.0); // 0 .. 1 across the descent
        pads(c, bar, bar + 8, ch, 0.07f + 0.04f * build, 0.15f + 0.45f * build);
        if (bar >= 32)
            bassLine(c, bar, bar + 8, ch, bar >= 96 ? "x.x.x.x.x.x.x.x." : "", 0.3f + 0.1f * build, 0.3f);
        if (bar >= 48)
            c.arpeggio(I::Pluck, bar, bar + 8, ch, bar >= 112 ? 4 : 2, {0, 2, 4, 1, 3, 2}, 0.07f + 0.06f * build,
                       0.3f + 0.3f * build, 12.0f);
    }
    // A heartbeat under the build, then the groove assembling.
    for (double b = 16; b < 48; b += 4)
        kick(c, b, 0.35f, 0.1f);
    kicks(c, 48, 96, "x.......x.......", 0.55f, 0.3f);
    kicks(c, 96, 126, "x...x...x...x...", 0.75f, 0.4f);
    hats(c, I::Shaker, 48, 96, "..x...x...x...x.", 0.12f, 0.4f, -0.3f);
    hats(c, I::Shaker, 96, 126, "-.x--.x--.x--.x-", 0.14f, 0.5f, -0.3f);
    hats(c, I::HatClosed, 64, 126, "..x...x...x...x.", 0.1f, 0.5f, 0.3f);
    hats(c, I::HatClosed, 112, 126, "x.-.x.-.x.-.x.-.", 0.08f, 0.6f, 0.35f);
    claps(c, 104, 126, "....x.......x...", 0.3f, 0.3f);
    // The flares: a bell figure and a choir from 39 s.
    Note& flare = c.ms(I::Impact, 39000, 100, 38, 0.25f);
    flare.bright = 0.2f;
    flare.reverb = 0.7f;
    static const float bells[] = {74, 81, 77, 76, 72, 74, 69, 72};
    for (double b = 76; b < 126; b += 2) {
        int k = static_cast<int>((b - 76) / 2) % 8;
        Note& n = c.beat(I::Bell, b + 0.5 * (k % 2), 0.5, bells[k], 0.1f);
        n.bright = 0.45f;
        n.reverb = 0.5f;
        n.delay = 0.45f;
        n.pan = (k % 2) ? 0.45f : -0.45f;
    }
    for (double bar = 80; bar < 128; bar += 8)
        pads(c, bar, bar + 8, chordAt(progression, 16, bar, 8), 0.06f, 0.5f, true, I::Choir, 12.0f);
    // Into the forest: a riser, a snare run, then the first hit.
    riser(c, 120, 128, 0.35f);
    snareRoll(c, 126, 128, 0.12f, 0.4f);
}

void writeForest(Composer& c)
{
    static const Chord* const progression[] = {&dm9, &dm9, &ebMaj7, &dm9, &gm9, &bbMaj9};
    // Half-time: the kick holds the floor, the snare speaks only on the show's hits.
    static const double hits[] = {66583, 69753, 71756, 73955, 75080, 78074, 82165, 84369, 86412, 88623};
    for (size_t i = 0; i < sizeof hits / sizeof hits[0]; ++i)
        accent(c, hits[i], i == 0 ? 1.1f : 0.85f, i == 0 || i == 4, i == 0);
    kicks(c, 128, 174, "x.....x...x.....", 0.75f, 0.5f);
    hats(c, I::HatClosed, 128, 174, "x-x-x-x-x-x-x-x-", 0.1f, 0.55f, 0.3f);
    hats(c, I::Shaker, 128, 174, "-x--x--x-x--x--x", 0.1f, 0.5f, -0.35f);
    hats(c, I::HatOpen, 136, 174, "..x...x...x...x.", 0.06f, 0.3f, -0.2f, 0.2f);
    for (double bar = 128; bar < 174; bar += 4) {
        const Chord& ch = chordAt(progression, 128, bar, 8);
        double end = std::min(bar + 4.0, 174.0);
        pads(c, bar, end, ch, 0.085f, 0.35f);
        Chord pedal{38, ch.tones};
        bassLine(c, bar, end, pedal, "x..x..x...x..x..", 0.45f, 0.35f);
    }
    // 75.3 s: the second half of the specks drifts in on a sparkling arpeggio.
    Note& sparkle = c.ms(I::Bell, 75300, 300, 86, 0.14f);
    sparkle.bright = 0.7f;
    sparkle.reverb = 0.6f;
    sparkle.delay = 0.5f;
    for (double bar = 145; bar < 174; bar += 4)
        c.arpeggio(I::Pluck, bar, std::min(bar + 4.0, 174.0), chordAt(progression, 128, bar, 8), 4,
                   {0, 2, 4, 2, 1, 3, 4, 3}, 0.08f, 0.55f, 12.0f);
    // 83.5 s: the pink tips, and a lead line with them.
    Note& tips = c.ms(I::Lead, 83500, 1200, 69, 0.2f);
    tips.bright = 0.5f;
    tips.reverb = 0.4f;
    tips.delay = 0.3f;
    c.melody(I::Lead, 162.5, {{72, 1.5}, {69, 1}, {67, 1}, {65, 1.5}, {64, 2.5}, {62, 1}, {-1, 1}, {65, 1}, {64, 1},
                              {62, 2}, {60, 1}, {62, 3}},
             0.2f, 0.5f);
}

void writeJellyfish(Composer& c)
{
    // The shells: sparse stabs with the cues, a flam into the section.
    Note& grace = c.ms(I::Tom, 90481, 100, 50, 0.6f);
    grace.reverb = 0.3f;
    Note& graceSnare = c.ms(I::Snare, 90481, 100, 54, 0.45f);
    graceSnare.bright = 0.7f;
    graceSnare.reverb = 0.3f;
    accent(c, 90601, 1.0f, true, true);
    static const double shellHits[] = {91714, 92664, 94790, 96909};
    for (double t : shellHits) {
        accent(c, t, 0.7f, false, false);
        Note& b = c.ms(I::Bubble, t, 60, 84, 0.25f);
        b.reverb = 0.5f;
    }
    for (double bar = 174; bar < 192; bar += 2) {
        const Chord& ch = (static_cast<int>(bar - 174) / 4) % 2 ? bbMaj9 : dm9;
        double end = std::min(bar + 2.0, 192.0);
        pads(c, bar, end, ch, 0.09f, 0.3f, false);
        c.arpeggio(I::Pluck, bar, end, ch, 2, {0, 2, 4, 3}, 0.07f, 0.35f, 12.0f);
    }
    Note& sub = c.beat(I::SubBass, 174, 18, 38, 0.35f);
    sub.bright = 0.3f;
    hats(c, I::Shaker, 176, 190, "..x...x...x...x.", 0.08f, 0.4f, 0.3f);
    bubbles(c, 91000, 100000, 350, 0.1f);
    // The roll as the shells fade: toms climbing to the jellyfish.
    static const double roll[] = {98541, 98681, 98887, 99027, 99190, 99306};
    for (int i = 0; i < 6; ++i) {
        // Short and dry, so each stroke stands clear of the last one's ring.
        Note& t = c.ms(I::Tom, roll[i], 100, 45.0f + 2.0f * i, 0.7f + 0.06f * i);
        t.bright = 0.05f;
        t.reverb = 0.12f;
        t.pan = (i % 2) ? 0.3f : -0.3f;
    }
    riser(c, 187, 192, 0.25f, 50);
    // 100 s: the jellyfish rise. A boom, a choir and an open chord.
    Note& rise = c.ms(I::Impact, 100000, 100, 31, 0.55f);
    rise.reverb = 0.6f;
    Note& swell = c.ms(I::Crash, 100000, 100, 60, 0.15f);
    swell.bright = 0.8f;
    swell.reverb = 0.5f;

    // The glow: a full half-time groove, the snare on every cue.
    static const Chord* const glow[] = {&dm9, &bbMaj9, &fMaj7, &cAdd9};
    for (double b = 194; b <= 250; b += 4)
        accent(c, c.tempo.ms(b), 0.9f, static_cast<int>(b - 194) % 16 == 0, false);
    kicks(c, 192, 256, "x.....x...x...-.", 0.8f, 0.5f);
    hats(c, I::HatClosed, 192, 256, "x-x-x-xox-x-x-xo", 0.11f, 0.6f, 0.3f);
    hats(c, I::Shaker, 200, 256, "-x-x-x-x-x-x-x-x", 0.07f, 0.5f, -0.35f);
    hats(c, I::HatOpen, 208, 256, "..x...x...x...x.", 0.06f, 0.4f, -0.2f, 0.2f);
    for (double bar = 192; bar < 256; bar += 4) {
        const Chord& ch = chordAt(glow, 192, bar, 4);
        pads(c, bar, bar + 4, ch, 0.085f, 0.45f);
        bassLine(c, bar, bar + 4, ch, "x..x..x.x..x..x.", 0.45f, 0.4f);
        if (bar >= 200)
            c.arpeggio(I::Pluck, bar, bar + 4, ch, 4, {0, 2, 4, 2, 3, 1, 4, 2}, 0.07f, 0.5f, 12.0f);
        if (bar >= 224)
            pads(c, bar, bar + 4, ch, 0.05f, 0.6f, true, I::Choir, 12.0f);
    }
    // The tune: a question, an answer, the question again; it must end before the colour turns.
    double at = 208;
    for (int phrase = 0; phrase < 3; ++phrase) {
        if (phrase % 2 == 0)
            at = c.melody(I::Lead, at, {{69, 1.5}, {67, 0.5}, {65, 1}, {64, 1}, {62, 3}, {65, 1}, {72, 2}, {69, 1.5},
                                        {67, 0.5}, {64, 3}, {-1, 1}},
                          0.2f, 0.5f);
        else
            at = c.melody(I::Lead, at, {{74, 1}, {72, 0.5}, {69, 2.5}, {65, 1}, {67, 1}, {69, 2}, {72, 1.5},
                                        {69, 0.5}, {67, 1}, {65, 1}, {64, 2}, {62, 2}},
                          0.2f, 0.55f);
    }
    // A breath, then 133.5 s: the jellyfish change colour, the harmony turns to D major.
    riser(c, 252, 256, 0.3f, 57);
    Note& turn = c.ms(I::Impact, 133500, 100, 38, 0.5f);
    turn.reverb = 0.6f;
    Note& bell = c.ms(I::Bell, 133500, 500, 78, 0.18f);
    bell.bright = 0.8f;
    bell.reverb = 0.6f;
    bell.delay = 0.5f;
    static const Chord* const major[] = {&gMaj9, &dMaj9F, &bm9, &aSus9};
    kicks(c, 256, 286, "x.....x...x.....", 0.75f, 0.5f);
    claps(c, 256, 286, "........x.......", 0.4f, 0.35f);
    hats(c, I::HatClosed, 256, 286, "x-x-x-x-x-x-x-x-", 0.1f, 0.7f, 0.3f);
    for (double bar = 256; bar < 288; bar += 4) {
        const Chord& ch = chordAt(major, 256, bar, 4);
        pads(c, bar, bar + 4, ch, 0.09f, 0.55f);
        pads(c, bar, bar + 4, ch, 0.05f, 0.7f, true, I::Choir, 12.0f);
        bassLine(c, bar, bar + 4, ch, "x.....x...x.....", 0.45f, 0.45f);
        c.arpeggio(I::Bell, bar, bar + 4, ch, 2, {0, 4, 2, 3}, 0.07f, 0.5f, 24.0f);
    }
    c.melody(I::Lead, 264, {{78, 2}, {76, 1}, {74, 1}, {73, 3}, {69, 1}, {71, 2}, {73, 1}, {74, 1}, {76, 4},
                            {78, 1.5}, {81, 0.5}, {78, 1}, {76, 1}, {74, 3}, {73, 1}},
             0.19f, 0.55f);
    riser(c, 284, 288, 0.25f, 50);
}

namespace {

// 167 s, the push: a pumping D Dorian pedal. No tune; the colour is the rhythm: a sixteenth
// bass on D, hand toms, and chord stabs off the beat, one for each shove through the specks.
void writePush(Composer& c)
{
    static const Chord* const push[] = {&dmAdd9, &dmAdd9, &gSixOverD, &cOverD};
    accent(c, 167000, 1.0f, true, true);
    kicks(c, 320, 352, "x...x...x...x...", 0.85f, 0.45f);
    claps(c, 328, 352, "....x.......x...", 0.4f, 0.25f);
    hats(c, I::HatClosed, 320, 352, "x.oxx.oxx.oxx.ox", 0.08f, 0.6f, 0.3f);
    hats(c, I::HatOpen, 336, 352, "..x...x...x...x.", 0.08f, 0.45f, -0.2f, 0.15f);
    for (size_t i : c.pattern(I::Tom, 320, 352, "x..x..x...x.x...", 45, 0.3f)) {
        c.notes[i].reverb = 0.2f;
        c.notes[i].pan = -0.3f;
    }
    for (size_t i : c.pattern(I::Tom, 336, 352, "......x.......x.", 40, 0.3f)) {
        c.notes[i].reverb = 0.2f;
        c.notes[i].pan = 0.3f;
    }
    for (double bar = 320; bar < 352; bar += 4) {
        const Chord& ch = chordAt(push, 320, bar, 4);
        pads(c, bar, bar + 4, ch, 0.07f, 0.4f);
        bassLine(c, bar, bar + 4, Chord{38, ch.tones}, "-xxx-xxx-xxx-xxx", 0.5f, 0.6f);
        stabs(c, bar, bar + 4, ch, bar < 336 ? "...x.....x...x.." : "...x..x..x...x.x", 0.05f, 0.8f);
    }
    riser(c, 348, 352, 0.25f, 55);
}

// 182.95 s, the creatures: the break. The drums stop; D Phrygian (D minor against E flat),
// hand toms far off, and the creatures' calls, gliding sighs down onto the flat second. At
// 191.58 s the floor darkens to the drone alone; from 193.58 s the sprouts grow as rising
// plucks, thicker and louder, and a heartbeat builds into the spray.
void writeCreatures(Composer& c)
{
    static const Chord* const creatures[] = {&dm9, &ebMaj7};
    accent(c, 182950, 0.8f, true, false);
    for (double bar = 352; bar < 392; bar += 4) {
        const Chord& ch = chordAt(creatures, 352, bar, 4);
        bool dark = bar >= 368;
        pads(c, bar, bar + 4, ch, dark ? 0.05f : 0.07f, dark ? 0.1f : 0.3f, false);
        Note& s = c.beat(I::SubBass, bar, 4, ch.root, dark ? 0.25f : 0.3f);
        s.bright = 0.2f;
    }
    for (size_t i : c.pattern(I::Tom, 354, 368, "x..x......x.....", 47, 0.12f)) {
        c.notes[i].reverb = 0.5f;
        c.notes[i].pan = 0.4f;
    }
    static const float calls[][2] = {{70, -1}, {69, -2}, {75, -1}, {74, -2}};
    for (int i = 0; i < 4; ++i) {
        Note& n = c.beat(I::Lead, 353 + 3.5 * i, 3, calls[i][0], 0.1f);
        n.bend = calls[i][1];
        n.bright = 0.2f;
        n.reverb = 0.6f;
        n.delay = 0.45f;
        n.pan = (i % 2) ? 0.4f : -0.4f;
    }
    current(c, 182950, 203500, 74, 0.5f);
    Note& dark = c.ms(I::Drone, 191580, 12500, 26, 0.4f);
    dark.bright = 0.2f;
    Note& darkHit = c.ms(I::Impact, 191580, 100, 29, 0.3f);
    darkHit.reverb = 0.6f;
    Noise sprouts(193580);
    static const float scale[] = {62, 64, 65, 69, 72, 74, 77, 81};
    for (double t = 193580; t < 203500;) {
        float step = static_cast<float>((t - 193580) / 10000.0);
        Note& n = c.ms(I::Pluck, t, 120, scale[sprouts.next() % 8] + 12.0f * (step > 0.5f ? 1.0f : 0.0f),
                       0.04f + 0.08f * step);
        n.bright = 0.6f;
        n.pan = sprouts.range(-0.7f, 0.7f);
        n.delay = 0.4f;
        n.reverb = 0.3f;
        t += sprouts.range(80, 220) * (1.0f - 0.5f * step);
    }
    Note& sprout = c.ms(I::Bell, 193580, 400, 74, 0.16f);
    sprout.bright = 0.6f;
    sprout.delay = 0.4f;
    sprout.reverb = 0.5f;
    for (double b = 380; b < 384; b += 2)
        kick(c, b, 0.4f, 0.2f);
    kicks(c, 384, 392, "x...x...x...x...", 0.6f, 0.4f);
    hats(c, I::HatClosed, 384, 392, "x-x-x-xox-x-x-xo", 0.08f, 0.7f, 0.3f);
    riser(c, 384, 392, 0.4f, 55);
    snareRoll(c, 390, 392, 0.1f, 0.25f);
}

// 204 s, the spray: the first blaze, in major. B flat lydian lifting through C to D minor and
// F; bells sparkle two octaves up on every sixteenth, a real snare on the backbeat, the tune
// doubled by a bell above it. Every beat a pale flash.
void writeSpray(Composer& c)
{
    static const Chord* const spray[] = {&bbMaj9s11, &c69, &dmAdd9, &fMaj9};
    accent(c, 204000, 1.1f, true, true);
    air(c, 204000, 221000, 0.5f);
    kicks(c, 392, 426, "o...o...o...o...", 0.7f, 0.6f);
    for (size_t i : c.pattern(I::Snare, 392, 426, "....x.......x..-", 52, 0.4f)) {
        c.notes[i].reverb = 0.3f;
        c.notes[i].bright = 0.6f;
    }
    hats(c, I::HatOpen, 392, 426, "..x...x...x...x.", 0.12f, 0.6f, -0.2f, 0.15f);
    hats(c, I::HatClosed, 392, 426, "xxoxxxoxxxoxxxox", 0.08f, 0.75f, 0.3f);
    for (double bar = 392; bar < 426; bar += 4) {
        const Chord& ch = chordAt(spray, 392, bar, 4);
        double end = std::min(bar + 4.0, 426.0);
        pads(c, bar, end, ch, 0.15f, 0.8f);
        pads(c, bar, end, ch, 0.08f, 0.8f, true, I::Choir, 12.0f);
        bassLine(c, bar, end, ch, "x..x..x.x..x..x.", 0.5f, 0.6f);
        c.arpeggio(I::Bell, bar, end, ch, 4, {0, 2, 4, 3, 1, 4, 2, 3}, 0.05f, 0.6f, 24.0f);
    }
    for (float octave : {0.0f, 12.0f})
        c.melody(octave > 0 ? I::Bell : I::Lead, 400,
                 {{77, 2}, {76, 1}, {74, 1}, {72, 3}, {74, 1}, {74, 2}, {77, 1}, {79, 1}, {81, 4}, {82, 2}, {81, 1},
                  {79, 1}, {77, 3}, {76, 1}, {74, 6}},
                 octave > 0 ? 0.06f : 0.2f, octave > 0 ? 0.5f : 0.65f, octave);
}

} // namespace

void writeMiddle(Composer& c)
{
    // 150 s, the fish: a breakdown in G minor. No kick, deep bass, a slow bell melody.
    static const Chord* const fish[] = {&gm9, &ebMaj7, &cm9, &d7Sus};
    Note& drop = c.ms(I::Impact, 150000, 100, 31, 0.45f);
    drop.reverb = 0.6f;
    for (double bar = 288; bar < 320; bar += 4) {
        const Chord& ch = chordAt(fish, 288, bar, 4);
        pads(c, bar, bar + 4, ch, 0.1f, 0.35f, false);
        Note& s = c.beat(I::SubBass, bar, 4, ch.root, 0.45f);
        s.bright = 0.2f;
        c.arpeggio(I::Pluck, bar, bar + 4, ch, 2, {0, 2, 4, 1}, 0.06f, 0.3f, 12.0f);
    }
    hats(c, I::Shaker, 288, 320, "..x-..x-..x-..x-", 0.1f, 0.45f, -0.3f);
    for (size_t i : c.pattern(I::Tom, 296, 320, "x.........x.....", 43, 0.25f))
        c.notes[i].reverb = 0.35f;
    claps(c, 304, 320, "........x.......", 0.25f, 0.5f);
    c.melody(I::Bell, 292, {{74, 1.5}, {70, 0.5}, {69, 2}, {67, 2}, {70, 2}, {74, 1}, {75, 1}, {74, 4}, {67, 1.5},
                            {69, 0.5}, {70, 2}, {72, 2}, {69, 2}, {66, 2}, {67, 4}},
             0.13f, 0.5f);
    riser(c, 312, 320, 0.35f, 50);
    snareRoll(c, 318, 320, 0.12f, 0.36f);

    writePush(c);
    writeCreatures(c);
    writeSpray(c);
}

void writeRopes(Composer& c)
{
    // 221.5 s, after the spray's blaze: the break. A D pedal, a clock ticking over it, and a bass
    // falling a semitone at a time (D, C#, C, B) towards the three hits.
    Note& start = c.ms(I::Impact, 221500, 100, 31, 0.45f);
    start.reverb = 0.6f;
    Note& drone = c.beat(I::Drone, 426, 16, 26, 0.4f);
    drone.bright = 0.4f;
    static const Chord* const lament[] = {&dm9, &aOverCs, &dmOverC, &gOverB};
    for (double bar = 426; bar < 441; bar += 4) {
        const Chord& ch = chordAt(lament, 426, bar, 4);
        double end = std::min(bar + 4.0, 441.0);
        pads(c, bar, end, ch, 0.07f, 0.2f, false);
        Note& low = c.beat(I::Bass, bar, end - bar, ch.root + 12, 0.2f);
        low.bright = 0.15f;
        low.reverb = 0.3f;
    }
    current(c, 221500, 229500, 72, 0.5f);
    hats(c, I::HatClosed, 426, 441, "x.x.x.x.x.x.x.x.", 0.06f, 0.5f, 0.3f);
    for (size_t i : c.pattern(I::Tom, 429, 441, "x.......", 38, 0.25f, 2.0))
        c.notes[i].reverb = 0.3f;
    // 228 s: the swimmers appear, a choir swelling in and an arpeggio starting.
    for (float tone : dm9.tones) {
        Note& n = c.ms(I::Choir, 228000, 9500, tone + 12, 0.06f);
        n.bright = 0.5f;
        n.reverb = 0.5f;
    }
    Note& appear = c.ms(I::Bell, 228000, 400, 81, 0.15f);
    appear.bright = 0.6f;
    appear.delay = 0.5f;
    appear.reverb = 0.5f;
    c.arpeggio(I::Pluck, 439, 457, dm9, 4, {0, 2, 4, 3, 1, 2, 4, 2}, 0.07f, 0.45f, 12.0f);
    // The three hits, the groove gathering between them, then the loud stretch from 237.84 s
    // while the flares burn.
    accent(c, 229457, 1.0f, true, true);
    accent(c, 232549, 0.9f, true, false);
    accent(c, 236652, 1.0f, true, true);
    kicks(c, 441, 455, "x.....x...x.....", 0.7f, 0.5f);
    hats(c, I::Shaker, 441, 457, "-x-x-x-x-x-x-x-x", 0.09f, 0.5f, -0.3f);
    hats(c, I::HatClosed, 449, 457, "x-x-x-x-x-x-x-x-", 0.08f, 0.6f, 0.3f);
    for (double bar = 441; bar < 457; bar += 4) {
        double end = std::min(bar + 4.0, 457.0);
        const Chord& ch = static_cast<int>(bar - 441) % 8 ? bbMaj9 : dm9;
        pads(c, bar, end, ch, 0.09f, 0.4f);
        bassLine(c, bar, end, ch, "x.....x...x.....", 0.45f, 0.4f);
    }
    // No noise riser into this one: the toms climb in pitch and quicken over the last bar, and
    // the choir rises a tone under them.
    for (double b = 453; b < 457; b += b < 455 ? 0.5 : 0.25) {
        const float u = static_cast<float>((b - 453) / 4.0);
        Note& t = c.beat(I::Tom, b, 0.2, 38.0f + 12.0f * u, 0.2f + 0.25f * u);
        t.reverb = 0.3f;
        t.pan = (static_cast<int>(b * 4) % 2) ? 0.35f : -0.35f;
    }
    for (float tone : dm9.tones) {
        Note& n = c.beat(I::Choir, 453, 4, tone + 12, 0.06f);
        n.bend = 2;
        n.bright = 0.6f;
        n.reverb = 0.5f;
    }
    // The flares: a minor anthem. The choir carries the chords high, the tune is doubled an
    // octave down, toms roll into every fourth bar.
    accent(c, 237842, 1.1f, true, true);
    air(c, 237842, 252500, 0.5f);
    static const Chord* const loud[] = {&dmAdd9, &bbAdd9, &fMaj7, &cAdd9High};
    kicks(c, 457, 487, "o...o...o...o...", 0.7f, 0.6f);
    claps(c, 457, 487, "....x.......x...", 0.55f, 0.3f);
    hats(c, I::HatOpen, 457, 487, "..x...x...x...x.", 0.12f, 0.6f, -0.2f, 0.15f);
    hats(c, I::HatClosed, 457, 487, "x-x-x-x-x-x-x-x-", 0.09f, 0.7f, 0.3f);
    for (double bar = 457; bar < 487; bar += 4) {
        const Chord& ch = chordAt(loud, 457, bar, 4);
        double end = std::min(bar + 4.0, 487.0);
        pads(c, bar, end, ch, 0.14f, 0.7f);
        pads(c, bar, end, ch, 0.1f, 0.85f, true, I::Choir, 12.0f);
        bassLine(c, bar, end, ch, "x.xxx.xxx.xxx.xx", 0.5f, 0.6f);
        c.arpeggio(I::Pluck, bar, end, ch, 2, {0, 2, 4, 3}, 0.08f, 0.6f, 12.0f);
        if (static_cast<int>(bar - 457) % 16 == 12)
            for (size_t i : c.pattern(I::Tom, bar + 2, end, "x.x.xxxx", 43, 0.35f, 2.0))
                c.notes[i].reverb = 0.3f;
    }
    for (float octave : {0.0f, -12.0f})
        c.melody(I::Lead, 461, {{74, 2}, {77, 1}, {76, 1}, {74, 2}, {72, 2}, {69, 3}, {72, 1}, {74, 4}, {77, 2},
                                {79, 1}, {81, 1}, {79, 2}, {77, 2}, {76, 3}, {72, 1}, {74, 2}},
                 octave < 0 ? 0.15f : 0.22f, octave < 0 ? 0.4f : 0.65f, octave);
    // 253.05 s: the flares fall; the groove drops out into the return.
    accent(c, 253047, 0.9f, true, true);
    for (float tone : dm9.tones) {
        Note& n = c.beat(I::Pad, 487, 3, tone, 0.09f);
        n.bright = 0.3f;
        n.reverb = 0.7f;
    }
}

void writeReturn(Composer& c)
{
    // 254.5 s: the long flight back along the ropes. It starts as a break, chords and a slow
    // arpeggio without drums in D minor; the groove gathers from 262 s ...
    static const Chord* const minor[] = {&dm9, &bbMaj9, &fMaj7, &cAdd9};
    // ... and arrives in F major when the hairs turn orange at 271.2 s.
    static const Chord* const major[] = {&fMaj9, &am7, &bbMaj9s11, &c69};
    Note& start = c.ms(I::Crash, 254500, 100, 60, 0.15f);
    start.reverb = 0.5f;
    current(c, 254500, 263500, 67, 0.45f);
    hats(c, I::Shaker, 498, 570, "-x-x-x-x-x-x-x-x", 0.08f, 0.45f, -0.3f);
    kicks(c, 506, 570, "x.......x.......", 0.6f, 0.4f);
    hats(c, I::HatClosed, 510, 570, "x-x-x-x-x-x-x-x-", 0.08f, 0.6f, 0.3f);
    kicks(c, 522, 570, "....x.......x...", 0.45f, 0.3f);
    claps(c, 522, 570, "....x.......x...", 0.3f, 0.4f);
    for (double bar = 490; bar < 570; bar += 4) {
        bool turned = bar >= 522;
        const Chord& ch = turned ? chordAt(major, 522, bar, 4) : chordAt(minor, 490, bar, 4);
        pads(c, bar, bar + 4, ch, 0.09f, turned ? 0.6f : 0.4f);
        bassLine(c, bar, bar + 4, ch, bar >= 506 ? "x..x..x...x..x.." : "", 0.4f, 0.4f);
        c.arpeggio(I::Pluck, bar, bar + 4, ch, turned ? 4 : 2, {0, 2, 4, 2, 3, 1, 4, 2}, 0.07f,
                   turned ? 0.6f : 0.4f, 12.0f);
        if (turned)
            pads(c, bar, bar + 4, ch, 0.05f, 0.6f, true, I::Choir, 12.0f);
    }
    // No riser here either: the groove stops dead for the beat before the turn, the pads
    // hanging alone, and the lead leans into it.
    std::erase_if(c.notes, [&c](const Note& n) {
        const bool groove = n.instrument == I::Kick || n.instrument == I::HatClosed || n.instrument == I::Shaker ||
                            n.instrument == I::Bass || n.instrument == I::Pluck;
        return groove && n.startMs >= c.tempo.ms(521) && n.startMs < c.tempo.ms(522);
    });
    c.melody(I::Lead, 520.5, {{72, 0.5}, {74, 0.5}, {76, 0.5}}, 0.14f, 0.5f);
    c.melody(I::Lead, 498, {{69, 3}, {67, 1}, {65, 2}, {64, 2}, {62, 4}, {-1, 4}, {69, 1.5}, {72, 0.5}, {74, 2},
                            {72, 2}, {69, 4}, {67, 4}},
             0.16f, 0.4f);
    Note& turn = c.ms(I::Bell, 271200, 500, 77, 0.18f);
    turn.bright = 0.8f;
    turn.delay = 0.5f;
    turn.reverb = 0.6f;
    Note& turnHit = c.ms(I::Impact, 271200, 100, 29, 0.4f);
    turnHit.reverb = 0.6f;
    Note& turnCrash = c.ms(I::Crash, 271200, 100, 60, 0.15f);
    turnCrash.reverb = 0.4f;
    c.melody(I::Lead, 526, {{72, 2}, {76, 1}, {77, 1}, {79, 3}, {77, 1}, {76, 2}, {72, 2}, {74, 4}, {77, 2}, {76, 1},
                            {74, 1}, {72, 3}, {69, 1}, {72, 8}},
             0.19f, 0.6f);
    c.melody(I::Bell, 546, {{84, 1}, {81, 1}, {79, 1}, {76, 1}, {77, 2}, {72, 2}, {74, 4}, {81, 1}, {79, 1}, {77, 1},
                            {76, 1}, {72, 4}},
             0.1f, 0.5f);

    // The greetings: a held breath from 296 s, the drums out, then three pictures on three hits.
    riser(c, 570, 575, 0.35f, 53);
    Note& lift = c.ms(I::Wind, 296000, 2400, 72, 0.3f);
    lift.bright = 0.6f;
    pads(c, 570, 575, c69, 0.08f, 0.5f, false);
    static const double greets[] = {298442, 300451, 302596};
    static const Chord* const stabs[] = {&bbMaj9, &cAdd9, &dm9};
    for (int i = 0; i < 3; ++i) {
        accent(c, greets[i], 1.0f, true, true);
        double b = 575.0 + 4.0 * i;
        pads(c, b, b + 4, *stabs[i], 0.1f, 0.6f);
        bassLine(c, b, b + 4, *stabs[i], "x.....x...x.....", 0.45f, 0.45f);
        c.arpeggio(I::Bell, b, b + 4, *stabs[i], 2, {4, 2, 3, 0}, 0.07f, 0.5f, 24.0f);
    }
    hats(c, I::HatClosed, 575, 587, "x-x-x-x-x-x-x-x-", 0.08f, 0.6f, 0.3f);
    kicks(c, 575, 587, "......x...x.....", 0.6f, 0.4f);
}

void writeClosing(Composer& c)
{
    // 305 s, the last scene: slower, a pulse like breathing under long chords; the stalks sway
    // with it. The opening comes back: its wind, its chord and its bell tune, first sung by the
    // lead, then by the bells where they began, while the pulse stops and the stalks wilt. Ends
    // on D major under the credits.
    static const Chord* const progression[] = {&dm9, &bbMaj9, &gm9, &aSus};
    Note& start = c.ms(I::Impact, 305000, 100, 26, 0.4f);
    start.reverb = 0.7f;
    Note& drone = c.beat(I::Drone, 587, 56, 26, 0.3f);
    drone.bright = 0.25f;
    for (double bar = 587; bar < 643; bar += 8) {
        const Chord& ch = chordAt(progression, 587, bar, 8);
        float thin = bar >= 619 ? 0.7f : 1.0f;
        pads(c, bar, bar + 8, ch, 0.1f * thin, 0.45f);
        Note& s = c.beat(I::SubBass, bar, 8, ch.root, 0.4f * thin);
        s.ducked = true;
        s.bright = 0.3f;
        c.arpeggio(I::Bell, bar, bar + 8, ch, 1, {0, 2, 4, 3, 1, 4, 2, 3}, 0.06f * thin, 0.45f, 24.0f);
        pads(c, bar, bar + 8, ch, 0.05f, 0.5f, true, I::Choir, 12.0f);
    }
    // The breath: a soft kick on every beat pumping the pads; the bass walks in with the low
    // tune. At 324 s the pulse holds its breath for a bar; the tune comes back an octave up
    // over a crash, the kick on every other beat, and the song thins out from there.
    kicks(c, 591, 619, "x...x...x...x...", 0.45f, 0.2f);
    hats(c, I::Shaker, 595, 619, "..x...x...x...x.", 0.08f, 0.4f, -0.3f);
    for (double bar = 603; bar < 619; bar += 8)
        bassLine(c, bar, bar + 8, chordAt(progression, 587, bar, 8), "x.....x.x.....x.", 0.35f, 0.35f, false);
    for (double at : {603.0, 623.0}) {
        Note& x = c.beat(I::Crash, at, 0.25, 60, 0.14f);
        x.reverb = 0.5f;
        x.bright = 0.4f;
    }
    kicks(c, 623, 643, "x.......x.......", 0.35f, 0.15f);
    // The opening's tune, sung low and slow by the lead, then an octave up with the choir.
    for (float octave : {-12.0f, 0.0f})
        c.melody(I::Lead, octave < 0 ? 603 : 623,
                 {{openingTune[0], 2}, {openingTune[1], 2}, {openingTune[2], 2}, {openingTune[3], 2},
                  {openingTune[4], 4}, {openingTune[5], 4}},
                 octave < 0 ? 0.17f : 0.14f, 0.4f, octave);
    // 343 s: the opening as it was, the wind, the chord high and thin, the bells.
    const double back = c.tempo.ms(643);
    openingWaters(c, back, c.tempo.ms(685) - back, c.tempo.ms(667) - back, 0.5f, 0.14f);
    // The credits: a last D major chord, ringing into the fade.
    Note& last = c.beat(I::Bell, 667, 1, 74, 0.12f);
    last.bright = 0.7f;
    last.reverb = 0.6f;
    pads(c, 667, 685, dMaj9, 0.09f, 0.4f, false);
    Note& sub = c.beat(I::SubBass, 667, 14, 38, 0.3f);
    sub.bright = 0.2f;
}
