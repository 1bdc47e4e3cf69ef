// The wave reader and static buffers: which layouts are taken, what lands in
// the buffer, what a failure leaves behind, and the reader's trace lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "diagnostics.h"
#include "fake_sound.h"
#include "seam/audio.h"
#include "sound_buffers.h"
#include "temp_wave.h"

using riff::Bytes;

namespace {

Bytes Pcm16() { return riff::Format(1, 1, 22050, 16); }

// Captures the diagnostic stream for the life of the object.
class TraceCapture {
public:
    TraceCapture() : stream(DiagnosticStream()), oldState(stream.rdstate()), old(stream.rdbuf(text.rdbuf())) {}
    ~TraceCapture() {
        stream.rdbuf(old);
        stream.clear(oldState);
    }
    std::string Text() const { return text.str(); }

private:
    std::ostream& stream;
    std::ios::iostate oldState;
    std::stringstream text;
    std::streambuf* old;
};

TEST(WaveReader, AcceptsOnlyTheWaveLayoutItKnows) {
    const Bytes samples = riff::Counting(40, 1);
    Bytes oddRates = riff::Format(1, 2, 11025, 8);
    oddRates[8] = 0x39;  // average bytes per second, as stored: 0x5639 (nonsense)
    oddRates[9] = 0x56;
    oddRates[10] = oddRates[11] = 0;
    struct Case {
        const char* what;
        Bytes file;
        bool accepted;
    };
    const Case cases[] = {
        {"fmt then data", riff::Riff("WAVE", {riff::Chunk("fmt ", Pcm16()), riff::Chunk("data", samples)}), true},
        {"data before fmt", riff::Riff("WAVE", {riff::Chunk("data", samples), riff::Chunk("fmt ", Pcm16())}), true},
        {"other chunks around",
         riff::Riff("WAVE", {riff::Chunk("LIST", riff::Counting(3)), riff::Chunk("fmt ", Pcm16()),
                             riff::Chunk("fact", riff::Counting(4)), riff::Chunk("data", samples),
                             riff::Chunk("LIST", riff::Counting(6))}),
         true},
        {"stored rates kept", riff::Riff("WAVE", {riff::Chunk("fmt ", oddRates), riff::Chunk("data", samples)}), true},
        {"18-byte fmt", riff::Riff("WAVE", {riff::Chunk("fmt ", riff::Format(1, 1, 22050, 16, true)), riff::Chunk("data", samples)}), false},
        {"format tag 2", riff::Riff("WAVE", {riff::Chunk("fmt ", riff::Format(2, 1, 22050, 16)), riff::Chunk("data", samples)}), false},
        {"data shorter than its size",
         riff::Riff("WAVE", {riff::Chunk("fmt ", Pcm16()), riff::Chunk("data", samples, 41, false)}), false},
        {"data size beyond all reason",
         riff::Riff("WAVE", {riff::Chunk("fmt ", Pcm16()), riff::Chunk("data", samples, 0x0FFFFFF0)}), false},
        {"no data", riff::Riff("WAVE", {riff::Chunk("fmt ", Pcm16())}), false},
        {"no fmt", riff::Riff("WAVE", {riff::Chunk("data", samples)}), false},
        {"not WAVE", riff::Riff("AVI ", {riff::Chunk("fmt ", Pcm16()), riff::Chunk("data", samples)}), false},
        {"fmt cut short", Bytes{'R', 'I', 'F', 'F', 24, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0}, false},
        {"empty file", Bytes{}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempWave file(c.file);
        fake::Device device;
        IDirectSoundBuffer* buffer = LoadWavToBuffer(&device, file.Name());
        ASSERT_EQ(buffer != nullptr, c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(device.record.buffersAlive, 0) << "a refused sound leaves no buffer";
            continue;
        }
        ASSERT_EQ(device.record.descriptions.size(), 1u);
        const DSBUFFERDESC& desc = device.record.descriptions[0];
        EXPECT_EQ(desc.dwSize, sizeof(DSBUFFERDESC));
        EXPECT_EQ(desc.dwFlags, DWORD(DSBCAPS_STATIC));
        EXPECT_EQ(desc.dwBufferBytes, samples.size());
        EXPECT_EQ(device.last->data, samples);
        EXPECT_EQ(device.record.locked, 0) << "unlocked";
        const WAVEFORMATEX& f = device.record.formats[0];
        EXPECT_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(f.cbSize, 0);
        if (std::string(c.what) == "stored rates kept") {
            EXPECT_EQ(f.nChannels, 2);
            EXPECT_EQ(f.nSamplesPerSec, 11025u);
            EXPECT_EQ(f.nAvgBytesPerSec, 0x5639u);
            EXPECT_EQ(f.nBlockAlign, 2);
            EXPECT_EQ(f.wBitsPerSample, 8);
        }
        EXPECT_EQ(buffer->Release(), 0u);
    }
    char missing[] = "no-such-file.wav";
    fake::Device device;
    EXPECT_EQ(LoadWavToBuffer(&device, missing), nullptr);
}

TEST(WaveReader, AFailedLockOrBufferLeavesNothingBehind) {
    TempWave file(riff::Riff("WAVE", {riff::Chunk("fmt ", Pcm16()), riff::Chunk("data", riff::Counting(8))}));
    fake::Device device;
    device.record.failLock = true;
    EXPECT_EQ(LoadWavToBuffer(&device, file.Name()), nullptr);
    EXPECT_EQ(device.record.locks.size(), 1u);
    EXPECT_EQ(device.record.buffersAlive, 0) << "the made buffer is released again";

    device.record.failLock = false;
    device.record.failCreate = true;
    EXPECT_EQ(LoadWavToBuffer(&device, file.Name()), nullptr);
    EXPECT_EQ(device.record.buffersAlive, 0);
}

TEST(WaveReader, ReadsOnPastTheDataChunkRewindsAndTracesEveryCopy) {
    const Bytes samples = riff::Counting(20000, 3);  // several I/O buffers' worth
    const Bytes trailer = riff::Chunk("LIST", riff::Counting(6, 200));
    TempWave file(riff::Riff("WAVE", {riff::Chunk("fmt ", Pcm16()), riff::Chunk("data", samples), trailer}));
    fake::Device device;
    BufferHandler reader(&device, file.Name());
    EXPECT_EQ(reader.GetBuffer(), nullptr) << "a plain reader makes no buffer";

    TraceCapture trace;
    Bytes got(30000, 0);
    const long copied = reader.WriteToBuffer(got.data(), 30000);
    // The chunk after "data" arrives as if it were samples.
    ASSERT_EQ(copied, static_cast<long>(samples.size() + trailer.size()));
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), got.begin()));
    EXPECT_TRUE(std::equal(trailer.begin(), trailer.end(), got.begin() + samples.size()));
    EXPECT_EQ(trace.Text(), "In WriteToBuffer:\n  Starting data read\n  Wrote 20014 bytes\nFinished WriteToBuffer\n");
    EXPECT_EQ(reader.WriteToBuffer(got.data(), 10), 0) << "the file stays at its end";
    EXPECT_EQ(reader.WriteToBuffer(got.data(), 0), 0);
    EXPECT_EQ(reader.WriteToBuffer(got.data(), -5), 0);

    reader.FileReset();
    Bytes again(5, 0);
    EXPECT_EQ(reader.WriteToBuffer(again.data(), 5), 5);
    EXPECT_EQ(again, Bytes(samples.begin(), samples.begin() + 5));
}

