// The score, section by section along the show's timeline. Each writer places its notes on the
// shared tempo map (beats) and on the show's landmarks (absolute ms).
#pragma once

#include "tools/datagen/music/composer.h"

void writeOpening(Composer& c);   // air over the water, 0 - 10.5 s
void writeDescent(Composer& c);   // the slow build and the flares, 8 - 66.5 s
void writeForest(Composer& c);    // the frond forest, 66.5 - 91 s
void writeJellyfish(Composer& c); // shells, rise, glow and the change of colour, 90.5 - 150 s
void writeMiddle(Composer& c);    // fish, push, creatures, spray, 150 - 221.5 s
void writeRopes(Composer& c);     // the ropes, 221.5 - 254.5 s
void writeReturn(Composer& c);    // the return flight and the greetings, 254.5 - 305 s
void writeClosing(Composer& c);   // the last scene and the credits, 305 - 363 s
