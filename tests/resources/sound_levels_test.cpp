// The game's sound levels, heard through the layer's own mixer as the game
// plays them: the music with any effect, or any two effects, landing on the
// music's loudest moment never clips; effects share one loudness and the
// interlude matches the play music.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "seam/audio.h"

namespace {

using Samples = std::vector<std::int16_t>;

constexpr int kEffects[] = {140, 141, 142, 143, 144, 145, 146, 147, 148, 150};
constexpr int kInterlude = 149;

// The samples of a 16-bit mono RIFF WAVE whose "fmt " chunk is followed by
// "data", as every sound of the game is.
Samples FromWave(const std::uint8_t* bytes, std::size_t size) {
    if (size < 44 || std::memcmp(bytes, "RIFF", 4) || std::memcmp(bytes + 36, "data", 4)) return {};
    Samples s((size - 44) / 2);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(bytes[44 + 2 * i] | (bytes[45 + 2 * i] << 8));
    return s;
}

Samples Wave(int id) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "WAVE");
    if (found == nullptr) return {};
    return FromWave(static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found))),
                    SizeofResource(nullptr, found));
}

Samples Music() {
    std::ifstream in(std::string(GAME_RESOURCES_DIR) + "/music.zk", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return FromWave(bytes.data(), bytes.size());
}

std::size_t PeakAt(const Samples& s) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (std::abs(s[i]) > std::abs(s[at])) at = i;
    return at;
}

double Decibels(double rms) { return 20 * std::log10(rms / 32768); }

double Rms(const Samples& s, std::size_t from, std::size_t count) {
    double sum = 0;
    for (std::size_t i = from; i < from + count; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(count));
}

// An effect's loudness: its loudest 400 ms.
double LoudestMoment(const Samples& s) {
    const std::size_t window = std::min<std::size_t>(s.size(), 8820);
    double loudest = 0;
    for (std::size_t at = 0; at + window <= s.size(); at += 220) loudest = std::max(loudest, Rms(s, at, window));
    return Decibels(loudest);
}

// The game's mix: a 44.1 kHz stereo device, the music looping, effects as
// static one-shot buffers, all at full volume.
class SoundLevels : public ::testing::Test {
protected:
    void SetUp() override {
        seam::UseManualAudio(44100, 2);
        ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
        ASSERT_EQ(ds->SetCooperativeLevel(reinterpret_cast<HWND>(0x10), DSSCL_PRIORITY), DS_OK);
        music = Music();
        ASSERT_GT(music.size(), 22050u);
        musicBuffer = Load(music);
        for (int id : kEffects) {
            effects.push_back(Wave(id));
            ASSERT_FALSE(effects.back().empty()) << id;
            effectBuffers.push_back(Load(effects.back()));
        }
    }
    void TearDown() override {
        for (IDirectSoundBuffer* b : effectBuffers)
            if (b) b->Release();
        if (musicBuffer) musicBuffer->Release();
        if (ds) ds->Release();
        seam::UseManualAudio(0, 0);
    }

    IDirectSoundBuffer* Load(const Samples& s) {
        WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DSBCAPS_STATIC;
        desc.dwBufferBytes = static_cast<DWORD>(s.size() * 2);
        desc.lpwfxFormat = &format;
        IDirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
        if (!buffer) return nullptr;
        void* p = nullptr;
        DWORD n = 0;
        EXPECT_EQ(buffer->Lock(0, desc.dwBufferBytes, &p, &n, nullptr, nullptr, 0), DS_OK);
        std::memcpy(p, s.data(), n);
        buffer->Unlock(p, n, nullptr, 0);
        return buffer;
    }