TEST(WaveReader, ResourceFormReadsWaveResourcesOfTheExecutableOnly) {
    std::ifstream in(std::string(FIXTURE_DIR) + "/tone.wav", std::ios::binary);
    const Bytes tone{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(tone.size(), 44u + 128);
    fake::Device device;
    IDirectSoundBuffer* buffer = LoadWavToBuffer(&device, 30);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(device.last->data, Bytes(tone.begin() + 44, tone.end()));
    buffer->Release();

    EXPECT_EQ(LoadWavToBuffer(&device, 31), nullptr) << "the same bytes under another type";
    EXPECT_EQ(LoadWavToBuffer(&device, 32), nullptr) << "no such resource";
    EXPECT_EQ(device.record.buffersAlive, 0);
}

TEST(WaveReader, StaticBufferPlaysThroughTheLayer) {
    seam::UseManualAudio(22050, 1);
    IDirectSound* ds = StartDirectSoundPriorityMode(reinterpret_cast<HWND>(0x10), 22050, 16, 1);
    ASSERT_NE(ds, nullptr);
    IDirectSoundBuffer* tone = LoadWavToBuffer(ds, 30);
    ASSERT_NE(tone, nullptr);
    ASSERT_EQ(tone->Play(0, 0, 0), DS_OK);
    short out[70];
    seam::RenderAudio(out, 70);
    std::ifstream in(std::string(FIXTURE_DIR) + "/tone.wav", std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (int i = 0; i < 64; ++i) EXPECT_EQ(out[i], static_cast<short>(file[44 + 2 * i] | (file[45 + 2 * i] << 8))) << i;
    for (int i = 64; i < 70; ++i) EXPECT_EQ(out[i], 0);
    tone->Release();
    EXPECT_EQ(ds->Release(), 0u);

    EXPECT_EQ(StartDirectSoundPriorityMode(nullptr, 22050, 16, 1), nullptr) << "no window, no priority mode";
    EXPECT_EQ(StartDirectSoundPriorityMode(reinterpret_cast<HWND>(0x10), 22050, 12, 1), nullptr);
    seam::UseManualAudio(0, 0);
}

}  // namespace
