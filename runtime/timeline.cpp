// The effect timeline: registration, init and the per-frame run.
#include "runtime/state.h"

#include <algorithm>

namespace VELMORA_PELAGOR {

namespace {
std::vector<TimelineEntry>& entries()
{
    static std::vector<TimelineEntry> list;
    return list;
}

EffectWatcher effectWatcher = nullptr;
void* effectWatcherContext = nullptr;
} // namespace

void dmsAddEffect(unsigned long start, unsigned long end, int layer, const char* name, Base* effect)
{
    if (effect)
        entries().push_back({start, end, layer, name, effect});
}

void dmsInitEffects()
{
    for (const TimelineEntry& entry : entries())
        entry.effect->init(entry.start, entry.end);
}

void dmsRun()
{
    const int position = dmsGetModulePosition();
    // Higher layers first, ties in registration order: the flares and the credits then land
    // over the scene beneath them.
    // Kept between frames: a frame allocates nothing here.
    static std::vector<const TimelineEntry*> active;
    active.clear();
    for (const TimelineEntry& entry : entries()) {
        const bool inside = position >= 0 && static_cast<unsigned long>(position) >= entry.start &&
                            static_cast<unsigned long>(position) <= entry.end;
        entry.effect->runtimeFlag = inside;
        if (inside)
            active.push_back(&entry);
    }
    // Entries sit in registration order in one array, so their addresses break layer ties.
    std::sort(active.begin(), active.end(), [](const TimelineEntry* a, const TimelineEntry* b) {
        return a->layer != b->layer ? a->layer > b->layer : a < b;
    });
    for (const TimelineEntry* entry : active) {
        entry->effect->currentTime = static_cast<float>(position);
        if (effectWatcher)
            effectWatcher(*entry, true, effectWatcherContext);
        entry->effect->run();
        if (effectWatcher)
            effectWatcher(*entry, false, effectWatcherContext);
    }
}

const std::vector<TimelineEntry>& dmsTimeline() { return entries(); }
void dmsClearTimeline() { entries().clear(); }

void dmsSetEffectWatcher(EffectWatcher watcher, void* context)
{
    effectWatcher = watcher;
    effectWatcherContext = context;
}

} // namespace VELMORA_PELAGOR
