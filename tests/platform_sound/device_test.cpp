// DirectSound on a real SDL audio device: the disk driver writes what the
// device was given to a file, which is read back here. CTest runs each case
// in its own process, so each may pick its audio driver.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "dsound_fixture.h"
#include "seam/audio.h"
#include "seam/input.h"
#include "test_window.h"

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// Sleeps in small steps, taking the window system's events meanwhile.
void Wait(int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 5) {
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

using sound_test::FakeWindow;
using sound_test::Pcm;

// A 0.1 s one-shot sound at 22050 Hz, mono, with an event set at its end.
IDirectSoundBuffer* OneShotWithEndEvent(IDirectSound* ds, DWORD frames, HANDLE end) {
    WAVEFORMATEX format = Pcm(16, 1, 22050);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GETCURRENTPOSITION2;
    desc.dwBufferBytes = frames * 2;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    if (ds->CreateSoundBuffer(&desc, &buffer, nullptr) != DS_OK) return nullptr;
    IDirectSoundNotify* notify = nullptr;
    buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify));
    DSBPOSITIONNOTIFY stop = {DSBPN_OFFSETSTOP, end};
    notify->SetNotificationPositions(1, &stop);
    notify->Release();
    return buffer;
}

// A 0.1 s sound at 22050 Hz, mono, to play looping, with an event set as
// each lap passes its last byte; null if any step of making it fails.
IDirectSoundBuffer* LapWithEndEvent(IDirectSound* ds, HANDLE lap) {
    WAVEFORMATEX format = Pcm(16, 1, 22050);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GETCURRENTPOSITION2;
    desc.dwBufferBytes = 4410;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    if (ds->CreateSoundBuffer(&desc, &buffer, nullptr) != DS_OK) return nullptr;
    IDirectSoundNotify* notify = nullptr;
    DSBPOSITIONNOTIFY end = {4409, lap};
    const bool notifies = buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)) == DS_OK &&
                          notify->SetNotificationPositions(1, &end) == DS_OK;
    if (notify) notify->Release();
    if (notifies) return buffer;
    buffer->Release();
    return nullptr;
}

// Without a device the sound is off, said once, and everything else goes on
// as with a device: the one-shot plays out (never faster than it would be
// heard), its end is notified, the status follows.
TEST(AudioDevice, WithoutADeviceSoundIsOffAndBuffersStillPlayInRealTime) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    IDirectSound* first = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &first, nullptr), DS_OK);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Release(), 0u);
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("sound is off"), said.rfind("sound is off")) << said;
    EXPECT_NE(said.find("[winlayer] sound is off: no audio device could be opened ("), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;

    ASSERT_EQ(ds->SetCooperativeLevel(FakeWindow(), DSSCL_PRIORITY), DS_OK);
    const DWORD frames = 2205;  // 0.1 s
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    IDirectSoundBuffer* buffer = OneShotWithEndEvent(ds, frames, done);
    ASSERT_NE(buffer, nullptr);
    const DWORD started = GetTickCount();
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    DWORD status = 0;
    buffer->GetStatus(&status);
    EXPECT_TRUE(status & DSBSTATUS_PLAYING);
    ASSERT_EQ(WaitForSingleObject(done, 10000), WAIT_OBJECT_0) << "the end of the sound was reached";
    // A lower bound only: a silent output that ran ahead of the clock would
    // drain a stream in a moment and starve the game of its refill events.
    EXPECT_GE(GetTickCount() - started, 90u);
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    buffer->Release();
    EXPECT_EQ(ds->Release(), 0u);
    CloseHandle(done);
}

// SDL's dummy driver plays into the silent output too. Nothing is rendered
// ahead there, so what the program reads must still follow the clock while
// nobody wakes the output: the play position moves between two reads with
// nothing in between, and a looping buffer's lap events come once a lap,
// never faster than the laps are heard.
TEST(AudioDevice, TheSilentOutputFollowsTheClockBetweenEvents) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    testing::internal::CaptureStderr();
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "[winlayer] sound is off: the audio driver is \"dummy\"\n");
    ASSERT_EQ(ds->SetCooperativeLevel(FakeWindow(), DSSCL_PRIORITY), DS_OK);

    HANDLE lap = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    IDirectSoundBuffer* buffer = LapWithEndEvent(ds, lap);
    ASSERT_NE(buffer, nullptr);

    const DWORD started = GetTickCount();
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(WaitForSingleObject(lap, 2000), WAIT_OBJECT_0) << "lap 1";
    // Early in the second lap; 30 ms is more than two periods.
    DWORD first = 0, second = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&first, nullptr), DS_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_EQ(buffer->GetCurrentPosition(&second, nullptr), DS_OK);
    EXPECT_GT(second, first) << "the position moved with the clock";

    for (int laps = 2; laps <= 4; ++laps)
        ASSERT_EQ(WaitForSingleObject(lap, 2000), WAIT_OBJECT_0) << "lap " << laps;
    EXPECT_GE(GetTickCount() - started, 390u) << "four laps of 0.1 s";

    EXPECT_EQ(buffer->Stop(), DS_OK);
    buffer->Release();
    EXPECT_EQ(ds->Release(), 0u);
    CloseHandle(lap);
}

