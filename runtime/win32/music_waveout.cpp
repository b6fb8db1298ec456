// Music playback, the clock and the spectrum on Windows: the song decoded by stb_vorbis behind the
// runtime's music stream (runtime/win32/music_stream_stb.cpp) and played through waveOut.
//
// The clock rules are those of the other platforms: the position comes from the frames handed to
// the device, less the buffers still queued in it, interpolated between buffers with the
// performance counter, so it matches what is heard and never runs backwards except on a seek.
// Past the end of the song silent frames keep the clock running. Without an audio device the
// clock is the wall clock; offline it advances a fixed step per frame.
#include "runtime/music_stream.h"
#include "runtime/music_fft.h"
#include "runtime/state.h"

#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

namespace VELMORA_PELAGOR::detail {

namespace {

constexpr int spectrumSize = spectrumBinCount;
constexpr int fftSize = spectrumWindowSize;
// Four buffers of 1024 frames queued in the device: about 93 ms at 44.1 kHz.
constexpr int bufferCount = 4;
constexpr int bufferFrames = 1024;

int64_t performanceCounter()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t performanceFrequency()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

double secondsSince(int64_t counter)
{
    return static_cast<double>(performanceCounter() - counter) / static_cast<double>(performanceFrequency());
}

enum class ClockMode { Stopped, Audio, Wall, Offline };

struct MusicState {
    std::vector<uint8_t> ogg;
    bool loaded = false;
    int rate = 44100;
    int64_t totalFrames = 0;
    MusicStream playback; // feeder thread only, or under the lock
    MusicStream analysis; // main thread only

    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr; // signalled by the device whenever a buffer has played
    WAVEHDR headers[bufferCount] = {};
    std::vector<int16_t> samples[bufferCount];
    std::thread feeder;
    std::atomic<bool> stopFeeding{false};

    std::mutex lock; // shared with the feeder thread
    int64_t nextFrame = 0;
    int64_t callbackCounter = 0;
    bool callbackSeen = false;
    float gain = 1.0f, targetGain = 1.0f;
    std::vector<float> scratch;

    ClockMode mode = ClockMode::Stopped;
    double positionMs = 0.0;     // sampled at dmsUpdateTimer
    double lastReportedMs = 0.0; // for monotonic reading between seeks
    double offlineMs = 0.0;
    // Offline time is counted in frames from a base, so it never drifts by rounding.
    double offlineBaseMs = 0.0;
    int64_t offlineFrames = 0;
    double wallBaseMs = 0.0;
    int64_t wallBaseCounter = 0;
    double audioStartMs = 0.0;
    bool firstUpdate = true;
    int64_t lastUpdateCounter = 0;
    float deltaSeconds = 0.0f;
    bool testPosition = false;

