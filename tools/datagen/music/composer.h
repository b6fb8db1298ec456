// Writing notes on the tempo map: places on beats (the grid that follows the show) or on absolute
// music times (the landmarks), drum patterns as step strings, chords, arpeggios.
#pragma once

#include "tools/datagen/music/instruments.h"
#include "tools/datagen/music/tempo.h"

#include <initializer_list>
#include <string_view>
#include <vector>

struct Chord {
    float root;               // bass note (MIDI)
    std::vector<float> tones; // pad voicing, low to high
};

struct Composer {
    const TempoMap& tempo;
    std::vector<Note> notes;
    uint32_t nextSeed = 1;

    explicit Composer(const TempoMap& map) : tempo(map) {}

    // A note on the beat grid; its length is in beats and follows tempo changes.
    Note& beat(Instrument instrument, double beat, double lengthBeats, float pitch, float velocity);
    // A note at an absolute music time in ms.
    Note& ms(Instrument instrument, double ms, double lengthMs, float pitch, float velocity);

    // A one-bar step pattern repeated over [fromBeat, toBeat): one character per step, steps
    // spread evenly over a bar of `barBeats`; 'x' a hit, 'o' an accent (1.3x), '-' a ghost (0.45x),
    // anything else a rest. Returns the notes' indices so callers can shape them.
    std::vector<size_t> pattern(Instrument instrument, double fromBeat, double toBeat, std::string_view steps,
                                float pitch, float velocity, double barBeats = 4.0);

    // Pad chord over [fromBeat, toBeat).
    void chord(Instrument instrument, double fromBeat, double toBeat, const Chord& c, float velocity,
               float bright, float transpose = 0.0f);
    // Arpeggio over the chord's tones, `perBeat` notes a beat, walking `order` (indices into tones,
    // negative entries an octave below, >= size an octave up).
    void arpeggio(Instrument instrument, double fromBeat, double toBeat, const Chord& c, int perBeat,
                  std::initializer_list<int> order, float velocity, float bright, float transpose = 12.0f);
    // A melody: pairs of (pitch, length in beats) from a start beat; pitch < 0 is a rest. The
    // transpose moves the whole line, so a tune can be doubled or restated in another octave.
    double melody(Instrument instrument, double fromBeat, std::initializer_list<std::pair<float, double>> line,
                  float velocity, float bright, float transpose = 0.0f);
};
