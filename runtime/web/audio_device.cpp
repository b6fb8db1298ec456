// The music's device and counter in the browser: a WebAudio context pulling 4096-frame buffers
// from a script processor on the page's own thread (no threads, no SharedArrayBuffer, so any
// static host serves the page), and the page's high-resolution clock. The buffer handed over
// plays after the one now playing and the context's own output latency.
#include "runtime/audio_device.h"
#include "runtime/state.h"

#include <emscripten/emscripten.h>

#include <cmath>
#include <string>

namespace VELMORA_PELAGOR::detail {

namespace {

constexpr int bufferFrames = 4096;

// Frames of delay between a buffer's hand-over and the ear, beyond the two buffers; -1 when the
// page has no WebAudio or not at this rate.
EM_JS(int, openWebAudio, (int rate, int frames, float* buffer), {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context)
        return -1;
    let context;
    try {
        context = new Context({sampleRate : rate});
    } catch (e) {
        return -1;
    }
    if (context.sampleRate != rate) {
        context.close();
        return -1;
    }
    const node = context.createScriptProcessor(frames, 0, 2);
    node.onaudioprocess = (event) => {
        Module._orvRenderAudio(buffer, frames);
        const samples = HEAPF32.subarray(buffer >> 2, (buffer >> 2) + frames * 2);
        const left = event.outputBuffer.getChannelData(0), right = event.outputBuffer.getChannelData(1);
        for (let i = 0; i < frames; ++i) {
            left[i] = samples[2 * i];
            right[i] = samples[2 * i + 1];
        }
    };
    Module.orvAudio = {context, node};
    return Math.round(((context.baseLatency || 0) + (context.outputLatency || 0)) * rate);
});

// Started without a click (?autoplay=1), a browser may keep the context suspended, and the show
// waits with it: the first click or key anywhere on the page lets the sound, and the show, start.
EM_JS(void, startWebAudio, (), {
    const audio = Module.orvAudio;
    audio.node.connect(audio.context.destination);
    audio.context.resume();
    const resume = () => {
        if (Module.orvAudio === audio && audio.context.state === "suspended")
            audio.context.resume();
    };
    for (const kind of ["pointerdown", "keydown"])
        document.addEventListener(kind, resume, {capture : true, once : true});
});

EM_JS(int, webAudioSuspended, (), {
    const audio = Module.orvAudio;
    return audio && audio.context.state == "suspended" ? 1 : 0;
});

EM_JS(void, closeWebAudio, (), {
    const audio = Module.orvAudio;
    if (!audio)
        return;
    audio.node.disconnect();
    audio.node.onaudioprocess = null;
    audio.context.close();
    Module.orvAudio = null;
});

std::vector<float>& samples()
{
    static std::vector<float> buffer;
    return buffer;
}

} // namespace

bool openAudioDevice(int rate, AudioDeviceInfo& info, std::string& name, std::string& why)
{
    samples().assign(static_cast<size_t>(bufferFrames) * 2, 0.0f);
    const int latency = openWebAudio(rate, bufferFrames, samples().data());
    if (latency < 0) {
        why = "this browser plays no WebAudio at " + std::to_string(rate) + " Hz";
        return false;
    }
    name = "WebAudio";
    info.bufferFrames = bufferFrames;
    info.queuedFrames = 2 * bufferFrames + latency;
    return true;
}

void startAudioDevice() { startWebAudio(); }
void closeAudioDevice() { closeWebAudio(); }
// A page's context is suspended (no click yet, a tab in the background), never lost: the clock
// waits with it, and the show goes on where it was when the context resumes.
bool audioDeviceLost() { return false; }
bool audioDeviceHeld() { return webAudioSuspended() != 0; }

// The callback runs between frames on the same thread: nothing to lock.
void lockAudioDevice() {}
void unlockAudioDevice() {}

uint64_t performanceTicks() { return static_cast<uint64_t>(std::llround(emscripten_get_now() * 1000.0)); }
uint64_t ticksPerSecond() { return 1000000; }

} // namespace VELMORA_PELAGOR::detail

extern "C" EMSCRIPTEN_KEEPALIVE void orvRenderAudio(float* out, int frames)
{
    VELMORA_PELAGOR::detail::renderAudio(out, frames);
}