    const float* spectrumOverride = nullptr;
    float spectrum[spectrumSize] = {};
    double spectrumAtMs = -1.0;
};

MusicState& music()
{
    static MusicState state;
    return state;
}

// Decodes the next buffer, with the volume gliding over about 5 ms so that mute and unmute
// never click.
void fillBuffer(std::vector<int16_t>& out)
{
    MusicState& m = music();
    m.scratch.resize(bufferFrames * 2);
    std::lock_guard<std::mutex> lock(m.lock);
    m.playback.readStereo(m.nextFrame, m.scratch.data(), bufferFrames, false);
    const float glide = 1.0f / (0.005f * static_cast<float>(m.rate));
    out.resize(bufferFrames * 2);
    for (int i = 0; i < bufferFrames; ++i) {
        m.gain += std::clamp(m.targetGain - m.gain, -glide, glide);
        for (int c = 0; c < 2; ++c) {
            const float value = std::clamp(m.scratch[static_cast<size_t>(i * 2 + c)] * m.gain, -1.0f, 1.0f);
            out[static_cast<size_t>(i * 2 + c)] = static_cast<int16_t>(std::lround(value * 32767.0f));
        }
    }
    m.nextFrame += bufferFrames;
    m.callbackCounter = performanceCounter();
    m.callbackSeen = true;
}

// Keeps every buffer queued in the device: refills each one the device has finished.
void feed()
{
    MusicState& m = music();
    while (!m.stopFeeding) {
        for (int b = 0; b < bufferCount; ++b) {
            WAVEHDR& header = m.headers[b];
            if ((header.dwFlags & WHDR_PREPARED) && !(header.dwFlags & WHDR_DONE))
                continue; // still queued
            if (header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(m.device, &header, sizeof header);
            fillBuffer(m.samples[b]);
            header = WAVEHDR{};
            header.lpData = reinterpret_cast<LPSTR>(m.samples[b].data());
            header.dwBufferLength = static_cast<DWORD>(m.samples[b].size() * sizeof(int16_t));
            if (waveOutPrepareHeader(m.device, &header, sizeof header) == MMSYSERR_NOERROR)
                waveOutWrite(m.device, &header, sizeof header);
        }
        WaitForSingleObject(m.bufferDone, 20);
    }
}

void startFeeding()
{
    MusicState& m = music();
    if (m.feeder.joinable())
        return;
    m.stopFeeding = false;
    m.feeder = std::thread(feed);
}

double audioClockMs()
{
    MusicState& m = music();
    int64_t next = 0, counter = 0;
    bool seen = false;
    {
        std::lock_guard<std::mutex> lock(m.lock);
        next = m.nextFrame;
        counter = m.callbackCounter;
        seen = m.callbackSeen;
    }
    if (!seen)
        return m.audioStartMs;
    // The buffer just handed over plays after the others still queued.
    const double buffer = bufferFrames;
    const double heard =
        static_cast<double>(next) - bufferCount * buffer + std::min(secondsSince(counter) * m.rate, buffer);
    return std::max(m.audioStartMs, heard * 1000.0 / m.rate);
}

double readClockMs()
{
    MusicState& m = music();
    switch (m.mode) {
    case ClockMode::Offline: return m.offlineMs;
    case ClockMode::Wall: return m.wallBaseMs + secondsSince(m.wallBaseCounter) * 1000.0;
    case ClockMode::Audio: return audioClockMs();
    case ClockMode::Stopped: break;
    }
    return m.positionMs;
}

void computeSpectrum(double atMs)
{
    MusicState& m = music();
    std::fill(std::begin(m.spectrum), std::end(m.spectrum), 0.0f);
    m.spectrumAtMs = atMs;
    if (!m.loaded || !m.analysis.isOpen())
        return;
    float stereo[fftSize * 2];
    const int64_t centre = static_cast<int64_t>(atMs * m.rate / 1000.0);
    m.analysis.readStereo(centre - fftSize / 2, stereo, fftSize, true);

    float mono[fftSize];
    for (int i = 0; i < fftSize; ++i)
        mono[i] = 0.5f * (stereo[i * 2] + stereo[i * 2 + 1]);
    musicSpectrum(mono, m.spectrum);
}

bool openDevice()
{
    MusicState& m = music();
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(m.rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    m.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m.bufferDone)
        return false;
    const MMRESULT result = waveOutOpen(&m.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(m.bufferDone), 0,
                                        CALLBACK_EVENT);
    if (result == MMSYSERR_NOERROR)
        return true;
    char text[MAXERRORLENGTH] = {};
    waveOutGetErrorTextA(result, text, sizeof text);
    dmsMsg("dmsInitEx: no audio device (%s); the show runs silently on the wall clock\n", text);
    m.device = nullptr;
    CloseHandle(m.bufferDone);
    m.bufferDone = nullptr;
    return false;
}

} // namespace

bool openMusic()
{
    MusicState& m = music();
    std::string why;
    if (const ArchiveRead read = readArchiveEntry("music.ogg", m.ogg, why); read != ArchiveRead::Ok) {
        dmsMsg("dmsInitEx: %s; the show runs silently\n", archiveReadProblem("music.ogg", read, why).c_str());
        return false;
    }
    if (!m.playback.open(m.ogg, why) || !m.analysis.open(m.ogg, why)) {
        dmsMsg("dmsInitEx: \"music.ogg\" cannot be played (%s); the show runs silently\n", why.c_str());
        closeMusic();
        return false;
    }
    m.rate = m.playback.rate();
    m.totalFrames = m.playback.totalFrames();
    m.loaded = true;
    if (!offline().enabled)
        openDevice();
    return true;
}

void closeMusic()
{
    MusicState& m = music();
    m.stopFeeding = true;
    if (m.feeder.joinable())
        m.feeder.join();
    if (m.device) {
        waveOutReset(m.device);
        for (WAVEHDR& header : m.headers)
            if (header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(m.device, &header, sizeof header);
        waveOutClose(m.device);
    }
    if (m.bufferDone)
        CloseHandle(m.bufferDone);
    m.device = nullptr;
    m.bufferDone = nullptr;
    for (WAVEHDR& header : m.headers)
        header = WAVEHDR{};
    m.playback.close();
    m.analysis.close();
    m.loaded = false;
    m.ogg.clear();
    m.mode = ClockMode::Stopped;
    m.callbackSeen = false;
    m.spectrumAtMs = -1.0;
}

double songLengthMs()
{
    const MusicState& m = music();
    return m.loaded ? static_cast<double>(m.totalFrames) * 1000.0 / m.rate : std::numeric_limits<double>::infinity();
}

} // namespace VELMORA_PELAGOR::detail

namespace VELMORA_PELAGOR {

using namespace detail;

void dmsInitTimer()
{
    MusicState& m = music();
    m.positionMs = m.lastReportedMs = offline().enabled ? offline().options.startMs : 0.0;
    m.offlineMs = m.offlineBaseMs = m.positionMs;
    m.offlineFrames = 0;
    m.mode = offline().enabled ? ClockMode::Offline : ClockMode::Stopped;
    m.firstUpdate = true;
    m.deltaSeconds = 0.0f;
    m.testPosition = false;
    uploadPendingTextures();
}

void dmsPlaySong(int play)
{
    MusicState& m = music();
    if (!play || m.mode == ClockMode::Offline)
        return;
    if (m.device) {
        const int64_t startFrame = static_cast<int64_t>(m.positionMs * m.rate / 1000.0);
        {
            std::lock_guard<std::mutex> lock(m.lock);
            m.playback.seek(std::min(startFrame, m.totalFrames));
            m.nextFrame = startFrame;
            m.callbackSeen = false;
        }
        m.audioStartMs = m.positionMs;
        m.mode = ClockMode::Audio;
        startFeeding();
    } else {
        m.wallBaseMs = m.positionMs;
        m.wallBaseCounter = performanceCounter();
        m.mode = ClockMode::Wall;
    }
}

void dmsUpdateTimer()
{
    MusicState& m = music();
    const int64_t now = performanceCounter();
    if (m.firstUpdate) {
        m.deltaSeconds = 0.0f;
    } else if (m.mode == ClockMode::Offline) {
        m.deltaSeconds = 1.0f / static_cast<float>(offline().options.fps);
        ++m.offlineFrames;
        m.offlineMs = m.offlineBaseMs + static_cast<double>(m.offlineFrames) * 1000.0 / offline().options.fps;
    } else {
        m.deltaSeconds = static_cast<float>(static_cast<double>(now - m.lastUpdateCounter) /
                                            static_cast<double>(performanceFrequency()));
    }
    m.firstUpdate = false;
    m.lastUpdateCounter = now;
    if (m.testPosition)
        return;
    m.positionMs = std::max(readClockMs(), m.lastReportedMs);
    m.lastReportedMs = m.positionMs;
}

int dmsGetModulePosition() { return static_cast<int>(std::floor(music().positionMs)); }

float dmsGetDeltaTime() { return music().deltaSeconds; }

void dmsAdjustTime(float ms)
{
    MusicState& m = music();
    const double target = std::clamp(m.positionMs + static_cast<double>(ms), 0.0, songLengthMs());
    switch (m.mode) {
    case ClockMode::Offline:
        m.offlineMs = m.offlineBaseMs = target;
        m.offlineFrames = 0;
        break;
    case ClockMode::Wall:
        m.wallBaseMs = target;
        m.wallBaseCounter = performanceCounter();
        break;
    case ClockMode::Audio: {
        const int64_t frame = static_cast<int64_t>(target * m.rate / 1000.0);
        std::lock_guard<std::mutex> lock(m.lock);
        m.playback.seek(std::min(frame, m.totalFrames));
        // Heard position = next - queued buffers + elapsed: make it read `target` from now on.
        m.nextFrame = frame + bufferCount * bufferFrames;
        m.callbackCounter = performanceCounter();
        m.callbackSeen = true;
        m.audioStartMs = 0.0;
        break;
    }
    case ClockMode::Stopped: break;
    }
    m.positionMs = m.lastReportedMs = target;
}

void dmsSetVolume(float volume)
{
    MusicState& m = music();
    // Up to 1 the value is a fraction of the normal level (the fade-out passes those), above
    // it a percentage with 100 as normal.
    const float gain = volume > 1.0f ? volume / 100.0f : std::max(volume, 0.0f);
    if (!m.device) {
        m.targetGain = gain;
        return;
    }
    std::lock_guard<std::mutex> lock(m.lock);
    m.targetGain = gain;
}

void dmsGetSpectrum(float* buffer, int count)
{
    if (!buffer || count <= 0)
        return;
    MusicState& m = music();
    const int n = std::min(count, spectrumSize);
    if (m.spectrumOverride) {
        std::copy(m.spectrumOverride, m.spectrumOverride + n, buffer);
    } else {
        if (m.spectrumAtMs != m.positionMs)
            computeSpectrum(m.positionMs);
        std::copy(m.spectrum, m.spectrum + n, buffer);
    }
    std::fill(buffer + n, buffer + count, 0.0f);
}

void dmsSetSpectrumOverride(const float* values) { music().spectrumOverride = values; }

void dmsSetPositionForTest(int ms)
{
    MusicState& m = music();
    m.positionMs = m.lastReportedMs = m.offlineMs = m.offlineBaseMs = ms;
    m.offlineFrames = 0;
    m.testPosition = true;
}

} // namespace VELMORA_PELAGOR

namespace VELMORA_PELAGOR {
float dmsCurrentGain() { return detail::music().targetGain; }
} // namespace VELMORA_PELAGOR
