// DirectSound as a program of its era can tell it apart: the one primary
// buffer, the volume, pan and frequency controls and what the mixer makes of
// them, the buffer's size and format as given, the speaker setting and
// duplicated buffers.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "dsound_fixture.h"

namespace {

using sound_test::Mixer;
using sound_test::Pcm;

IDirectSoundBuffer* CreatePrimary(IDirectSound* ds, HRESULT expected = DS_OK) {
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &primary, nullptr), expected);
    return primary;
}

// The largest magnitude of one channel of interleaved samples.
int Peak(const std::vector<short>& samples, int channel, int channels) {
    int peak = 0;
    for (std::size_t i = channel; i < samples.size(); i += channels) peak = std::max(peak, std::abs(samples[i]));
    return peak;
}

// Frames until the first of a run of silence at the end.
int SoundingFrames(const std::vector<short>& mono) {
    int last = -1;
    for (std::size_t i = 0; i < mono.size(); ++i)
        if (mono[i] != 0) last = static_cast<int>(i);
    return last + 1;
}

TEST_F(Mixer, ThePrimaryBufferIsOneObjectThatOutlivesItsReferencesWhileTheDeviceLives) {
    IDirectSoundBuffer* first = CreatePrimary(ds);
    IDirectSoundBuffer* second = CreatePrimary(ds);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(second, first) << "the same object each time";
    EXPECT_EQ(first->AddRef(), 3u) << "each CreateSoundBuffer counted";
    EXPECT_EQ(first->Release(), 2u);

    WAVEFORMATEX wanted = Pcm(16, 2, 44100);
    ASSERT_EQ(first->SetFormat(&wanted), DS_OK);
    EXPECT_EQ(second->Release(), 1u);
    EXPECT_EQ(first->Release(), 0u);

    // Every reference is gone, the object is not: it still answers, keeps
    // its format and comes back from the next CreateSoundBuffer.
    WAVEFORMATEX got{};
    EXPECT_EQ(first->GetFormat(&got, sizeof(got), nullptr), DS_OK);
    EXPECT_EQ(got.nSamplesPerSec, 44100u);
    IDirectSoundBuffer* again = CreatePrimary(ds);
    EXPECT_EQ(again, first);

    LONG volume = 1;
    EXPECT_EQ(again->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, DSBVOLUME_MAX);
    DWORD frequency = 0;
    EXPECT_EQ(again->GetFrequency(nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(again->GetFrequency(&frequency), DSERR_CONTROLUNAVAIL);
    IDirectSoundBuffer* duplicate = reinterpret_cast<IDirectSoundBuffer*>(1);
    EXPECT_EQ(ds->DuplicateSoundBuffer(again, &duplicate), DSERR_INVALIDCALL);
    EXPECT_EQ(duplicate, nullptr);

    // A primary buffer still held keeps the device; its last release takes
    // both (the sanitizer run sees a leak or a use after free otherwise).
    EXPECT_EQ(ds->Release(), 1u);
    ds = nullptr;
    EXPECT_EQ(again->Release(), 0u);
}

TEST_F(Mixer, VolumePanAndFrequencyAnswerOnlyWithTheirCapabilityAndInTheirRange) {
    struct Control {
        const char* what;
        DWORD flag;
        std::function<HRESULT(IDirectSoundBuffer*, LONG)> set;
        std::function<HRESULT(IDirectSoundBuffer*, LONG*)> get;
        LONG initial, inside, below, above;
    };
    const Control controls[] = {
        {"volume", DSBCAPS_CTRLVOLUME, [](IDirectSoundBuffer* b, LONG v) { return b->SetVolume(v); },
         [](IDirectSoundBuffer* b, LONG* v) { return b->GetVolume(v); }, DSBVOLUME_MAX, -2500, DSBVOLUME_MIN - 1,
         DSBVOLUME_MAX + 1},
        {"pan", DSBCAPS_CTRLPAN, [](IDirectSoundBuffer* b, LONG v) { return b->SetPan(v); },
         [](IDirectSoundBuffer* b, LONG* v) { return b->GetPan(v); }, DSBPAN_CENTER, DSBPAN_LEFT, DSBPAN_LEFT - 1,
         DSBPAN_RIGHT + 1},
        {"frequency", DSBCAPS_CTRLFREQUENCY,
         [](IDirectSoundBuffer* b, LONG v) { return b->SetFrequency(static_cast<DWORD>(v)); },
         [](IDirectSoundBuffer* b, LONG* v) { return b->GetFrequency(reinterpret_cast<DWORD*>(v)); }, 22050,
         DSBFREQUENCY_MAX, DSBFREQUENCY_MIN - 1, DSBFREQUENCY_MAX + 1},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.what);
        IDirectSoundBuffer* without = Make(Pcm(16, 1, 22050), 400, DSBCAPS_CTRLPOSITIONNOTIFY);
        LONG value = 12345;
        EXPECT_EQ(c.set(without, c.inside), DSERR_CONTROLUNAVAIL);
        EXPECT_EQ(c.get(without, &value), DSERR_CONTROLUNAVAIL);
        EXPECT_EQ(c.get(without, nullptr), DSERR_INVALIDPARAM);

        IDirectSoundBuffer* with = Make(Pcm(16, 1, 22050), 400, c.flag);
        EXPECT_EQ(c.get(with, &value), DS_OK);
        EXPECT_EQ(value, c.initial);
        EXPECT_EQ(c.set(with, c.inside), DS_OK);
        EXPECT_EQ(c.get(with, &value), DS_OK);
        EXPECT_EQ(value, c.inside);
        EXPECT_EQ(c.set(with, c.below), DSERR_INVALIDPARAM);
        EXPECT_EQ(c.set(with, c.above), DSERR_INVALIDPARAM);
        EXPECT_EQ(c.get(with, &value), DS_OK);
        EXPECT_EQ(value, c.inside) << "a refused value changes nothing";
    }

    IDirectSoundBuffer* buffer = Make(Pcm(16, 1, 22050), 400, DSBCAPS_CTRLFREQUENCY);
    DWORD frequency = 0;
    ASSERT_EQ(buffer->SetFrequency(DSBFREQUENCY_MIN), DS_OK);
    ASSERT_EQ(buffer->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    EXPECT_EQ(buffer->GetFrequency(&frequency), DS_OK);
    EXPECT_EQ(frequency, 22050u) << "DSBFREQUENCY_ORIGINAL is the format's rate";
}

// A 16-bit stereo sound at the device's own rate, 2000 frames of a square
// wave at full 16000 on both channels.
class MixedControls : public Mixer {
protected:
    void SetUp() override { Open(22050, 2); }
    IDirectSoundBuffer* Square(DWORD flags) {
        IDirectSoundBuffer* buffer = Make(Pcm(16, 2, 22050), 8000, flags);
        Fill16(buffer, 8000, [](DWORD i) { return std::int16_t((i / 40) % 2 ? 16000 : -16000); });
        return buffer;
    }
};

TEST_F(MixedControls, VolumeIsAGainOfTenToTheVolumeOverTwoThousand) {
    IDirectSoundBuffer* buffer = Square(DSBCAPS_CTRLVOLUME);
    ASSERT_EQ(buffer->SetVolume(-600), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    const std::vector<short> out = Render(2000);
    // -6 dB is 0.501 of the amplitude.
    EXPECT_NEAR(Peak(out, 0, 2), 16000 * 0.501, 40);
    EXPECT_NEAR(Peak(out, 1, 2), 16000 * 0.501, 40);

    ASSERT_EQ(buffer->SetVolume(DSBVOLUME_MIN), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Peak(Render(2000), 0, 2), 0) << "the floor is silence";
}

TEST_F(MixedControls, PanAttenuatesTheOtherSideByTheSameLaw) {
    IDirectSoundBuffer* buffer = Square(DSBCAPS_CTRLPAN);
    ASSERT_EQ(buffer->SetPan(DSBPAN_LEFT), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    std::vector<short> out = Render(2000);
    EXPECT_EQ(Peak(out, 0, 2), 16000);
    EXPECT_EQ(Peak(out, 1, 2), 0) << "right silent";

    ASSERT_EQ(buffer->SetPan(600), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    out = Render(2000);
    EXPECT_NEAR(Peak(out, 0, 2), 16000 * 0.501, 40);
    EXPECT_EQ(Peak(out, 1, 2), 16000);
}

// The device runs at 22050 Hz mono, the sound too: doubling its frequency
// halves the frames it takes, from the moment it is set.
TEST_F(Mixer, FrequencyChangesTheResamplingStepAtOnceWhilePlaying) {
    IDirectSoundBuffer* buffer = Make(Pcm(16, 1, 22050), 4000, DSBCAPS_CTRLFREQUENCY);
    Fill16(buffer, 4000, [](DWORD) { return std::int16_t(3000); });
    ASSERT_EQ(buffer->SetFrequency(44100), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_NEAR(SoundingFrames(Render(3000)), 1000, 8);

    ASSERT_EQ(buffer->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    Render(1000);  // half the sound at its own rate
    ASSERT_EQ(buffer->SetFrequency(44100), DS_OK);
    EXPECT_NEAR(SoundingFrames(Render(3000)), 500, 8) << "the other half at twice the rate";
}

TEST_F(Mixer, BufferSizeIsRoundedToWholeFramesAndTheFormatKeptAsGiven) {
    WAVEFORMATEX format = Pcm(16, 2, 44100);
    format.nAvgBytesPerSec = 176401;  // one byte off
    IDirectSoundBuffer* buffer = Make(format, 44101);
    ASSERT_NE(buffer, nullptr);
    DSBCAPS caps{};
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(buffer->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwBufferBytes, 44104u);
    EXPECT_EQ(caps.dwFlags & DSBCAPS_LOCHARDWARE, 0u);
    WAVEFORMATEX got{};
    DWORD written = 0;
    ASSERT_EQ(buffer->GetFormat(&got, sizeof(got), &written), DS_OK);
    EXPECT_EQ(got.nAvgBytesPerSec, 176401u);
    EXPECT_EQ(written, sizeof(WAVEFORMATEX));
}

TEST_F(Mixer, TheSpeakerSettingIsKept) {
    DWORD config = 0;
    EXPECT_EQ(ds->GetSpeakerConfig(&config), DS_OK);
    EXPECT_EQ(config, DWORD(DSSPEAKER_STEREO));
    EXPECT_EQ(ds->SetSpeakerConfig(DSSPEAKER_HEADPHONE), DS_OK);
    EXPECT_EQ(ds->GetSpeakerConfig(&config), DS_OK);
    EXPECT_EQ(config, DWORD(DSSPEAKER_HEADPHONE));
    EXPECT_EQ(ds->GetSpeakerConfig(nullptr), DSERR_INVALIDPARAM);
}

TEST_F(Mixer, ADuplicateSharesTheSoundButPlaysOnItsOwn) {
    IDirectSoundBuffer* original = Make(Pcm(16, 1, 22050), 200, DSBCAPS_CTRLVOLUME);
    ASSERT_EQ(original->SetVolume(-600), DS_OK);
    IDirectSoundBuffer* duplicate = nullptr;
    ASSERT_EQ(ds->DuplicateSoundBuffer(original, &duplicate), DS_OK);
    ASSERT_NE(duplicate, nullptr);
    ASSERT_NE(duplicate, original);
    buffers.push_back(duplicate);
    LONG volume = 0;
    EXPECT_EQ(duplicate->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, -600) << "the original's parameters";
    ASSERT_EQ(duplicate->SetVolume(DSBVOLUME_MAX), DS_OK);
    EXPECT_EQ(original->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, -600) << "changed independently";

    // Written through the original after duplicating, heard from the copy.
    Fill16(original, 200, [](DWORD i) { return std::int16_t(100 + i); });
    ASSERT_EQ(original->SetCurrentPosition(100), DS_OK);
    ASSERT_EQ(duplicate->Play(0, 0, 0), DS_OK);
    std::vector<short> out = Render(10);
    EXPECT_EQ(out[0], 100);
    EXPECT_EQ(out[9], 109);
    DWORD status = 0;
    original->GetStatus(&status);
    EXPECT_EQ(status, 0u) << "the original stays stopped";
    DWORD play = 0;
    original->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 100u) << "and where it was put";

    // The sound outlives the original.
    EXPECT_EQ(original->Release(), 0u);
    buffers.erase(std::find(buffers.begin(), buffers.end(), original));
    out = Render(10);
    EXPECT_EQ(out[0], 110);

    IDirectSoundBuffer* none = reinterpret_cast<IDirectSoundBuffer*>(1);
    EXPECT_EQ(ds->DuplicateSoundBuffer(nullptr, &none), DSERR_INVALIDPARAM);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(ds->DuplicateSoundBuffer(duplicate, nullptr), DSERR_INVALIDPARAM);
}

}  // namespace
