// Contract: the sound device the music plays on and the counter the clock reads. Each backend
// implements it in its own `audio_device.cpp` (Linux: SDL; Windows: waveOut and the performance
// counter; the browser: WebAudio). Everything else about the music and its clock is shared
// (music.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace VELMORA_PELAGOR::detail {

// The device pulls the music through this, from its own thread and with the device lock held:
// `frames` stereo float frames into `out`. Defined by music.cpp.
void renderAudio(float* out, int frames);

struct AudioDeviceInfo {
    int bufferFrames = 0; // frames handed over per pull
    int queuedFrames = 0; // frames handed over and not yet heard, the newest pull included
};

// Opens a stereo float device at `rate`, silent until started; false, with the reason, when there
// is no device. `name` says which one it is, for the log.
bool openAudioDevice(int rate, AudioDeviceInfo& info, std::string& name, std::string& why);
void startAudioDevice();
void closeAudioDevice();
// True once the open device has stopped for good (unplugged, its sound server gone): it will not
// play again, though it may still pull.
bool audioDeviceLost();
// True while the device is held on purpose and will play again (a browser's sound waiting for a
// click, or held while its tab is hidden): the clock waits with it, and its pace is not watched.
bool audioDeviceHeld();
// Around every access to what renderAudio shares with the main thread.
void lockAudioDevice();
void unlockAudioDevice();

uint64_t performanceTicks();
uint64_t ticksPerSecond();

} // namespace VELMORA_PELAGOR::detail
