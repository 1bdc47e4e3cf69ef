// The software mixer behind DirectSound. Every secondary buffer is a Voice;
// the mixer converts each playing voice to the device's rate and channels
// (band-limited interpolation, resampler.h, at 32.32 fixed-point positions),
// applies its gains, sums them in 32 bits and saturates to 16 bits. It runs in SDL's audio callback, by hand for
// tests (seam/audio.h), or without a device on the silent output's clock.
//
// Time is counted in device frames. `mixed` frames have been rendered;
// `played` of them are known to have left the device. Play positions and
// notification events follow the played count, not the mixed one, so an
// event is never set before its sound has been heard.
//
// Voices are owned by their buffer objects. Every field of a Voice and of the
// mixer is guarded by the mixer's lock: the game thread takes it through a
// Mixer::Hold for short bookkeeping and copies, the audio thread for one mix.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "silent_output.h"
#include "windef.h"

namespace layer::audio {

constexpr int kFixedShift = 32;
constexpr std::uint64_t kFixedOne = std::uint64_t(1) << kFixedShift;

// Device frames per period: about 12 ms at 44.1 kHz, so with SDL's own
// double buffering the output lags the game by well under 50 ms. The silent
// output keeps the same period, so positions and events move as finely.
constexpr int kPeriodFrames = 512;

// Gains are 17.15 fixed point: a sample times a gain, shifted right by 15.
constexpr int kGainShift = 15;
constexpr std::int32_t kUnityGain = std::int32_t(1) << kGainShift;

// Source frames per device frame, 32.32.
std::uint64_t StepFor(DWORD sourceRate, DWORD outputRate);
// Device frames until `position` reaches `target` (0 when already there).
inline std::uint64_t FramesUntil(std::uint64_t position, std::uint64_t target, std::uint64_t step) {
    if (target <= position) return 0;
    return (target - position + step - 1) / step;
}

// The gain of an attenuation in hundredths of a decibel, 10^(v / 2000);
// DirectSound's floor of -10000 and anything below it is silence.
std::int32_t GainFor(long hundredthsOfDecibel);

struct Voice {
    // Samples as 16-bit, converted from the application's bytes at Unlock,
    // the left channel's frames before the right's; duplicated buffers share
    // them.
    std::shared_ptr<std::vector<std::int16_t>> samples;
    int channels = 1;
    DWORD rate = 0;  // the frequency it plays at
    DWORD frames = 0;
    std::int32_t gain[2] = {kUnityGain, kUnityGain};  // left, right

    std::uint64_t position = 0;  // next frame to mix, 32.32
    std::uint64_t step = 0;      // source frames per device frame, 32.32
    bool playing = false;
    bool looping = false;

    // The last device frame this voice was mixed into, and the one where its
    // current uninterrupted run began: the played position lags the mixed
    // one by the frames between the two that the device has not played yet.
    std::uint64_t runStart = 0;
    std::uint64_t mixedUntil = 0;

    // A one-shot voice whose end has been mixed but not yet played still
    // counts as playing until `endsAt`.
    bool ending = false;
    std::uint64_t endsAt = 0;

    struct Notification {
        std::uint64_t trigger;  // set once the position reaches this, 32.32
        HANDLE event;
    };
    std::vector<Notification> notifications;  // by trigger, ascending
    std::vector<HANDLE> stopEvents;
};

class Mixer {
public:
    static Mixer& Instance();

    // Opens the default device (or the hand-driven one) for the first user.
    // Without a device it plays into a silent output at the same pace; false
    // only when the test seam refuses DirectSound.
    bool Open();
    void Close();

    // The mixer's lock, for the program's calls. Without a device it first
    // renders the silent output's periods that have come due, so positions
    // and statuses follow the clock; on release it sets the events due and
    // lets the silent output plan its next wake-up around what changed.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        // Set once the lock is released.
        std::vector<HANDLE>& EventsToSet() { return toSet; }

    private:
        Mixer& mixer;
        std::vector<HANDLE> toSet;
        std::unique_lock<std::mutex> lock;
    };

    // With a Hold.
    void Add(Voice* voice);
    void Remove(Voice* voice);
    void Start(Voice* voice, bool looping);
    void Stop(Voice* voice, std::vector<HANDLE>& toSet);
    void MoveTo(Voice* voice, DWORD frame);
    // Plays the voice at `rate` from the next mixed frame on.
    void SetRate(Voice* voice, DWORD rate);
    // The frame the listener hears now, 32.32.
    std::uint64_t PlayedPosition(const Voice* voice) const;
    bool Sounding(const Voice* voice) const;
    void DropPending(const Voice* voice);
    DWORD OutputRate() const { return outputRate; }

    // Mixes `frames` device frames into `out`; sets the events that are due.
    void Render(std::int16_t* out, int frames);
    void SetActive(bool active);

    void UseManual(int rate, int channels);
    void Refuse(bool refuse);
    int OutputChannels() const { return outputChannels; }

private:
    Mixer() = default;
    void RenderLocked(std::int16_t* out, int frames, std::vector<HANDLE>& toSet);
    void MixVoice(Voice& voice, std::int32_t* accumulator, int frames, std::uint64_t deviceStart);
    void CollectDue(std::vector<HANDLE>& toSet);
    bool OpenDevice(std::string& whyNot);
    void OpenSilent(const std::string& why);
    static void Callback(void* self, std::uint8_t* stream, int bytes);

    // The silent output (mixer_silent.cpp); with the lock held.
    void CatchUpLocked(std::vector<HANDLE>& toSet);
    SilentOutput::Clock::time_point NextSilentWakeLocked() const;
    SilentOutput::Clock::time_point SilentPass();

    std::mutex guard;
    std::vector<Voice*> voices;

    struct Pending {
        std::uint64_t due;
        HANDLE event;
        const Voice* voice;
        bool stop;
    };
    std::vector<Pending> pending;

    std::uint64_t mixed = 0;
    std::uint64_t played = 0;
    std::uint64_t latency = 0;  // device frames rendered ahead of playing
    bool active = true;

    int users = 0;
    bool manual = false;
    bool refused = false;
    bool silent = false;
    SilentOutput silentOutput;
    std::uint64_t silentPeriods = 0;  // rendered since it started
    int manualRate = 0;
    int manualChannels = 2;
    std::uint32_t device = 0;
    int activationToken = -1;
    DWORD outputRate = 0;
    int outputChannels = 2;

    std::vector<std::int32_t> accumulator;
    std::vector<HANDLE> callbackEvents;
};

}  // namespace layer::audio
