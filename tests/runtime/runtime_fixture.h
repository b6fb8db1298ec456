// A small archive made for the runtime tests, and the offline window opened on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Song layout of the test archive's music: silence, then a 1 kHz sine.
constexpr int testSilenceMs = 2000;
constexpr int testSongMs = 4000;
constexpr float testSineHz = 1000.0f;

// Builds the archive once and opens the test binary's one runtime on it (offline unless told
// otherwise, tests/support/gl_context.h); false if there is no display.
bool openRuntimeOnTestArchive(bool offline = true);
std::string testArchivePath();
// The test archive's music file: Ogg Vorbis, stereo, 44.1 kHz.
std::vector<uint8_t> testSongBytes();
