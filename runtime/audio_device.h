// The sound device the music plays on and the counter the clock reads: SDL's on Linux
// (audio_device_sdl.cpp), waveOut and the performance counter on Windows
// (win32/audio_device_waveout.cpp). Everything else about the music and its clock is shared
// (music.cpp).
#pragma once

#include <cstdint>

namespace VELMORA_PELAGOR::detail {

// The device pulls the music through this, from its own thread and with the device lock held:
// `frames` stereo float frames into `out`. Defined by music.cpp.
void renderAudio(float* out, int frames);

struct AudioDeviceInfo {
    int bufferFrames = 0; // frames handed over per pull
    int queuedFrames = 0; // frames handed over and not yet heard, the newest pull included
};

// Opens a stereo float device at `rate`, silent until started; false (logged) when there is no
// device, and the show runs on the wall clock.
bool openAudioDevice(int rate, AudioDeviceInfo& info);
void startAudioDevice();
void closeAudioDevice();
// Around every access to what renderAudio shares with the main thread.
void lockAudioDevice();
void unlockAudioDevice();

uint64_t performanceTicks();
uint64_t ticksPerSecond();

} // namespace VELMORA_PELAGOR::detail
