// The streaming buffer: its segment arithmetic and notification table, the
// order of its refills, the wrap at the end of the file, and minutes of
// looping through the layer's mixer with the refills driven by the events.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fake_sound.h"
#include "seam/audio.h"
#include "stream_buffer.h"
#include "temp_wave.h"

using riff::Bytes;

namespace {

HANDLE const kSegmentEvent = reinterpret_cast<HANDLE>(0x51);
HANDLE const kStopEvent = reinterpret_cast<HANDLE>(0x52);

Bytes Wave(const Bytes& format, const Bytes& samples, const Bytes& after = {}) {
    std::vector<Bytes> chunks = {riff::Chunk("fmt ", format), riff::Chunk("data", samples)};
    if (!after.empty()) chunks.push_back(after);
    return riff::Riff("WAVE", chunks);
}

// Bytes that differ from their neighbours for a long way, so a misplaced
// copy shows.
Bytes Pattern(std::size_t count) {
    Bytes out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
    return out;
}

TEST(StreamBuffer, CutsTheBufferIntoWholeFrameSegmentsAndNotifiesAtEachEnd) {
    struct Case {
        Bytes format;
        unsigned long requested;
    };
    const Case cases[] = {
        {riff::Format(1, 1, 22050, 8), 40000},
        {riff::Format(1, 1, 22050, 16), 40000},
        {riff::Format(1, 2, 44100, 16), 40000},
        {riff::Format(1, 1, 22050, 16), 40001},  // rounded down to whole segments
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "align " << c.format[12] << ", " << c.requested << " bytes");
        TempWave file(Wave(c.format, Pattern(50000)));
        fake::Device device;
        StreamBufferHandler stream(&device, file.Name(), c.requested, 5, kSegmentEvent, kStopEvent);
        IDirectSoundBuffer* buffer = stream.GetBuffer();
        ASSERT_NE(buffer, nullptr);
        ASSERT_EQ(device.record.descriptions.size(), 1u);
        EXPECT_EQ(device.record.descriptions[0].dwFlags, 0x10100u);
        EXPECT_EQ(device.record.descriptions[0].dwBufferBytes, 40000u);
        ASSERT_EQ(device.record.positions.size(), 6u);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(device.record.positions[i].dwOffset, DWORD(8000 * (i + 1) - 1));
            EXPECT_EQ(device.record.positions[i].hEventNotify, kSegmentEvent);
        }
        EXPECT_EQ(device.record.positions[5].dwOffset, DSBPN_OFFSETSTOP);
        EXPECT_EQ(device.record.positions[5].hEventNotify, kStopEvent);
        EXPECT_EQ(device.record.notifiesAlive, 0) << "the notification interface is not kept";

        // Filled with the first 40000 sample bytes; then refilled segment by
        // segment, wrapping at the end of the buffer.
        EXPECT_EQ(device.last->data, Pattern(40000));
        for (DWORD expected : {0u, 8000u, 16000u, 24000u, 32000u, 0u, 8000u}) {
            ASSERT_TRUE(stream.WriteNext());
            EXPECT_EQ(device.record.locks.back().offset, expected);
            EXPECT_EQ(device.record.locks.back().bytes, 8000u);
        }
        EXPECT_EQ(device.record.locked, 0);
        EXPECT_EQ(buffer->Release(), 0u) << "the owner's reference is the only one";
    }
}

TEST(StreamBuffer, RefillAcrossTheEndOfTheFileGoesOnFromTheFirstSampleByte) {
    const Bytes samples = Pattern(43000);
    const Bytes trailer = riff::Chunk("LIST", riff::Counting(6, 100));
    TempWave file(Wave(riff::Format(1, 1, 22050, 16), samples, trailer));
    fake::Device device;
    StreamBufferHandler stream(&device, file.Name(), 40000, 5, kSegmentEvent, kSegmentEvent);
    ASSERT_NE(stream.GetBuffer(), nullptr);

    ASSERT_TRUE(stream.WriteNext());
    const Bytes& data = device.last->data;
    // 3000 sample bytes, the chunk after "data", then the start again.
    Bytes expected(samples.begin() + 40000, samples.end());
    expected.insert(expected.end(), trailer.begin(), trailer.end());
    expected.insert(expected.end(), samples.begin(), samples.begin() + (8000 - expected.size()));
    EXPECT_EQ(Bytes(data.begin(), data.begin() + 8000), expected);

    ASSERT_TRUE(stream.WriteNext());
    EXPECT_EQ(device.record.locks.back().offset, 8000u);
    const std::size_t resumed = 8000 - 3000 - trailer.size();
    EXPECT_EQ(Bytes(data.begin() + 8000, data.begin() + 16000),
              Bytes(samples.begin() + resumed, samples.begin() + resumed + 8000));
    device.last->Release();
}

