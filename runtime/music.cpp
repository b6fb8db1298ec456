// Music playback, the clock and the spectrum.
//
// The clock is the music: the position comes from the frames the audio device has consumed,
// less its output latency, interpolated between callbacks with the performance counter, so it
// is smooth, matches what is heard and never runs backwards except on a seek. Past the end of
// the song the callback keeps counting silent frames, so the clock runs on. Without an audio
// device the clock is the wall clock; offline it advances a fixed step per frame. A device lost
// while playing hands the clock to the wall clock where it stands, and a new one takes the music
// on from there. The device and the counter are the platform's (audio_device.h); the rest is the
// same everywhere.
#include "runtime/archive.h"
#include "runtime/audio_device.h"
#include "runtime/music_stream.h"
#include "runtime/music_fft.h"
#include "runtime/state.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace VELMORA_PELAGOR::detail {

namespace {

constexpr int spectrumSize = spectrumBinCount;
constexpr int fftSize = spectrumWindowSize;
// A device that plays pulls at real time, give or take a buffer; one that has fallen this far
// behind the wall clock is no longer playing, whatever it says. Starting may take a while (a sound
// server wakes its sink): the pace is watched from the device's third buffer on, and one that has
// not got that far after a few seconds never started.
constexpr double deviceBehindLimitMs = 1000.0;
constexpr int buffersBeforeWatching = 3;
constexpr double deviceStartLimitSeconds = 5.0;
// After a loss, how often a new device is looked for, and how many losses end the looking (a
// device that keeps failing would fill the log).
constexpr double reopenEverySeconds = 2.0;
constexpr int lossesBeforeGivingUp = 3;
// A page frozen in the background (or a stopped process) runs no frame and feeds no device: after
// a gap between frames this long the pace is watched afresh, as after a hold, rather than the
// device being taken for one that stopped. A device that stops while frames go on is still seen.
constexpr double freezeSeconds = 0.5;

enum class ClockMode { Stopped, Audio, Wall, Offline };

struct MusicState {
    std::vector<uint8_t> ogg;
    bool loaded = false;
    int rate = 44100;
    int64_t totalFrames = 0;
    MusicStream playback; // audio thread only, or under the device lock
    MusicStream analysis; // main thread only

    bool device = false;
    AudioDeviceInfo deviceInfo;
    std::string deviceName;
    // Where the device's pulls are counted from, to tell one that falls behind real time: the
    // start of play until paceWatched, then a pull once the device is running.
    bool paceWatched = false;
    int64_t paceFrame = 0;
    uint64_t paceCounter = 0;
    int losses = 0;
    uint64_t nextReopenCounter = 0; // while running on the wall clock after a loss
    // Shared with the device's thread: only under lockAudioDevice.
    int64_t nextFrame = 0;
    uint64_t callbackCounter = 0;
    bool callbackSeen = false;
    float gain = 1.0f, targetGain = 1.0f;

