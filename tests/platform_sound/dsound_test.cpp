// DirectSound over the hand-driven mixer: every frame rendered here counts as
// played at once, so positions and notification events are checked to the
// frame.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dsound_fixture.h"

namespace {

using sound_test::Mixer;
using sound_test::Pcm;
using sound_test::FakeWindow;
using sound_test::Signalled;

TEST_F(Mixer, CreateSoundBufferTakesSensiblePcmAndRefusesBadDescriptions) {
    struct Case {
        const char* what;
        WAVEFORMATEX format;
        DWORD bytes;
        DWORD flags;
        HRESULT expected;
    };
    WAVEFORMATEX zeroAlign = Pcm(16, 1, 22050);
    zeroAlign.nBlockAlign = 0;
    WAVEFORMATEX wrongAlign = Pcm(16, 2, 22050);
    wrongAlign.nBlockAlign = 2;
    WAVEFORMATEX adpcm = Pcm(16, 1, 22050);
    adpcm.wFormatTag = 2;
    WAVEFORMATEX noChannels = Pcm(16, 1, 22050);
    noChannels.nChannels = 0;
    WAVEFORMATEX noBits = Pcm(16, 1, 22050);
    noBits.wBitsPerSample = 0;
    WAVEFORMATEX twelveBits = Pcm(16, 1, 22050);
    twelveBits.wBitsPerSample = 12;
    WAVEFORMATEX noRate = Pcm(16, 1, 22050);
    noRate.nSamplesPerSec = 0;
    WAVEFORMATEX noByteRate = Pcm(16, 1, 22050);
    noByteRate.nAvgBytesPerSec = 0;
    const Case cases[] = {
        {"16-bit mono", Pcm(16, 1, 22050), 4000, DSBCAPS_STATIC, DS_OK},
        {"8-bit stereo", Pcm(8, 2, 11025), 4000, 0, DS_OK},
        {"16-bit stereo at 48 kHz", Pcm(16, 2, 48000), 4000, DSBCAPS_GETCURRENTPOSITION2, DS_OK},
        {"slowest rate", Pcm(8, 1, 100), 4, DSBCAPS_CTRLPOSITIONNOTIFY, DS_OK},
        {"zero block alignment", zeroAlign, 4000, 0, DSERR_INVALIDPARAM},
        {"block alignment not matching", wrongAlign, 4000, 0, DSERR_INVALIDPARAM},
        {"not PCM", adpcm, 4000, 0, DSERR_INVALIDPARAM},
        {"24-bit", Pcm(24, 1, 22050), 3000, 0, DSERR_INVALIDPARAM},
        {"three channels", Pcm(16, 3, 22050), 3000, 0, DSERR_INVALIDPARAM},
        {"rate too low", Pcm(16, 1, 99), 4000, 0, DSERR_INVALIDPARAM},
        {"rate too high", Pcm(16, 1, 200001), 4000, 0, DSERR_INVALIDPARAM},
        {"fastest rate", Pcm(16, 2, 200000), 4000, 0, DS_OK},
        {"no channels", noChannels, 4000, 0, E_INVALIDARG},
        {"no bits", noBits, 4000, 0, E_INVALIDARG},
        {"12 bits", twelveBits, 4000, 0, E_INVALIDARG},
        {"no rate", noRate, 4000, 0, E_INVALIDARG},
        {"no byte rate", noByteRate, 4000, 0, E_INVALIDARG},
        {"hardware mixing, which there is none of", Pcm(16, 1, 22050), 4000, DSBCAPS_LOCHARDWARE, DSERR_INVALIDCALL},
        {"software mixing", Pcm(16, 1, 22050), 4000, DSBCAPS_LOCSOFTWARE, DS_OK},
        {"no bytes", Pcm(16, 1, 22050), 0, 0, DSERR_INVALIDPARAM},
        {"too many bytes", Pcm(16, 1, 22050), DSBSIZE_MAX + 1, 0, DSERR_INVALIDPARAM},
        {"primary with bytes", Pcm(16, 1, 22050), 4000, DSBCAPS_PRIMARYBUFFER, DSERR_INVALIDPARAM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WAVEFORMATEX format = c.format;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = c.flags;
        desc.dwBufferBytes = c.bytes;
        desc.lpwfxFormat = &format;
        IDirectSoundBuffer* buffer = reinterpret_cast<IDirectSoundBuffer*>(1);
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), c.expected);
        EXPECT_EQ(buffer != nullptr, c.expected == DS_OK);
        if (buffer) {
            EXPECT_EQ(buffer->Release(), 0u);
        }
    }

