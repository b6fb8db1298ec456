// The music's device and counter on SDL: a callback device of 1024-frame buffers, two of them
// between the callback and the ear.
#include "runtime/audio_device.h"
#include "runtime/state.h"

namespace VELMORA_PELAGOR::detail {

namespace {

SDL_AudioDeviceID device = 0;

void audioCallback(void*, Uint8* stream, int length)
{
    renderAudio(reinterpret_cast<float*>(stream), length / static_cast<int>(2 * sizeof(float)));
}

} // namespace

bool openAudioDevice(int rate, AudioDeviceInfo& info, std::string& name, std::string& why)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = std::string("no audio (") + SDL_GetError() + ")";
        return false;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = audioCallback;
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device) {
        why = std::string("no audio device (") + SDL_GetError() + ")";
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    name = SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "SDL";
    // The buffer just handed over plays after the one now in the device.
    info.bufferFrames = have.samples;
    info.queuedFrames = 2 * have.samples;
    return true;
}

void startAudioDevice() { SDL_PauseAudioDevice(device, 0); }

void closeAudioDevice()
{
    if (!device)
        return;
    SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device = 0;
}

// SDL marks a device it has lost (SDL_AUDIODEVICEREMOVED) as stopped, and keeps calling back at
// about the buffer's pace so that nothing waits on it.
// SDL's device plays once started; nothing holds it.
bool audioDeviceHeld() { return false; }
bool audioDeviceLost() { return device != 0 && SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED; }

void lockAudioDevice() { SDL_LockAudioDevice(device); }
void unlockAudioDevice() { SDL_UnlockAudioDevice(device); }

uint64_t performanceTicks() { return SDL_GetPerformanceCounter(); }
uint64_t ticksPerSecond() { return SDL_GetPerformanceFrequency(); }

} // namespace VELMORA_PELAGOR::detail
