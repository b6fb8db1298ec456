// The tempo map: the beat follows the show. Anchors pin chosen beats to absolute music times
// (the cues); between them the time of a beat is a monotone cubic through the anchors, so the
// tempo bends smoothly from one anchor to the next instead of jumping.
#pragma once

#include <vector>

struct TempoAnchor {
    double beat;
    double ms;
};

struct TempoMap {
    std::vector<TempoAnchor> anchors; // increasing in both beat and time
    std::vector<double> slopes;       // ms per beat at each anchor

    // Anchors must be strictly increasing in beat and in time; returns false otherwise.
    bool build(std::vector<TempoAnchor> points);
    // Music time of a beat; before the first and after the last anchor the end tempo goes on.
    double ms(double beat) const;
    // The beat at a music time (the inverse of ms).
    double beat(double ms) const;
    // Local tempo in beats per minute.
    double bpm(double beat) const;
};