// The test seam can still make DirectSound itself absent, so a program's
// start-up failure stays testable.
TEST(AudioDevice, RefusedDirectSoundFailsToCreate) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    seam::RefuseDirectSound(true);
    IDirectSound* ds = reinterpret_cast<IDirectSound*>(1);
    EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    seam::RefuseDirectSound(false);
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_EQ(ds->Release(), 0u);
}

// A one-shot ramp at 22050 Hz goes through the disk driver's 44100 Hz stereo
// stream: every source frame arrives twice over, interpolated, in order.
TEST(AudioDevice, DiskDriverReceivesTheResampledSound) {
    const std::string path = "device_test_output.raw";
    std::remove(path.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);

    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    ASSERT_EQ(ds->SetCooperativeLevel(FakeWindow(), DSSCL_PRIORITY), DS_OK);

    const DWORD frames = 2205;  // 0.1 s
    WAVEFORMATEX format = Pcm(16, 1, 22050);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLPOSITIONNOTIFY;
    desc.dwBufferBytes = frames * 2;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(buffer->Lock(0, frames * 2, &p, &n, nullptr, nullptr, 0), DS_OK);
    for (DWORD i = 0; i < frames; ++i) static_cast<std::int16_t*>(p)[i] = static_cast<std::int16_t>(8 * (i + 1));
    ASSERT_EQ(buffer->Unlock(p, n, nullptr, 0), DS_OK);

    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), DS_OK);
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DSBPOSITIONNOTIFY stop = {DSBPN_OFFSETSTOP, done};
    ASSERT_EQ(notify->SetNotificationPositions(1, &stop), DS_OK);
    notify->Release();

    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    ASSERT_EQ(WaitForSingleObject(done, 10000), WAIT_OBJECT_0) << "the end of the sound was played";
    DWORD status = 1;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    buffer->Release();
    EXPECT_EQ(ds->Release(), 0u);
    CloseHandle(done);

    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in);
    std::vector<char> raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    size_t first = 0;
    while (first < samples.size() && samples[first] == 0) ++first;
    ASSERT_LT(first + 2 * 2 * frames, samples.size()) << "the whole sound was written";
    for (DWORD f = 0; f < 2 * frames; ++f) {
        const std::int16_t left = samples[first + 2 * f];
        ASSERT_EQ(left, samples[first + 2 * f + 1]);
        // Device frame f stands at source frame f / 2: 8 (f / 2 + 1), and
        // half-way between frames the ramp goes on half a step. Between the
        // last few frames the resampler already hears the silence after the
        // end, and rings no more than a fifth above the ramp's top.
        const int expected = 8 * (f / 2 + 1) + (f % 2) * 4;
        if (f % 2 == 0 || f < 2 * (frames - 8)) ASSERT_NEAR(left, expected, f % 2) << "device frame " << f;
        else ASSERT_LE(std::abs(left), 8 * int(frames) * 6 / 5) << "device frame " << f;
    }
    for (size_t i = first + 4 * frames; i < samples.size(); ++i) ASSERT_EQ(samples[i], 0) << i;
    std::remove(path.c_str());
}

// The real device thread and the real activation path: losing the
// foreground holds every buffer still and silences its notifications; getting
// it back goes on from the same place.
class AudioOutputs : public testing::TestWithParam<const char*> {};

TEST_P(AudioOutputs, BuffersHoldStillWhileTheWindowIsInactive) {
    setenv("SDL_AUDIODRIVER", GetParam(), 1);
    ASSERT_NE(TestWindowClass("SoundFocusWindow"), nullptr);
    HWND window = CreateWindowExA(0, "SoundFocusWindow", "sound", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    seam::PushFocus(window, true);
    Pump();

    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    ASSERT_EQ(ds->SetCooperativeLevel(window, DSSCL_PRIORITY), DS_OK);
    HANDLE lap = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    IDirectSoundBuffer* buffer = LapWithEndEvent(ds, lap);
    ASSERT_NE(buffer, nullptr);

    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(WaitForSingleObject(lap, 2000), WAIT_OBJECT_0) << "plays while active";

    seam::PushFocus(window, false);
    // What was mixed before may still be heard and notified: a period or
    // two of about 12 ms, and SDL's own buffering on a real device.
    Wait(120);
    WaitForSingleObject(lap, 0);
    DWORD before = 0, after = 0, status = 0;
    buffer->GetCurrentPosition(&before, nullptr);
    Wait(250);
    buffer->GetCurrentPosition(&after, nullptr);
    EXPECT_EQ(after, before) << "held still";
    EXPECT_NE(WaitForSingleObject(lap, 0), WAIT_OBJECT_0) << "no lap passes while inactive";
    buffer->GetStatus(&status);
    EXPECT_TRUE(status & DSBSTATUS_PLAYING);

    seam::PushFocus(window, true);
    Pump();
    EXPECT_EQ(WaitForSingleObject(lap, 2000), WAIT_OBJECT_0) << "goes on when active again";

    buffer->Release();
    EXPECT_EQ(ds->Release(), 0u);
    CloseHandle(lap);
    DestroyWindow(window);
    Pump();
}

// With no driver at all, and with SDL's dummy driver, the silent output
// stands in for a device.
INSTANTIATE_TEST_SUITE_P(DummyDeviceAndSilentOutput, AudioOutputs, testing::Values("dummy", "no-such-driver"));

}  // namespace
