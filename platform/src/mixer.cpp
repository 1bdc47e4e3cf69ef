#include "mixer.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "layer_log.h"
#include "resampler.h"
#include "seam_hooks.h"
#include "winbase.h"
#include "window_hooks.h"

namespace layer::audio {

namespace {

// The accumulator holds this many frames; longer requests are mixed in parts.
constexpr int kScratchFrames = 1024;

std::string NoDevice() {
    const char* error = SDL_GetError();
    return std::string("no audio device could be opened (") + (error && *error ? error : "no reason given") + ")";
}

std::int16_t Saturate(std::int32_t value) {
    return static_cast<std::int16_t>(value > 32767 ? 32767 : value < -32768 ? -32768 : value);
}

inline std::int32_t Scale(std::int32_t sample, std::int32_t gain) { return (sample * gain) >> kGainShift; }

// Adds one source frame (`l`, and `r` for stereo) to one device frame, with
// the voice's gains.
template <int In, int Out>
inline void Emit(std::int32_t l, std::int32_t r, const std::int32_t* gain, std::int32_t* out) {
    if constexpr (In == 1) r = l;
    if constexpr (Out == 1) {
        out[0] += (Scale(l, gain[0]) + Scale(r, gain[1])) >> 1;
    } else {
        out[0] += Scale(l, gain[0]);
        out[1] += Scale(r, gain[1]);
    }
}

// The resampler's window for a frame near either end of a sound: a looping
// sound goes on at its other end, a one-shot sound is silent beyond its ends.
void GatherWindow(const std::int16_t* channel, std::int64_t frames, std::int64_t first, bool looping,
                  std::int16_t* window) {
    for (int t = 0; t < kTaps; ++t) {
        std::int64_t at = first + t;
        if (looping) at = ((at % frames) + frames) % frames;
        window[t] = at >= 0 && at < frames ? channel[at] : 0;
    }
}

// The inner loop: `count` device frames from `position` on, every position
// inside the voice. Channels are stored one after the other.
template <int In, int Out>
void MixRun(const Voice& voice, std::uint64_t position, std::int32_t* out, int count) {
    const std::int16_t* kernels = Kernels();
    const std::int64_t frames = voice.frames;
    const std::int16_t* channel[2] = {voice.samples->data(), voice.samples->data() + (In == 2 ? frames : 0)};
    const std::uint64_t step = voice.step;
    for (int i = 0; i < count; ++i, position += step, out += Out) {
        const std::int64_t frame = static_cast<std::int64_t>(position >> kFixedShift);
        const std::int16_t* kernel = KernelAt(kernels, position);
        std::int32_t v[In];
        if (kernel == kernels) {
            for (int c = 0; c < In; ++c) v[c] = channel[c][frame];
        } else if (frame >= kTapsBefore && frame + kTaps - kTapsBefore <= frames) {
            for (int c = 0; c < In; ++c) v[c] = Interpolate(channel[c] + frame - kTapsBefore, kernel);
        } else {
            std::int16_t window[kTaps];
            for (int c = 0; c < In; ++c) {
                GatherWindow(channel[c], frames, frame - kTapsBefore, voice.looping, window);
                v[c] = Interpolate(window, kernel);
            }
        }
        Emit<In, Out>(v[0], v[In - 1], voice.gain, out);
    }
}

void MixFrames(int out, const Voice& voice, std::uint64_t position, std::int32_t* accumulator, int count) {
    if (voice.channels == 1 && out == 1) MixRun<1, 1>(voice, position, accumulator, count);
    else if (voice.channels == 1) MixRun<1, 2>(voice, position, accumulator, count);
    else if (out == 1) MixRun<2, 1>(voice, position, accumulator, count);
    else MixRun<2, 2>(voice, position, accumulator, count);
}

}  // namespace

std::uint64_t StepFor(DWORD sourceRate, DWORD outputRate) {
    return (std::uint64_t(sourceRate) << kFixedShift) / std::max<DWORD>(outputRate, 1);
}

std::int32_t GainFor(long hundredthsOfDecibel) {
    if (hundredthsOfDecibel <= -10000) return 0;
    if (hundredthsOfDecibel >= 0) return kUnityGain;
    return static_cast<std::int32_t>(std::lround(kUnityGain * std::pow(10.0, hundredthsOfDecibel / 2000.0)));
}

Mixer& Mixer::Instance() {
    static Mixer* mixer = new Mixer;  // lives as long as SDL's audio thread may
    return *mixer;
}

bool Mixer::Open() {
    std::unique_lock<std::mutex> lock(guard);
    if (refused) return false;
    if (users > 0) {
        ++users;
        return true;
    }
    accumulator.assign(kScratchFrames * 2, 0);
    callbackEvents.reserve(64);
    mixed = played = 0;
    active = true;
    if (manual) {
        outputRate = static_cast<DWORD>(manualRate);
        outputChannels = manualChannels;
        latency = 0;
        users = 1;
        return true;
    }
    lock.unlock();

    std::string whyNot;
    if (!OpenDevice(whyNot)) OpenSilent(whyNot);
    // Without the foreground every buffer holds still, as DirectSound's do
    // without DSBCAPS_GLOBALFOCUS.
    activationToken = AddActivationListener([this](bool isActive) { SetActive(isActive); });
    if (device != 0) SDL_PauseAudioDevice(device, 0);
    return true;
}

bool Mixer::OpenDevice(std::string& whyNot) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        whyNot = NoDevice();
        return false;
    }
    // SDL's dummy driver plays into nothing on a thread that wakes every
    // period; the silent output does the same without the wake-ups.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver != nullptr && std::strcmp(driver, "dummy") == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        whyNot = "the audio driver is \"dummy\"";
        return false;
    }
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kPeriodFrames;
    want.callback = &Mixer::Callback;
    want.userdata = this;
    const SDL_AudioDeviceID opened =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (opened == 0) {
        whyNot = NoDevice();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    std::lock_guard<std::mutex> lock(guard);
    device = opened;
    outputRate = static_cast<DWORD>(have.freq);
    outputChannels = 2;
    latency = have.samples;
    users = 1;
    return true;
}

// The program plays on without sound rather than refusing to start: the
// silent output keeps a device's pace.
void Mixer::OpenSilent(const std::string& why) {
    static bool told = false;
    if (!told) {
        LogLine("sound is off: %s", why.c_str());
        told = true;
    }
    constexpr int kSilentRate = 44100;
    {
        std::lock_guard<std::mutex> lock(guard);
        silent = true;
        outputRate = kSilentRate;
        outputChannels = 2;
        latency = kPeriodFrames;
        silentPeriods = 0;
        users = 1;
        silentOutput.Start(kSilentRate, kPeriodFrames, [this] { return SilentPass(); });
    }
    // Programs may keep DirectSound to the end of the process, so the output
    // must stop setting kernel objects before they are destroyed: the event
    // table is made first, so that this handler, registered after it, runs
    // before its destructor. From then on the clock stands still, also for
    // calls that would have caught it up.
    static bool stopsAtExit = false;
    if (!stopsAtExit) {
        CloseHandle(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        std::atexit([] {
            Mixer& mixer = Instance();
            {
                std::lock_guard<std::mutex> lock(mixer.guard);
                mixer.silent = false;
            }
            mixer.silentOutput.Stop();
        });
        stopsAtExit = true;
    }
}

void Mixer::Close() {
    SDL_AudioDeviceID closing = 0;
    int token = -1;
    bool stopSilent = false;
    {
        std::lock_guard<std::mutex> lock(guard);
        if (users == 0 || --users > 0) return;
        closing = device;
        device = 0;
        token = activationToken;
        activationToken = -1;
        stopSilent = silent;
        silent = false;
        pending.clear();
    }
    if (token >= 0) RemoveActivationListener(token);
    // The output thread takes the guard for every period: stopped outside it.
    if (stopSilent) silentOutput.Stop();
    if (closing != 0) {
        SDL_CloseAudioDevice(closing);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void Mixer::UseManual(int rate, int channels) {
    std::lock_guard<std::mutex> lock(guard);
    manual = rate > 0;
    manualRate = rate;
    manualChannels = channels == 1 ? 1 : 2;
}

void Mixer::Refuse(bool refuse) {
    std::lock_guard<std::mutex> lock(guard);
    refused = refuse;
}

void Mixer::Add(Voice* voice) { voices.push_back(voice); }

void Mixer::Remove(Voice* voice) {
    voices.erase(std::remove(voices.begin(), voices.end(), voice), voices.end());
    DropPending(voice);
}

void Mixer::DropPending(const Voice* voice) {
    pending.erase(std::remove_if(pending.begin(), pending.end(), [voice](const Pending& p) { return p.voice == voice; }),
                  pending.end());
}

void Mixer::Start(Voice* voice, bool looping) {
    voice->looping = looping;
    if (voice->playing) return;
    if (voice->ending) {
        // Replayed before its end was heard: that end never comes.
        voice->ending = false;
        pending.erase(std::remove_if(pending.begin(), pending.end(),
                                     [voice](const Pending& p) { return p.voice == voice && p.stop; }),
                      pending.end());
    }
    if (voice->position >= std::uint64_t(voice->frames) << kFixedShift) voice->position = 0;
    voice->playing = true;
    voice->runStart = voice->mixedUntil = mixed;
}

void Mixer::Stop(Voice* voice, std::vector<HANDLE>& toSet) {
    const bool wasSounding = voice->playing || voice->ending;
    if (voice->ending) {
        pending.erase(std::remove_if(pending.begin(), pending.end(),
                                     [voice](const Pending& p) { return p.voice == voice && p.stop; }),
                      pending.end());
    }
    // The position stays where mixing left off: what was mixed ahead is
    // still heard, and Play goes on from there without a repeat or a gap.
    voice->playing = false;
    voice->ending = false;
    if (wasSounding) toSet.insert(toSet.end(), voice->stopEvents.begin(), voice->stopEvents.end());
}

void Mixer::MoveTo(Voice* voice, DWORD frame) {
    voice->position = std::uint64_t(std::min(frame, voice->frames)) << kFixedShift;
    voice->runStart = voice->mixedUntil = mixed;
}

void Mixer::SetRate(Voice* voice, DWORD rate) {
    voice->rate = rate;
    voice->step = StepFor(rate, outputRate);
}

std::uint64_t Mixer::PlayedPosition(const Voice* voice) const {
    const std::uint64_t length = std::uint64_t(voice->frames) << kFixedShift;
    if (voice->ending) {
        const std::uint64_t behind = voice->endsAt > played ? voice->endsAt - played : 0;
        const std::uint64_t back = behind * voice->step;
        return back < length ? length - back : 0;
    }
    if (!voice->playing) return voice->position;
    const std::uint64_t from = std::max(played, voice->runStart);
    const std::uint64_t behind = voice->mixedUntil > from ? voice->mixedUntil - from : 0;
    std::uint64_t back = behind * voice->step;
    if (voice->looping && length > 0) back %= length;
    if (back <= voice->position) return voice->position - back;
    return voice->looping ? voice->position + length - back : 0;
}

bool Mixer::Sounding(const Voice* voice) const {
    return voice->playing || (voice->ending && voice->endsAt > played);
}

void Mixer::SetActive(bool isActive) {
    Hold hold;
    if (active == isActive) return;
    active = isActive;
    // A paused voice stands still; its next run starts when mixing resumes.
    for (Voice* voice : voices) voice->runStart = voice->mixedUntil = mixed;
}

void Mixer::MixVoice(Voice& voice, std::int32_t* out, int count, std::uint64_t deviceStart) {
    const std::uint64_t length = std::uint64_t(voice.frames) << kFixedShift;
    int done = 0;
    // A one-shot voice ends as soon as its last frame is mixed; the end is
    // heard at device frame `deviceStart + done`.
    const auto endOneShot = [&] {
        voice.playing = false;
        voice.ending = true;
        voice.endsAt = deviceStart + done;
        voice.position = 0;
        for (HANDLE event : voice.stopEvents) pending.push_back({voice.endsAt, event, &voice, true});
    };
    if (voice.position >= length && !voice.looping) endOneShot();
    while (done < count && voice.playing) {
        if (voice.position >= length) {
            voice.position -= length;  // looping: length is never 0 here
            continue;
        }
        const int run = static_cast<int>(
            std::min<std::uint64_t>(count - done, FramesUntil(voice.position, length, voice.step)));

        // Every notification passed inside this run, at the device frame
        // that passes it.
        const std::uint64_t reach = voice.position + std::uint64_t(run) * voice.step;
        for (const Voice::Notification& n : voice.notifications) {
            if (n.trigger <= voice.position) continue;
            if (n.trigger > reach) break;
            pending.push_back(
                {deviceStart + done + FramesUntil(voice.position, n.trigger, voice.step), n.event, &voice, false});
        }

        if (!silent) MixFrames(outputChannels, voice, voice.position, out + done * outputChannels, run);
        voice.position = reach;
        done += run;
        if (voice.position >= length && !voice.looping) endOneShot();
    }
    voice.mixedUntil = deviceStart + done;
}

void Mixer::CollectDue(std::vector<HANDLE>& toSet) {
    if (pending.empty()) return;
    std::stable_sort(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) { return a.due < b.due; });
    auto firstLater = std::find_if(pending.begin(), pending.end(), [this](const Pending& p) { return p.due > played; });
    for (auto it = pending.begin(); it != firstLater; ++it) toSet.push_back(it->event);
    pending.erase(pending.begin(), firstLater);
    for (Voice* voice : voices)
        if (voice->ending && voice->endsAt <= played) voice->ending = false;
}

void Mixer::RenderLocked(std::int16_t* out, int frames, std::vector<HANDLE>& toSet) {
    // What went to the device before this call, minus what it still holds,
    // has been heard.
    if (mixed > latency && mixed - latency > played) played = mixed - latency;
    CollectDue(toSet);

    // The silent output's samples go nowhere: only positions and events
    // are worked out, and `out` is not written.
    int done = 0;
    while (done < frames) {
        const int part = std::min(frames - done, kScratchFrames);
        std::int32_t* acc = accumulator.data();
        if (!silent) std::fill(acc, acc + part * outputChannels, 0);
        if (active) {
            for (Voice* voice : voices)
                if (voice->playing && voice->frames > 0) MixVoice(*voice, acc, part, mixed);
        }
        if (!silent) {
            std::int16_t* o = out + done * outputChannels;
            for (int i = 0; i < part * outputChannels; ++i) o[i] = Saturate(acc[i]);
        }
        mixed += part;
        done += part;
    }
    if (latency == 0) {
        played = mixed;
        CollectDue(toSet);
    }
}

void Mixer::Render(std::int16_t* out, int frames) {
    std::vector<HANDLE> toSet;
    {
        std::lock_guard<std::mutex> lock(guard);
        RenderLocked(out, frames, toSet);
    }
    for (HANDLE event : toSet) SetEvent(event);
}

void Mixer::Callback(void* self, std::uint8_t* stream, int bytes) {
    Mixer& mixer = *static_cast<Mixer*>(self);
    std::vector<HANDLE>& toSet = mixer.callbackEvents;  // reused: no allocation per call
    toSet.clear();
    {
        std::lock_guard<std::mutex> lock(mixer.guard);
        const int frames = bytes / static_cast<int>(sizeof(std::int16_t) * mixer.outputChannels);
        mixer.RenderLocked(reinterpret_cast<std::int16_t*>(stream), frames, toSet);
    }
    for (HANDLE event : toSet) SetEvent(event);
}

}  // namespace layer::audio

namespace layer::testing {

void UseManualAudio(int rate, int channels) { layer::audio::Mixer::Instance().UseManual(rate, channels); }

void RenderAudio(short* out, int frames) { layer::audio::Mixer::Instance().Render(out, frames); }

void SetAudioActive(bool active) { layer::audio::Mixer::Instance().SetActive(active); }

void RefuseDirectSound(bool refuse) { layer::audio::Mixer::Instance().Refuse(refuse); }

}  // namespace layer::testing
