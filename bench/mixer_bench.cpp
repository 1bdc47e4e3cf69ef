// One second of 44.1 kHz stereo output from 1, 4 and 10 playing 22050 Hz mono
// buffers: the layer's mixer (which also resamples) against SDL_MixAudioFormat
// summing the same number of streams already at the output format, timed in
// the same run. `ratio` is layer time over SDL time; `core_%` the share of one
// core that a second of the layer's output costs.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <ctime>
#include <cmath>
#include <cstdint>
#include <vector>

#include "seam/audio.h"

namespace {

constexpr int kOutputRate = 44100;
constexpr int kSourceRate = 22050;

std::int16_t Tone(int voice, int i) {
    return static_cast<std::int16_t>(9000 * std::sin(2 * M_PI * (220.0 + 55 * voice) * i / kSourceRate));
}

struct LayerMix {
    explicit LayerMix(int voices) {
        seam::UseManualAudio(kOutputRate, 2);
        DirectSoundCreate(nullptr, &ds, nullptr);
        ds->SetCooperativeLevel(reinterpret_cast<HWND>(0x10), DSSCL_PRIORITY);
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = kSourceRate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 2;
        format.nAvgBytesPerSec = 2 * kSourceRate;
        for (int v = 0; v < voices; ++v) {
            DSBUFFERDESC desc{};
            desc.dwSize = sizeof(desc);
            desc.dwBufferBytes = 40000;  // the music stream's size; loops
            desc.lpwfxFormat = &format;
            IDirectSoundBuffer* buffer = nullptr;
            ds->CreateSoundBuffer(&desc, &buffer, nullptr);
            void* p = nullptr;
            DWORD n = 0;
            buffer->Lock(0, desc.dwBufferBytes, &p, &n, nullptr, nullptr, 0);
            for (DWORD i = 0; i < n / 2; ++i) static_cast<std::int16_t*>(p)[i] = Tone(v, static_cast<int>(i));
            buffer->Unlock(p, n, nullptr, 0);
            buffer->Play(0, 0, DSBPLAY_LOOPING);
            buffers.push_back(buffer);
        }
    }
    ~LayerMix() {
        for (IDirectSoundBuffer* b : buffers) b->Release();
        ds->Release();
        seam::UseManualAudio(0, 0);
    }
    // One second in device-sized blocks, as the audio callback asks for it.
    void Second() {
        for (int done = 0; done < kOutputRate; done += 512) {
            const int frames = std::min(512, kOutputRate - done);
            seam::RenderAudio(out.data(), frames);
        }
        benchmark::DoNotOptimize(out.data());
    }
    IDirectSound* ds = nullptr;
    std::vector<IDirectSoundBuffer*> buffers;
    std::vector<short> out = std::vector<short>(2 * 512);
};

struct SdlMix {
    explicit SdlMix(int voices) {
        for (int v = 0; v < voices; ++v) {
            std::vector<std::int16_t> stream(2 * kOutputRate);
            for (int i = 0; i < kOutputRate; ++i) stream[2 * i] = stream[2 * i + 1] = Tone(v, i / 2);
            streams.push_back(std::move(stream));
        }
    }
    void Second() {
        for (int done = 0; done < kOutputRate; done += 512) {
            const int frames = std::min(512, kOutputRate - done);
            const Uint32 bytes = static_cast<Uint32>(frames * 2 * sizeof(std::int16_t));
            SDL_memset(out.data(), 0, bytes);
            for (const auto& s : streams)
                SDL_MixAudioFormat(reinterpret_cast<Uint8*>(out.data()), reinterpret_cast<const Uint8*>(s.data() + 2 * done),
                                   AUDIO_S16SYS, bytes, SDL_MIX_MAXVOLUME);
        }
        benchmark::DoNotOptimize(out.data());
    }
    std::vector<std::vector<std::int16_t>> streams;
    std::vector<short> out = std::vector<short>(2 * 512);
};

void BM_LayerMixer(benchmark::State& state) {
    LayerMix mix(static_cast<int>(state.range(0)));
    for (auto _ : state) mix.Second();
}
BENCHMARK(BM_LayerMixer)->Arg(1)->Arg(4)->Arg(10)->Unit(benchmark::kMicrosecond);

void BM_SdlMixAudioFormat(benchmark::State& state) {
    SdlMix mix(static_cast<int>(state.range(0)));
    for (auto _ : state) mix.Second();
}
BENCHMARK(BM_SdlMixAudioFormat)->Arg(1)->Arg(4)->Arg(10)->Unit(benchmark::kMicrosecond);

// This thread's CPU time: on a shared machine, wall time would also count
// the time other programs took.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Both, alternating in every iteration, so the ratio sees the same machine.
void BM_LayerOverSdl(benchmark::State& state) {
    const int voices = static_cast<int>(state.range(0));
    LayerMix layer(voices);
    SdlMix sdl(voices);
    double layerSeconds = 0, sdlSeconds = 0;
    for (auto _ : state) {
        const double a = ThreadSeconds();
        layer.Second();
        const double b = ThreadSeconds();
        sdl.Second();
        const double c = ThreadSeconds();
        layerSeconds += b - a;
        sdlSeconds += c - b;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["layer_us"] = 1e6 * layerSeconds / n;
    state.counters["sdl_us"] = 1e6 * sdlSeconds / n;
    state.counters["ratio"] = layerSeconds / sdlSeconds;
    state.counters["core_%"] = 100.0 * layerSeconds / n;  // per second of output
}
BENCHMARK(BM_LayerOverSdl)->Arg(1)->Arg(4)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace
