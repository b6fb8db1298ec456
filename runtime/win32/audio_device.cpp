// The music's device and counter on Windows: waveOut fed by a thread of our own, which keeps four
// buffers of 1024 frames queued in the device (about 93 ms at 44.1 kHz), and the performance
// counter.
#include "runtime/audio_device.h"
#include "runtime/state.h"

#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

namespace VELMORA_PELAGOR::detail {

namespace {

constexpr int bufferCount = 4;
constexpr int bufferFrames = 1024;

struct WaveOut {
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr; // signalled by the device whenever a buffer has played
    WAVEHDR headers[bufferCount] = {};
    std::vector<int16_t> samples[bufferCount];
    std::vector<float> scratch;
    std::thread feeder;
    std::atomic<bool> stopFeeding{false};
    std::atomic<bool> lost{false}; // the device refused a buffer: unplugged, or its driver gone
    std::mutex lock; // what renderAudio shares with the main thread
};

WaveOut& waveOut()
{
    static WaveOut state;
    return state;
}

// The device takes 16-bit samples.
void fillBuffer(std::vector<int16_t>& out)
{
    WaveOut& w = waveOut();
    w.scratch.resize(bufferFrames * 2);
    {
        std::lock_guard<std::mutex> lock(w.lock);
        renderAudio(w.scratch.data(), bufferFrames);
    }
    out.resize(bufferFrames * 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int16_t>(std::lround(std::clamp(w.scratch[i], -1.0f, 1.0f) * 32767.0f));
}

// Keeps every buffer queued in the device: refills each one the device has finished.
void feed()
{
    WaveOut& w = waveOut();
    while (!w.stopFeeding) {
        for (int b = 0; b < bufferCount; ++b) {
            WAVEHDR& header = w.headers[b];
            if ((header.dwFlags & WHDR_PREPARED) && !(header.dwFlags & WHDR_DONE))
                continue; // still queued
            if (header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(w.device, &header, sizeof header);
            fillBuffer(w.samples[b]);
            header = WAVEHDR{};
            header.lpData = reinterpret_cast<LPSTR>(w.samples[b].data());
            header.dwBufferLength = static_cast<DWORD>(w.samples[b].size() * sizeof(int16_t));
            if (waveOutPrepareHeader(w.device, &header, sizeof header) != MMSYSERR_NOERROR ||
                waveOutWrite(w.device, &header, sizeof header) != MMSYSERR_NOERROR)
                w.lost = true;
        }
        WaitForSingleObject(w.bufferDone, 20);
    }
}

} // namespace

bool openAudioDevice(int rate, AudioDeviceInfo& info, std::string& name, std::string& why)
{
    WaveOut& w = waveOut();
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    w.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!w.bufferDone) {
        why = "no audio device (no event for it)";
        return false;
    }
    const MMRESULT result = waveOutOpen(&w.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(w.bufferDone), 0,
                                        CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR) {
        char text[MAXERRORLENGTH] = {};
        waveOutGetErrorTextA(result, text, sizeof text);
        why = std::string("no audio device (") + text + ")";
        w.device = nullptr;
        CloseHandle(w.bufferDone);
        w.bufferDone = nullptr;
        return false;
    }
    w.lost = false;
    name = "waveOut";
    // The buffer just handed over plays after the others still queued.
    info.bufferFrames = bufferFrames;
    info.queuedFrames = bufferCount * bufferFrames;
    return true;
}

void startAudioDevice()
{
    WaveOut& w = waveOut();
    if (w.feeder.joinable())
        return;
    w.stopFeeding = false;
    w.feeder = std::thread(feed);
}

void closeAudioDevice()
{
    WaveOut& w = waveOut();
    w.stopFeeding = true;
    if (w.feeder.joinable())
        w.feeder.join();
    if (w.device) {
        waveOutReset(w.device);
        for (WAVEHDR& header : w.headers)
            if (header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(w.device, &header, sizeof header);
        waveOutClose(w.device);
    }
    if (w.bufferDone)
        CloseHandle(w.bufferDone);
    w.device = nullptr;
    w.bufferDone = nullptr;
    for (WAVEHDR& header : w.headers)
        header = WAVEHDR{};
}

// waveOut plays once started; nothing holds it.
bool audioDeviceHeld() { return false; }
bool audioDeviceLost() { return waveOut().lost; }

void lockAudioDevice() { waveOut().lock.lock(); }
void unlockAudioDevice() { waveOut().lock.unlock(); }

uint64_t performanceTicks()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart);
}

uint64_t ticksPerSecond()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<uint64_t>(frequency.QuadPart);
}

} // namespace VELMORA_PELAGOR::detail
