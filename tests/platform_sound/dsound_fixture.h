// The hand-driven DirectSound of the sound tests: a device in priority mode
// over the manual mixer, buffers and events released after each test, and
// every frame rendered counts as played at once.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "seam/audio.h"

namespace sound_test {

inline HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10)); }

inline WAVEFORMATEX Pcm(WORD bits, WORD channels, DWORD rate) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

inline bool Signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

class Mixer : public ::testing::Test {
protected:
    void Open(int rate, int channels) {
        outputChannels = channels;
        seam::UseManualAudio(rate, channels);
        ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
        ASSERT_EQ(ds->SetCooperativeLevel(FakeWindow(), DSSCL_PRIORITY), DS_OK);
    }
    void SetUp() override { Open(22050, 1); }
    void TearDown() override {
        for (HANDLE e : events) CloseHandle(e);
        for (IDirectSoundBuffer* b : buffers) b->Release();
        if (ds) {
            EXPECT_EQ(ds->Release(), 0u);
        }
        seam::UseManualAudio(0, 0);
    }

    IDirectSoundBuffer* Make(WAVEFORMATEX format, DWORD bytes, DWORD flags = 0) {
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = flags;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = &format;
        IDirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
        if (buffer) buffers.push_back(buffer);
        return buffer;
    }

    // Fills the whole buffer with 16-bit samples from `sample(i)`.
    void Fill16(IDirectSoundBuffer* buffer, DWORD bytes, const std::function<std::int16_t(DWORD)>& sample) {
        void* p1 = nullptr;
        DWORD n1 = 0;
        ASSERT_EQ(buffer->Lock(0, bytes, &p1, &n1, nullptr, nullptr, 0), DS_OK);
        auto* out = static_cast<std::int16_t*>(p1);
        for (DWORD i = 0; i < n1 / 2; ++i) out[i] = sample(i);
        ASSERT_EQ(buffer->Unlock(p1, n1, nullptr, 0), DS_OK);
    }

    HANDLE Event() {
        HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        events.push_back(e);
        return e;
    }

    std::vector<short> Render(int frames) {
        std::vector<short> out(static_cast<size_t>(frames) * outputChannels);
        seam::RenderAudio(out.data(), frames);
        return out;
    }

    DWORD PlayCursor(IDirectSoundBuffer* buffer) {
        DWORD play = 0xDEAD, write = 0xDEAD;
        EXPECT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
        return play;
    }

    IDirectSound* ds = nullptr;
    int outputChannels = 1;
    std::vector<IDirectSoundBuffer*> buffers;
    std::vector<HANDLE> events;
};

}  // namespace sound_test
