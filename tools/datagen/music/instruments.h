// The score's instruments. A note is rendered whole, alone, into a stereo buffer; the mixer
// places it on the song's timeline and feeds its sends.
#pragma once

#include <cstdint>
#include <vector>

enum class Instrument {
    Kick,
    Snare,
    Clap,
    HatClosed,
    HatOpen,
    Shaker,
    Crash,
    Tom,
    SubBass,
    Bass,
    Pad,
    Choir,
    Pluck,
    Bell,
    Lead,
    Riser,
    Impact,
    Wind,
    Bubble,
    Drone,
};

struct Note {
    Instrument instrument = Instrument::Pad;
    double startMs = 0;   // absolute music time of the onset
    double lengthMs = 100; // held length; release tails ring on after it
    float pitch = 60;     // MIDI note number (fractions allowed)
    float velocity = 1;   // linear gain
    float pan = 0;        // -1 left .. +1 right
    float reverb = 0.2f;  // send levels
    float delay = 0;
    float bright = 0.5f;  // 0..1, the instrument's filter opening / timbre
    float bend = 0;       // semitones glided over the note (risers, drops)
    bool ducked = false;  // pumps under the kick's side-chain
    bool sidechain = false; // this note drives the side-chain (kicks)
    uint32_t seed = 1;
};

// Seconds the instrument keeps sounding after the held length (its release and decay).
float tailSeconds(const Note& note);

// Renders the note from its onset into left/right (resized to the note's full sounding length).
void renderNote(const Note& note, std::vector<float>& left, std::vector<float>& right);