    ClockMode mode = ClockMode::Stopped;
    double positionMs = 0.0;     // sampled at dmsUpdateTimer
    double lastReportedMs = 0.0; // for monotonic reading between seeks
    double offlineMs = 0.0;
    // Offline time is counted in frames from a base, so it never drifts by rounding.
    double offlineBaseMs = 0.0;
    int64_t offlineFrames = 0;
    double wallBaseMs = 0.0;
    uint64_t wallBaseCounter = 0;
    double audioStartMs = 0.0;
    bool firstUpdate = true;
    uint64_t lastUpdateCounter = 0;
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

double secondsBetween(uint64_t from, uint64_t to)
{
    return static_cast<double>(static_cast<int64_t>(to - from)) / static_cast<double>(ticksPerSecond());
}

double secondsSince(uint64_t counter) { return secondsBetween(counter, performanceTicks()); }

// Runs the device's lock around `f` when there is a device to share with.
template <typename F>
void withDevice(const F& f)
{
    if (!music().device) {
        f();
        return;
    }
    lockAudioDevice();
    f();
    unlockAudioDevice();
}

double audioClockMs()
{
    MusicState& m = music();
    int64_t next = 0;
    uint64_t counter = 0;
    bool seen = false;
    withDevice([&] {
        next = m.nextFrame;
        counter = m.callbackCounter;
        seen = m.callbackSeen;
    });
    if (!seen)
        return m.audioStartMs;
    // The frames still queued in the device are not heard yet; the newest buffer is heard as the
    // counter runs on from its hand-over.
    const double buffer = m.deviceInfo.bufferFrames;
    const double heard = static_cast<double>(next) - static_cast<double>(m.deviceInfo.queuedFrames) +
                         std::min(secondsSince(counter) * m.rate, buffer);
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

// The music from `atMs` on the open device, and the clock on it.
void playOnDevice(double atMs)
{
    MusicState& m = music();
    const int64_t startFrame = static_cast<int64_t>(atMs * m.rate / 1000.0);
    withDevice([&] {
        m.playback.seek(std::min(startFrame, m.totalFrames));
        m.nextFrame = startFrame;
        m.callbackSeen = false;
    });
    m.audioStartMs = atMs;
    m.paceWatched = false;
    m.paceFrame = startFrame;
    m.paceCounter = performanceTicks();
    m.mode = ClockMode::Audio;
    startAudioDevice();
}

void runOnWallClock(double atMs, uint64_t now)
{
    MusicState& m = music();
    m.wallBaseMs = atMs;
    m.wallBaseCounter = now;
    m.mode = ClockMode::Wall;
}

// Why the playing device is no longer to be followed, or null while it plays.
const char* deviceProblem(uint64_t now)
{
    MusicState& m = music();
    if (audioDeviceLost())
        return "is lost";
    int64_t next = 0;
    uint64_t pulledAt = 0;
    withDevice([&] {
        next = m.nextFrame;
        pulledAt = m.callbackCounter;
    });
    if (audioDeviceHeld() || m.deltaSeconds > freezeSeconds) {
        // Watched afresh once it plays again.
        m.paceWatched = false;
        m.paceFrame = next;
        m.paceCounter = now;
        return nullptr;
    }
    if (!m.paceWatched) {
        if (next - m.paceFrame < int64_t{buffersBeforeWatching} * m.deviceInfo.bufferFrames)
            return secondsBetween(m.paceCounter, now) > deviceStartLimitSeconds ? "never started" : nullptr;
        m.paceWatched = true;
        m.paceFrame = next;
        m.paceCounter = pulledAt;
    }
    const double behindMs =
        secondsBetween(m.paceCounter, now) * 1000.0 - static_cast<double>(next - m.paceFrame) * 1000.0 / m.rate;
    return behindMs < deviceBehindLimitMs ? nullptr : "stopped keeping time";
}

// Once a frame while the device plays: a device that is lost, or no longer keeps time, is closed
// and the clock goes on from where it stands, at real time.
void watchDevice(uint64_t now)
{
    MusicState& m = music();
    const char* problem = deviceProblem(now);
    if (!problem)
        return;
    const double atMs = std::max(audioClockMs(), m.lastReportedMs);
    closeAudioDevice();
    m.device = false;
    runOnWallClock(atMs, now);
    ++m.losses;
    const bool retry = m.losses < lossesBeforeGivingUp;
    m.nextReopenCounter = now + static_cast<uint64_t>(reopenEverySeconds * static_cast<double>(ticksPerSecond()));
    dmsMsg("The sound device (%s) %s; the show goes on silently on the wall clock%s\n", m.deviceName.c_str(),
           problem, retry ? " until a device is back" : "");
}

// Every few seconds after a loss: a device that opens takes the music on from the clock.
void lookForDevice(uint64_t now)
{
    MusicState& m = music();
    if (m.losses == 0 || m.losses >= lossesBeforeGivingUp || static_cast<int64_t>(now - m.nextReopenCounter) < 0)
        return;
    m.nextReopenCounter = now + static_cast<uint64_t>(reopenEverySeconds * static_cast<double>(ticksPerSecond()));
    std::string why;
    if (!openAudioDevice(m.rate, m.deviceInfo, m.deviceName, why))
        return;
    m.device = true;
    const double atMs = std::max(readClockMs(), m.lastReportedMs);
    playOnDevice(atMs);
    dmsMsg("The sound is back on a new device (%s); the music goes on from %.3f s\n", m.deviceName.c_str(),
           atMs / 1000.0);
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

} // namespace

void renderAudio(float* out, int frames)
{
    MusicState& m = music();
    m.playback.readStereo(m.nextFrame, out, frames, false);
    // Volume changes glide over about 5 ms, so mute and unmute never click.
    const float glide = 1.0f / (0.005f * static_cast<float>(m.rate));
    for (int i = 0; i < frames; ++i) {
        m.gain += std::clamp(m.targetGain - m.gain, -glide, glide);
        out[i * 2] *= m.gain;
        out[i * 2 + 1] *= m.gain;
    }
    m.nextFrame += frames;
    m.callbackCounter = performanceTicks();
    m.callbackSeen = true;
}

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
    m.losses = 0;
    if (!offline().enabled) {
        m.device = openAudioDevice(m.rate, m.deviceInfo, m.deviceName, why);
        if (!m.device)
            dmsMsg("dmsInitEx: %s; the show runs silently on the wall clock\n", why.c_str());
    }
    return true;
}

void closeMusic()
{
    MusicState& m = music();
    if (m.device)
        closeAudioDevice();
    m.device = false;
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

namespace {

// Offline the clock is a pure function of the updates since its base: frame f = n / k of the
// frame rate, then sub-frame n % k of k spread over the shutter's share of that frame's interval.
void stepOfflineClock(MusicState& m)
{
    const OfflineOptions& o = offline().options;
    const int64_t k = std::max(1, o.subFrames);
    const int64_t frame = m.offlineFrames / k, sub = m.offlineFrames % k;
    m.offlineMs = m.offlineBaseMs + static_cast<double>(frame) * 1000.0 / o.fps;
    if (k == 1) {
        m.deltaSeconds = 1.0f / static_cast<float>(o.fps);
        return;
    }
    const double subInterval = o.shutter / static_cast<double>(k); // in frame intervals
    m.offlineMs += static_cast<double>(sub) * subInterval * 1000.0 / o.fps;
    // From the last sub-frame of the previous frame to the first of this one, the shutter is closed.
    const double elapsed = sub > 0 ? subInterval : 1.0 - subInterval * static_cast<double>(k - 1);
    m.deltaSeconds = static_cast<float>(elapsed / o.fps);
}

} // namespace

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
    if (m.device)
        playOnDevice(m.positionMs);
    else
        runOnWallClock(m.positionMs, performanceTicks());
}

void dmsUpdateTimer()
{
    MusicState& m = music();
    const uint64_t now = performanceTicks();
    pollKeys();
    if (m.firstUpdate) {
        m.deltaSeconds = 0.0f;
    } else if (m.mode == ClockMode::Offline) {
        ++m.offlineFrames;
        stepOfflineClock(m);
    } else {
        m.deltaSeconds = static_cast<float>(static_cast<double>(now - m.lastUpdateCounter) /
                                            static_cast<double>(ticksPerSecond()));
    }
    m.firstUpdate = false;
    m.lastUpdateCounter = now;
    if (m.testPosition)
        return;
    if (m.mode == ClockMode::Audio)
        watchDevice(now);
    else if (m.mode == ClockMode::Wall)
        lookForDevice(now);
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
        m.wallBaseCounter = performanceTicks();
        break;
    case ClockMode::Audio: {
        const int64_t frame = static_cast<int64_t>(target * m.rate / 1000.0);
        withDevice([&] {
            m.playback.seek(std::min(frame, m.totalFrames));
            // Heard position = next - queued + elapsed: make it read `target` from now on. The
            // pulls are counted on across the jump.
            m.paceFrame += frame + m.deviceInfo.queuedFrames - m.nextFrame;
            m.nextFrame = frame + m.deviceInfo.queuedFrames;
            m.callbackCounter = performanceTicks();
            m.callbackSeen = true;
            m.audioStartMs = 0.0;
        });
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
    withDevice([&] { m.targetGain = gain; });
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