TEST(StreamBuffer, RefusesShortFilesAndLeavesNothingBehind) {
    struct Case {
        const char* what;
        std::size_t sampleBytes;
        int segments;
        bool failNotify;
    };
    const Case cases[] = {
        {"two bytes short of the buffer", 39998, 5, false},
        {"no segments", 50000, 0, false},
        {"notification refused", 50000, 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempWave file(Wave(riff::Format(1, 1, 22050, 16), Pattern(c.sampleBytes)));
        fake::Device device;
        device.record.failNotify = c.failNotify;
        StreamBufferHandler stream(&device, file.Name(), 40000, c.segments, kSegmentEvent, kStopEvent);
        EXPECT_EQ(stream.GetBuffer(), nullptr);
        EXPECT_EQ(device.record.buffersAlive, 0);
        EXPECT_EQ(device.record.locked, 0);
        EXPECT_FALSE(stream.WriteNext());
    }
    char missing[] = "no-such-music.zk";
    fake::Device device;
    StreamBufferHandler stream(&device, missing, 40000, 5, kSegmentEvent, kStopEvent);
    EXPECT_EQ(stream.GetBuffer(), nullptr);
    EXPECT_TRUE(device.record.descriptions.empty());
}

TEST(StreamBuffer, FailedLockRetriesTheSameSegmentAndThePlayingSegmentIsNeverOverwritten) {
    TempWave file(Wave(riff::Format(1, 1, 22050, 16), Pattern(60000)));
    fake::Device device;
    StreamBufferHandler stream(&device, file.Name(), 40000, 5, kSegmentEvent, kSegmentEvent);
    ASSERT_NE(stream.GetBuffer(), nullptr);
    ASSERT_TRUE(stream.WriteNext());  // segment 0

    device.record.failLock = true;
    EXPECT_FALSE(stream.WriteNext());
    device.record.failLock = false;
    ASSERT_TRUE(stream.WriteNext());
    EXPECT_EQ(device.record.locks.back().offset, 8000u) << "the failed segment again";

    // Play stands inside segment 2 (a stop, not a segment end, set the
    // event): nothing is written, and the segment is refilled once play has
    // left it.
    const std::size_t locks = device.record.locks.size();
    device.record.playCursor = 16000 + 1234;
    EXPECT_TRUE(stream.WriteNext());
    EXPECT_EQ(device.record.locks.size(), locks);
    device.record.playCursor = 24000;
    ASSERT_TRUE(stream.WriteNext());
    EXPECT_EQ(device.record.locks.back().offset, 16000u);
    device.last->Release();
}

// The game's use: one auto-reset event for segments and stop, polled after
// every 20 ms of output, with a stop and restart of the music in between as
// at a round's caption. What is heard must be the file's samples looped
// without a gap, a repeat or a skip.
TEST(StreamBuffer, LoopsAFileForMinutesThroughTheMixerWithoutAGlitch) {
    const int rate = 22050;
    const std::size_t sampleCount = 31111;  // not a multiple of anything nearby
    Bytes samples(sampleCount * 2);
    for (std::size_t i = 0; i < sampleCount; ++i) {
        const std::int16_t v = static_cast<std::int16_t>((i * 2654435761u) >> 17);
        samples[2 * i] = static_cast<std::uint8_t>(v);
        samples[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    TempWave file(Wave(riff::Format(1, 1, rate, 16), samples));

    seam::UseManualAudio(rate, 1);
    IDirectSound* ds = StartDirectSoundPriorityMode(reinterpret_cast<HWND>(0x10), rate, 16, 1);
    ASSERT_NE(ds, nullptr);
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    auto* stream = new StreamBufferHandler(ds, file.Name(), 40000, 5, event, event);
    IDirectSoundBuffer* music = stream->GetBuffer();
    ASSERT_NE(music, nullptr);
    ASSERT_EQ(music->Play(0, 0, DSBPLAY_LOOPING), DS_OK);

    std::vector<short> heard;
    short block[441];
    int refills = 0;
    const auto pump = [&] {
        if (WaitForSingleObject(event, 0) == WAIT_OBJECT_0) {
            ASSERT_TRUE(stream->WriteNext());
            ++refills;
        }
    };
    const int blocksPerMinute = 60 * rate / 441;
    for (int i = 0; i < 3 * blocksPerMinute; ++i) {
        seam::RenderAudio(block, 441);
        heard.insert(heard.end(), block, block + 441);
        pump();
        if (i == blocksPerMinute) {
            // The round caption: the music stops for two seconds unpumped.
            ASSERT_EQ(music->Stop(), DS_OK);
            for (int j = 0; j < 100; ++j) seam::RenderAudio(block, 441);
            ASSERT_EQ(music->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
            pump();
        }
    }
    ASSERT_EQ(heard.size(), std::size_t(3 * blocksPerMinute) * 441);
    for (std::size_t i = 0; i < heard.size(); ++i) {
        const std::size_t s = i % sampleCount;
        const short expected = static_cast<short>(samples[2 * s] | (samples[2 * s + 1] << 8));
        ASSERT_EQ(heard[i], expected) << "sample " << i << " (" << i / double(rate) << " s)";
    }
    // 3 minutes of 4000-frame segments: every segment end was answered.
    EXPECT_NEAR(refills, static_cast<int>(heard.size() / 4000), 1);

    delete stream;
    music->Release();
    CloseHandle(event);
    EXPECT_EQ(ds->Release(), 0u);
    seam::UseManualAudio(0, 0);
}

}  // namespace