    WAVEFORMATEX format = Pcm(16, 1, 22050);
    DSBUFFERDESC desc{};
    desc.dwBufferBytes = 4000;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_INVALIDPARAM) << "dwSize 0";
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(ds->CreateSoundBuffer(nullptr, &buffer, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &buffer, reinterpret_cast<IUnknown*>(ds)), DSERR_NOAGGREGATION);
    EXPECT_EQ(buffer, nullptr);
}

TEST_F(Mixer, PrimaryBufferTakesItsFormatOnlyInPriorityMode) {
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    WAVEFORMATEX wanted = Pcm(16, 1, 22050);
    WAVEFORMATEX bad = wanted;
    bad.nBlockAlign = 0;
    EXPECT_EQ(primary->SetFormat(&bad), DSERR_INVALIDPARAM);
    EXPECT_EQ(primary->SetFormat(&wanted), DS_OK);
    WAVEFORMATEX got{};
    DWORD written = 0;
    EXPECT_EQ(primary->GetFormat(&got, sizeof(got), &written), DS_OK);
    EXPECT_EQ(std::memcmp(&got, &wanted, sizeof(got)), 0);
    EXPECT_EQ(ds->SetCooperativeLevel(FakeWindow(), DSSCL_NORMAL), DS_OK);
    EXPECT_EQ(primary->SetFormat(&wanted), DSERR_PRIOLEVELNEEDED);
    void* p = nullptr;
    DWORD n = 0;
    EXPECT_NE(primary->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(primary->Release(), 0u);
}

TEST_F(Mixer, LockHandsOutTwoRegionsWhenTheRangeWraps) {
    IDirectSoundBuffer* buffer = Make(Pcm(16, 1, 22050), 1000);
    void *p1 = nullptr, *p2 = nullptr, *base = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->Lock(0, 1000, &base, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(n2, 0u);
    ASSERT_EQ(buffer->Unlock(base, n1, nullptr, 0), DS_OK);

    ASSERT_EQ(buffer->Lock(900, 300, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(p1, static_cast<char*>(base) + 900);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(p2, base);
    EXPECT_EQ(n2, 200u);
    EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);

    // Without room for a second region only the first comes back.
    ASSERT_EQ(buffer->Lock(900, 300, &p1, &n1, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(buffer->Unlock(p1, n1, nullptr, 0), DS_OK);

    ASSERT_EQ(buffer->Lock(123, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(p1, base);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(buffer->Unlock(p1, n1, nullptr, 0), DS_OK);

    EXPECT_EQ(buffer->Lock(1000, 1, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(0, 1001, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(0, 0, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    char outside[4];
    EXPECT_EQ(buffer->Unlock(outside, 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(static_cast<char*>(base) + 990, 20, nullptr, 0), DSERR_INVALIDPARAM);
}

// 2000 frames of 16-bit mono, notified at the ends of its quarters; the
// device runs at the buffer's rate, so one rendered frame is one played frame.
TEST_F(Mixer, NotificationsFireAsPlayPassesEachOffsetAcrossLoops) {
    IDirectSoundBuffer* buffer = Make(Pcm(16, 1, 22050), 4000, DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GETCURRENTPOSITION2);
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), DS_OK);
    HANDLE quarter[4] = {Event(), Event(), Event(), Event()};
    HANDLE stop = Event();
    DSBPOSITIONNOTIFY positions[] = {
        {999, quarter[0]}, {1999, quarter[1]}, {2999, quarter[2]}, {3999, quarter[3]}, {DSBPN_OFFSETSTOP, stop}};
    ASSERT_EQ(notify->SetNotificationPositions(5, positions), DS_OK);
    EXPECT_EQ(notify->Release(), 1u) << "the notification interface holds the buffer";

    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    DWORD status = 0;
    EXPECT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DWORD(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    DSBPOSITIONNOTIFY late[] = {{10, quarter[0]}};
    ASSERT_EQ(buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), DS_OK);
    EXPECT_EQ(notify->SetNotificationPositions(1, late), DSERR_INVALIDCALL) << "a playing buffer keeps its list";
    notify->Release();

    int rendered = 0;
    for (int lap = 0; lap < 3; ++lap) {
        for (int q = 0; q < 4; ++q) {
            const int due = lap * 2000 + (q + 1) * 500;  // frame 499 + 500q played
            Render(due - 1 - rendered);
            rendered = due - 1;
            for (HANDLE e : quarter) EXPECT_FALSE(Signalled(e)) << "lap " << lap << " quarter " << q << " early";
            Render(1);
            ++rendered;
            for (int other = 0; other < 4; ++other)
                EXPECT_EQ(Signalled(quarter[other]), other == q) << "lap " << lap << " quarter " << q;
            EXPECT_EQ(PlayCursor(buffer), DWORD((rendered % 2000) * 2));
        }
    }
    EXPECT_FALSE(Signalled(stop));
    Render(250);
    EXPECT_EQ(PlayCursor(buffer), 500u);
    ASSERT_EQ(buffer->Stop(), DS_OK);
    EXPECT_TRUE(Signalled(stop));
    EXPECT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);
    Render(2000);
    EXPECT_EQ(PlayCursor(buffer), 500u) << "a stopped buffer holds its position";
    for (HANDLE e : quarter) EXPECT_FALSE(Signalled(e));
    ASSERT_EQ(buffer->Stop(), DS_OK);
    EXPECT_FALSE(Signalled(stop)) << "stopping a stopped buffer is no stop";

    // Play goes on from where it stood.
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Render(249);
    EXPECT_FALSE(Signalled(quarter[0]));
    Render(1);
    EXPECT_TRUE(Signalled(quarter[0]));
}

TEST_F(Mixer, OneShotBufferEndsWhenItsLastFrameIsPlayedAndReplaysFromTheStart) {
    IDirectSoundBuffer* buffer = Make(Pcm(16, 1, 22050), 200, DSBCAPS_CTRLPOSITIONNOTIFY);
    Fill16(buffer, 200, [](DWORD i) { return static_cast<std::int16_t>(1000 + i); });
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), DS_OK);
    HANDLE stop = Event();
    DSBPOSITIONNOTIFY positions[] = {{DSBPN_OFFSETSTOP, stop}};
    ASSERT_EQ(notify->SetNotificationPositions(1, positions), DS_OK);
    notify->Release();

    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
        std::vector<short> out = Render(99);
        EXPECT_EQ(out[0], 1000);
        EXPECT_EQ(out[98], 1098);
        DWORD status = 0;
        buffer->GetStatus(&status);
        EXPECT_EQ(status, DWORD(DSBSTATUS_PLAYING)) << "round " << round;
        EXPECT_FALSE(Signalled(stop));
        out = Render(10);
        EXPECT_EQ(out[0], 1099);
        EXPECT_EQ(out[1], 0) << "silence after the end";
        buffer->GetStatus(&status);
        EXPECT_EQ(status, 0u);
        EXPECT_TRUE(Signalled(stop)) << "round " << round;
        EXPECT_EQ(PlayCursor(buffer), 0u);
    }
}

TEST_F(Mixer, EightBitAndStereoSamplesAreConvertedAndSumsSaturate) {
    IDirectSoundBuffer* eight = Make(Pcm(8, 1, 22050), 4);
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(eight->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DS_OK);
    const unsigned char bytes[4] = {0x80, 0xFF, 0x00, 0x90};
    std::memcpy(p, bytes, 4);
    ASSERT_EQ(eight->Unlock(p, n, nullptr, 0), DS_OK);
    ASSERT_EQ(eight->Play(0, 0, 0), DS_OK);
    std::vector<short> out = Render(4);
    EXPECT_EQ(out, (std::vector<short>{0, 127 * 256, -128 * 256, 16 * 256}));

    IDirectSoundBuffer* loud[3];
    const std::int16_t levels[3] = {30000, 30000, -20000};
    for (int i = 0; i < 3; ++i) {
        loud[i] = Make(Pcm(16, 2, 22050), 16);
        const std::int16_t level = levels[i];
        Fill16(loud[i], 16, [level](DWORD s) { return static_cast<std::int16_t>(s % 2 ? -level : level); });
    }
    loud[0]->Play(0, 0, 0);
    loud[1]->Play(0, 0, 0);
    out = Render(2);
    // Stereo into mono: the two channels averaged, then the two buffers summed.
    EXPECT_EQ(out, (std::vector<short>{0, 0}));
    loud[0]->Stop();
    loud[1]->Stop();

    // One channel only: +30000 and +30000 saturate instead of wrapping.
    for (int i = 0; i < 2; ++i) Fill16(loud[i], 16, [](DWORD) { return std::int16_t(30000); });
    Fill16(loud[2], 16, [](DWORD) { return std::int16_t(-30000); });
    loud[0]->SetCurrentPosition(0);
    loud[1]->SetCurrentPosition(0);
    loud[0]->Play(0, 0, 0);
    loud[1]->Play(0, 0, 0);
    out = Render(1);
    EXPECT_EQ(out[0], 32767);
    loud[0]->Stop();
    loud[1]->Stop();
    loud[2]->Play(0, 0, DSBPLAY_LOOPING);
    IDirectSoundBuffer* second = Make(Pcm(16, 1, 22050), 16);
    Fill16(second, 16, [](DWORD) { return std::int16_t(-30000); });
    second->Play(0, 0, DSBPLAY_LOOPING);
    out = Render(1);
    EXPECT_EQ(out[0], -32768);
}

class Resampling : public Mixer {
protected:
    void SetUp() override {}
};

// A 1 kHz tone of 0.5 s at 22050 Hz, played on a 44100 Hz stereo device:
// it lasts 22050 device frames and still crosses zero 1000 times.
TEST_F(Resampling, KeepsLengthAndPitchAndNotifiesAtTheResampledPosition) {
    Open(44100, 2);
    const DWORD frames = 11025;
    IDirectSoundBuffer* tone = Make(Pcm(16, 1, 22050), frames * 2, DSBCAPS_CTRLPOSITIONNOTIFY);
    Fill16(tone, frames * 2, [](DWORD i) {
        return static_cast<std::int16_t>(std::lround(12000 * std::sin(2 * M_PI * 1000.0 * (i + 0.25) / 22050)));
    });
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(tone->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), DS_OK);
    HANDLE half = Event();
    DSBPOSITIONNOTIFY positions[] = {{5511 * 2 + 1, half}};  // the last byte of frame 5511
    ASSERT_EQ(notify->SetNotificationPositions(1, positions), DS_OK);
    notify->Release();

    ASSERT_EQ(tone->Play(0, 0, 0), DS_OK);
    std::vector<short> out = Render(11023);
    EXPECT_FALSE(Signalled(half));
    std::vector<short> more = Render(1);
    EXPECT_TRUE(Signalled(half)) << "frame 5511 is behind play after 2 x 5512 device frames";
    out.insert(out.end(), more.begin(), more.end());
    more = Render(22050 - 11024 + 1000);
    out.insert(out.end(), more.begin(), more.end());

    int last = -1, crossings = 0;
    for (size_t f = 0; f < out.size() / 2; ++f) {
        EXPECT_EQ(out[2 * f], out[2 * f + 1]) << "mono goes to both channels";
        if (out[2 * f] != 0) last = static_cast<int>(f);
        if (f > 0 && (out[2 * f - 2] < 0) != (out[2 * f] < 0) && f < 22050) ++crossings;
    }
    EXPECT_NEAR(last, 22049, 2);
    EXPECT_NEAR(crossings, 1000, 2);
}

TEST_F(Resampling, EightBitStereoAtElevenKilohertzKeepsEverySourceFrameAndItsLength) {
    Open(44100, 2);
    IDirectSoundBuffer* ramp = Make(Pcm(8, 2, 11025), 8);
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(ramp->Lock(0, 8, &p, &n, nullptr, nullptr, 0), DS_OK);
    const unsigned char frames[8] = {0x80, 0x80, 0x90, 0x70, 0xA0, 0x60, 0xB0, 0x50};
    std::memcpy(p, frames, 8);
    ramp->Unlock(p, n, nullptr, 0);
    ASSERT_EQ(ramp->Play(0, 0, 0), DS_OK);
    std::vector<short> out = Render(20);
    // Every fourth device frame falls on a source frame and is that frame;
    // the ones between are interpolated, on both channels alike.
    for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(out[2 * 4 * f], f * 4096) << f;
        EXPECT_EQ(out[2 * 4 * f + 1], -f * 4096) << f;
    }
    for (int f = 1; f < 12; ++f) EXPECT_NEAR(out[2 * f], -out[2 * f + 1], 1) << f;
    for (int f = 16; f < 20; ++f) EXPECT_EQ(out[2 * f], 0) << "four source frames make sixteen device frames";
}

// The power of `samples` at `hertz`, over a whole number of its periods.
double PowerAt(const std::vector<short>& samples, double hertz, double rate) {
    double re = 0, im = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        re += samples[i] * std::cos(2 * M_PI * hertz * double(i) / rate);
        im += samples[i] * std::sin(2 * M_PI * hertz * double(i) / rate);
    }
    return re * re + im * im;
}

// A 5 kHz tone at 22050 Hz doubled to 44100 Hz has an image at
// 22050 - 5000 = 17050 Hz; linear interpolation lets it through only about
// 17 dB down.
TEST_F(Resampling, ImagesAboveTheSourceNyquistFrequencyAreFiftyDecibelsDown) {
    Open(44100, 1);
    const DWORD frames = 22050;  // 5000 whole periods: the loop is seamless
    IDirectSoundBuffer* tone = Make(Pcm(16, 1, 22050), frames * 2);
    Fill16(tone, frames * 2, [](DWORD i) {
        return static_cast<std::int16_t>(std::lround(16000 * std::sin(2 * M_PI * 5000.0 * i / 22050)));
    });
    ASSERT_EQ(tone->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Render(1000);
    const std::vector<short> out = Render(8820);  // 1000 periods of 5 kHz, 3410 of 17.05 kHz
    const double tonePower = PowerAt(out, 5000, 44100);
    const double imagePower = PowerAt(out, 17050, 44100);
    const double rejection = 10 * std::log10(tonePower / imagePower);
    EXPECT_GT(rejection, 50.0);
    RecordProperty("image_rejection_db", std::to_string(rejection));
    std::printf("image at 17050 Hz: %.1f dB below the 5 kHz tone\n", rejection);
}

TEST_F(Mixer, WithoutTheForegroundEveryBufferHoldsStill) {
    IDirectSoundBuffer* buffer = Make(Pcm(16, 1, 22050), 4000, DSBCAPS_CTRLPOSITIONNOTIFY);
    Fill16(buffer, 4000, [](DWORD) { return std::int16_t(500); });
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), DS_OK);
    HANDLE segment = Event();
    DSBPOSITIONNOTIFY positions[] = {{1999, segment}};
    ASSERT_EQ(notify->SetNotificationPositions(1, positions), DS_OK);
    notify->Release();
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Render(900);

    seam::SetAudioActive(false);
    std::vector<short> out = Render(5000);
    EXPECT_EQ(out, std::vector<short>(5000, 0));
    EXPECT_FALSE(Signalled(segment));
    EXPECT_EQ(PlayCursor(buffer), 1800u);
    DWORD status = 0;
    buffer->GetStatus(&status);
    EXPECT_TRUE(status & DSBSTATUS_PLAYING) << "paused, not stopped";

    seam::SetAudioActive(true);
    out = Render(99);
    EXPECT_EQ(out[0], 500);
    EXPECT_FALSE(Signalled(segment));
    Render(1);
    EXPECT_TRUE(Signalled(segment));
}

TEST_F(Mixer, NotifyInterfaceOnlyWithItsCapabilityAndPositionsInsideTheBuffer) {
    IDirectSoundBuffer* plain = Make(Pcm(16, 1, 22050), 400);
    IDirectSoundNotify* notify = reinterpret_cast<IDirectSoundNotify*>(1);
    EXPECT_EQ(plain->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), E_NOINTERFACE);
    EXPECT_EQ(notify, nullptr);

    IDirectSoundBuffer* notifying = Make(Pcm(16, 1, 22050), 400, DSBCAPS_CTRLPOSITIONNOTIFY);
    ASSERT_EQ(notifying->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), DS_OK);
    HANDLE e = Event();
    DSBPOSITIONNOTIFY outside[] = {{400, e}};
    EXPECT_EQ(notify->SetNotificationPositions(1, outside), DSERR_INVALIDPARAM);
    DSBPOSITIONNOTIFY noEvent[] = {{10, nullptr}};
    EXPECT_EQ(notify->SetNotificationPositions(1, noEvent), DSERR_INVALIDPARAM);
    EXPECT_EQ(notify->SetNotificationPositions(1, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(notify->SetNotificationPositions(0, nullptr), DS_OK);
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    ASSERT_EQ(notify->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a)), S_OK);
    ASSERT_EQ(notifying->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b)), S_OK);
    EXPECT_EQ(a, b) << "one COM object";
    a->Release();
    b->Release();
    notify->Release();
}

}  // namespace