    // Plays the music and the effects numbered in `chosen` so that every
    // effect's own peak lands on the music's loudest sample; the output,
    // from the start until the longest effect is over.
    std::vector<short> MixAtTheMusicsPeak(const std::vector<std::size_t>& chosen) {
        std::size_t longest = 0, latestPeak = 0;
        for (std::size_t e : chosen) {
            longest = std::max(longest, effects[e].size());
            latestPeak = std::max(latestPeak, PeakAt(effects[e]));
        }
        const std::size_t musicPeak = PeakAt(music);
        musicStart = (musicPeak + music.size() - latestPeak) % music.size();
        musicBuffer->SetCurrentPosition(static_cast<DWORD>(musicStart * 2));
        musicBuffer->Play(0, 0, DSBPLAY_LOOPING);
        std::vector<std::pair<std::size_t, std::size_t>> starts;  // source frame, effect
        for (std::size_t e : chosen) starts.emplace_back(latestPeak - PeakAt(effects[e]), e);
        std::sort(starts.begin(), starts.end());
        std::vector<short> out;
        // The device runs at twice the sounds' rate: two device frames to a
        // source frame.
        const auto render = [&out](std::size_t sourceFrames) {
            std::vector<short> part(4 * sourceFrames);
            seam::RenderAudio(part.data(), static_cast<int>(2 * sourceFrames));
            out.insert(out.end(), part.begin(), part.end());
        };
        std::size_t now = 0;
        for (const auto& [at, e] : starts) {
            render(at - now);
            now = at;
            effectBuffers[e]->SetCurrentPosition(0);
            effectBuffers[e]->Play(0, 0, 0);
        }
        render(longest + 64);
        musicBuffer->Stop();
        for (std::size_t e : chosen) effectBuffers[e]->Stop();
        return out;
    }

    IDirectSound* ds = nullptr;
    Samples music;
    std::size_t musicStart = 0;  // where the last mix started the music
    IDirectSoundBuffer* musicBuffer = nullptr;
    std::vector<Samples> effects;
    std::vector<IDirectSoundBuffer*> effectBuffers;
};

// Sum of squares of `count` samples from `from` on, wrapping round.
template <class Sequence>
double Energy(const Sequence& s, std::size_t from = 0, std::size_t count = 0) {
    if (count == 0) count = s.size();
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += double(s[(from + i) % s.size()]) * s[(from + i) % s.size()];
    return sum;
}

int Clipped(const std::vector<short>& out) {
    return static_cast<int>(std::count_if(out.begin(), out.end(), [](short v) { return v == 32767 || v == -32768; }));
}

int Peak(const std::vector<short>& out) {
    int peak = 0;
    for (short v : out) peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
}

TEST_F(SoundLevels, NoEffectOverTheMusicsLoudestMomentClips) {
    for (std::size_t e = 0; e < effects.size(); ++e) {
        SCOPED_TRACE("wave " + std::to_string(kEffects[e]));
        const std::vector<short> out = MixAtTheMusicsPeak({e});
        EXPECT_EQ(Clipped(out), 0);
        // Four output samples to a source sample: the effect's energy is in
        // the mix on top of the music's.
        const double musicEnergy = Energy(music, musicStart, out.size() / 4);
        const double effectEnergy = Energy(effects[e], 0, effects[e].size());
        EXPECT_GT(Energy(out), 4 * (musicEnergy + 0.5 * effectEnergy)) << "the effect was heard";
    }
}

TEST_F(SoundLevels, AnyTwoEffectsOverTheMusicsLoudestMomentStayBelowMinusOneDecibel) {
    const int limit = static_cast<int>(32768 * std::pow(10.0, -1.0 / 20));
    int loudest = 0;
    for (std::size_t a = 0; a < effects.size(); ++a)
        for (std::size_t b = a + 1; b < effects.size(); ++b) {
            SCOPED_TRACE("waves " + std::to_string(kEffects[a]) + " and " + std::to_string(kEffects[b]));
            const int peak = Peak(MixAtTheMusicsPeak({a, b}));
            EXPECT_LT(peak, limit);
            loudest = std::max(loudest, peak);
        }
    RecordProperty("loudest_pair_dbfs", std::to_string(Decibels(loudest)));
}

TEST_F(SoundLevels, EffectsShareOneLoudnessAndTheInterludeMatchesTheMusic) {
    double quietest = 0, loudest = -200;
    for (std::size_t e = 0; e < effects.size(); ++e) {
        const double loudness = LoudestMoment(effects[e]);
        quietest = std::min(quietest, loudness);
        loudest = std::max(loudest, loudness);
    }
    EXPECT_LT(loudest - quietest, 1.0) << "effects within a decibel of each other";

    const Samples interlude = Wave(kInterlude);
    ASSERT_FALSE(interlude.empty());
    const double interludeLoudness = Decibels(Rms(interlude, 0, interlude.size()));
    const double musicLoudness = Decibels(Rms(music, 0, music.size()));
    EXPECT_NEAR(interludeLoudness, musicLoudness, 1.0);
}

}  // namespace
