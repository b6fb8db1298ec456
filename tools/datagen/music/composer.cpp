#include "tools/datagen/music/composer.h"

Note& Composer::ms(Instrument instrument, double startMs, double lengthMs, float pitch, float velocity)
{
    Note n;
    n.instrument = instrument;
    n.startMs = startMs;
    n.lengthMs = lengthMs;
    n.pitch = pitch;
    n.velocity = velocity;
    n.seed = nextSeed++;
    notes.push_back(n);
    return notes.back();
}

Note& Composer::beat(Instrument instrument, double startBeat, double lengthBeats, float pitch, float velocity)
{
    double start = tempo.ms(startBeat);
    double end = tempo.ms(startBeat + lengthBeats);
    return ms(instrument, start, end - start, pitch, velocity);
}

std::vector<size_t> Composer::pattern(Instrument instrument, double fromBeat, double toBeat, std::string_view steps,
                                      float pitch, float velocity, double barBeats)
{
    std::vector<size_t> placed;
    if (steps.empty())
        return placed;
    const double step = barBeats / static_cast<double>(steps.size());
    for (double bar = fromBeat; bar < toBeat - 1e-9; bar += barBeats) {
        for (size_t i = 0; i < steps.size(); ++i) {
            double at = bar + step * static_cast<double>(i);
            if (at >= toBeat - 1e-9)
                break;
            float scale = steps[i] == 'x' ? 1.0f : steps[i] == 'o' ? 1.3f : steps[i] == '-' ? 0.45f : 0.0f;
            if (scale == 0.0f)
                continue;
            beat(instrument, at, step, pitch, velocity * scale);
            placed.push_back(notes.size() - 1);
        }
    }
    return placed;
}

void Composer::chord(Instrument instrument, double fromBeat, double toBeat, const Chord& c, float velocity,
                     float bright, float transpose)
{
    float pan = -0.3f;
    const float panStep = c.tones.size() > 1 ? 0.6f / static_cast<float>(c.tones.size() - 1) : 0.0f;
    for (float tone : c.tones) {
        Note& n = beat(instrument, fromBeat, toBeat - fromBeat, tone + transpose, velocity);
        n.bright = bright;
        n.reverb = 0.45f;
        n.pan = pan;
        pan += panStep;
    }
}

void Composer::arpeggio(Instrument instrument, double fromBeat, double toBeat, const Chord& c, int perBeat,
                        std::initializer_list<int> order, float velocity, float bright, float transpose)
{
    const int size = static_cast<int>(c.tones.size());
    const double step = 1.0 / perBeat;
    size_t k = 0;
    std::vector<int> walk(order);
    int i = 0;
    for (double at = fromBeat; at < toBeat - 1e-9; at += step, ++i) {
        int index = walk[k++ % walk.size()];
        float octave = 0;
        while (index < 0) {
            index += size;
            octave -= 12;
        }
        while (index >= size) {
            index -= size;
            octave += 12;
        }
        Note& n = beat(instrument, at, step * 0.9, c.tones[static_cast<size_t>(index)] + octave + transpose,
                       velocity * (i % perBeat == 0 ? 1.0f : 0.8f));
        n.bright = bright;
        n.pan = (i % 2 == 0) ? -0.35f : 0.35f;
        n.delay = 0.35f;
        n.reverb = 0.25f;
    }
}

double Composer::melody(Instrument instrument, double fromBeat, std::initializer_list<std::pair<float, double>> line,
                        float velocity, float bright, float transpose)
{
    double at = fromBeat;
    for (const auto& [pitch, length] : line) {
        if (pitch >= 0) {
            Note& n = beat(instrument, at, length * 0.95, pitch + transpose, velocity);
            n.bright = bright;
            n.reverb = 0.35f;
            n.delay = 0.25f;
        }
        at += length;
    }
    return at;
}
