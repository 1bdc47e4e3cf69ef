// A small program that plays sound the way the game does: a WAVE resource of
// the executable once, then a music file streamed in a loop, refilled on its
// notification event, stopped for a moment and started again half-way. Run
// with an audio driver that records what the device was given (CTest runs it
// with the disk driver), it then reads that recording back and checks that it
// holds the resource's samples and, after them, the music's samples looped
// without a gap, a skip or a repeat. Exit code 0 when it does.
//
//   stream_demo <music file> <seconds of music> <recording> <wave resource id>
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "sound_buffers.h"
#include "stream_buffer.h"

namespace {

using Samples = std::vector<std::int16_t>;

// The 16-bit mono samples of a wave, through the framework's own reader.
Samples ReadSamples(BufferHandler& reader, long bytes) {
    std::vector<char> raw(static_cast<size_t>(bytes));
    reader.FileReset();
    raw.resize(static_cast<size_t>(reader.WriteToBuffer(raw.data(), bytes)));
    Samples out(raw.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::int16_t>((raw[2 * i] & 0xFF) | (raw[2 * i + 1] << 8));
    return out;
}

bool Fail(const char* what) {
    std::fprintf(stderr, "stream_demo: %s\n", what);
    return false;
}

// The device runs at twice the sounds' rate: its even frames are exactly
// the source samples, its odd ones interpolated between them.
bool Check(const char* recording, const Samples& effect, const Samples& music, size_t musicExpected) {
    std::ifstream in(recording, std::ios::binary);
    std::vector<char> raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::int16_t> frames(raw.size() / 4);  // the left channel
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i] = static_cast<std::int16_t>((raw[4 * i] & 0xFF) | (raw[4 * i + 1] << 8));
    std::printf("recording: %zu frames (%.1f s at 44100 Hz)\n", frames.size(), frames.size() / 44100.0);

    size_t at = 0;
    while (at < frames.size() && frames[at] == 0) ++at;
    if (at % 2) return Fail("the sound does not start on an even frame");
    for (size_t i = 0; i < effect.size(); ++i, at += 2)
        if (at >= frames.size() || frames[at] != effect[i]) return Fail("the wave resource was not played intact");
    std::printf("wave resource: %zu samples intact\n", effect.size());

    // Then the music from its first sample, looped; silence is allowed only
    // where play was stopped, and play must go on exactly where it stood.
    while (at < frames.size() && frames[at] == 0) at += 2;
    size_t index = 0, checked = 0, gaps = 0, laps = 0;
    while (at < frames.size() && checked < musicExpected) {
        if (frames[at] == music[index % music.size()]) {
            at += 2;
            ++checked;
            if (++index % music.size() == 0) ++laps;
            continue;
        }
        // A gap: the stop. Silence, then the very next sample.
        size_t resume = at;
        while (resume < frames.size() && frames[resume] == 0) resume += 2;
        if (resume == at) {
            std::fprintf(stderr, "glitch at frame %zu (%.3f s): %d where %d was due\n", at, at / 44100.0, frames[at],
                         music[index % music.size()]);
            return false;
        }
        if (resume >= frames.size()) break;
        ++gaps;
        std::printf("silence of %.3f s at %.3f s\n", (resume - at) / 44100.0, at / 44100.0);
        at = resume;
    }
    std::printf("music: %zu samples (%.1f s, %zu laps of the file) intact, %zu stop(s)\n", checked,
                checked / 22050.0, laps, gaps);
    if (checked < musicExpected) return Fail("the recording ends before the music does");
    if (gaps != 1) return Fail("expected exactly one stop");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: stream_demo <music file> <seconds> <recording> <wave resource id>\n");
        return 2;
    }
    char* musicFile = argv[1];
    const double seconds = std::atof(argv[2]);
    const int effectId = std::atoi(argv[4]);

    IDirectSound* ds = StartDirectSoundPriorityMode(reinterpret_cast<HWND>(0x10), 22050, 16, 1);
    if (!ds) return Fail("no DirectSound"), 1;

    // The reference samples, read with the same reader.
    BufferHandler effectReader(ds, effectId);
    BufferHandler musicReader(ds, musicFile);
    const Samples effect = ReadSamples(effectReader, 1 << 24);
    const Samples music = ReadSamples(musicReader, 1 << 26);
    if (effect.empty() || music.empty()) return Fail("cannot read the sounds"), 1;

    IDirectSoundBuffer* sound = LoadWavToBuffer(ds, effectId);
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    auto* stream = new StreamBufferHandler(ds, musicFile, 40000, 5, event, event);
    IDirectSoundBuffer* musicBuffer = stream->GetBuffer();
    if (!sound || !musicBuffer) return Fail("cannot make the buffers"), 1;

    sound->Play(0, 0, 0);
    DWORD status = DSBSTATUS_PLAYING;
    while (status & DSBSTATUS_PLAYING) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sound->GetStatus(&status);
    }

    // Each refill is one segment of 4000 samples.
    const long refillsWanted = static_cast<long>(seconds * 22050 / 4000) + 1;
    long refills = 0;
    bool stopped = false;
    musicBuffer->Play(0, 0, DSBPLAY_LOOPING);
    while (refills < refillsWanted) {
        if (WaitForSingleObject(event, 100) == WAIT_OBJECT_0) {
            stream->WriteNext();
            ++refills;
        }
        if (!stopped && refills == refillsWanted / 2) {
            // As at a round's caption: stopped, not pumped, started again.
            musicBuffer->Stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            musicBuffer->Play(0, 0, DSBPLAY_LOOPING);
            stopped = true;
        }
    }
    musicBuffer->Stop();
    std::printf("refills: %ld\n", refills);

    delete stream;
    musicBuffer->Release();
    sound->Release();
    CloseHandle(event);
    ds->Release();  // closes the device: the recording is complete

    // Every refill answered a segment that had been played, except the one
    // call after the restart that found play still inside its segment; a
    // segment's worth more is allowed for the stop's timing.
    const size_t musicExpected = static_cast<size_t>(refills - 2) * 4000;
    if (!Check(argv[3], effect, music, musicExpected)) return 1;
    std::remove(argv[3]);  // kept only when it shows a fault
    return 0;
}
