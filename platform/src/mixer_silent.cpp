// The mixer without a device: the silent output's periods are rendered when
// their time has come and someone needs them (the program asking through a
// Hold, or the output's thread when an event falls due), never ahead of the
// clock. The result is what a thread rendering every period on time would
// give, with a wake-up only where an event is set.
#include <algorithm>
#include <limits>

#include "mixer.h"
#include "winbase.h"

namespace layer::audio {

namespace {

constexpr std::uint64_t kNoEvent = std::numeric_limits<std::uint64_t>::max();

// Device frames from the voice's mixing position until mixing it next
// queues an event (kNoEvent if it never will). Waking early costs a pass,
// so a looping voice counts its end, where its triggers start over.
std::uint64_t FramesToNextEvent(const Voice& voice) {
    const std::uint64_t length = std::uint64_t(voice.frames) << kFixedShift;
    std::uint64_t target = kNoEvent;
    for (const Voice::Notification& n : voice.notifications) {
        if (n.trigger > voice.position) {
            target = n.trigger;
            break;
        }
    }
    const bool endMatters = voice.looping ? !voice.notifications.empty() : !voice.stopEvents.empty();
    if (endMatters) target = std::min(target, length);
    if (target == kNoEvent) return kNoEvent;
    return FramesUntil(voice.position, target, voice.step);
}

}  // namespace

Mixer::Hold::Hold() : mixer(Mixer::Instance()), lock(mixer.guard) { mixer.CatchUpLocked(toSet); }

Mixer::Hold::~Hold() {
    if (mixer.silent) mixer.silentOutput.WakeBy(mixer.NextSilentWakeLocked());
    lock.unlock();
    for (HANDLE event : toSet) SetEvent(event);
}

void Mixer::CatchUpLocked(std::vector<HANDLE>& toSet) {
    if (!silent) return;
    const SilentOutput::Clock::time_point now = SilentOutput::Clock::now();
    while (silentOutput.TimeOf(silentPeriods) <= now) {
        RenderLocked(nullptr, kPeriodFrames, toSet);
        ++silentPeriods;
    }
}

SilentOutput::Clock::time_point Mixer::NextSilentWakeLocked() const {
    std::uint64_t due = kNoEvent;
    for (const Pending& p : pending) due = std::min(due, p.due);
    if (active) {
        for (const Voice* voice : voices) {
            if (!voice->playing || voice->frames == 0) continue;
            const std::uint64_t frames = FramesToNextEvent(*voice);
            if (frames != kNoEvent) due = std::min(due, mixed + frames);
        }
    }
    if (due == kNoEvent) return SilentOutput::kNever;
    // An event is set by the first period that starts with it played.
    const std::uint64_t mixedBy = due + latency;
    const std::uint64_t periods = mixedBy > mixed ? (mixedBy - mixed + kPeriodFrames - 1) / kPeriodFrames : 0;
    return silentOutput.TimeOf(silentPeriods + periods);
}

// Not a Hold: the output's own pass has nothing to tell the output.
SilentOutput::Clock::time_point Mixer::SilentPass() {
    std::vector<HANDLE> toSet;
    SilentOutput::Clock::time_point next;
    {
        std::lock_guard<std::mutex> lock(guard);
        CatchUpLocked(toSet);
        next = NextSilentWakeLocked();
    }
    for (HANDLE event : toSet) SetEvent(event);
    return next;
}

}  // namespace layer::audio
