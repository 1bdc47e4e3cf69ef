// Arbitrary bytes as a "WAVE" resource of the executable: the framework's
// reader opens them as a memory file, parses them, fills a static buffer and
// the mixer plays a little of it; the chunk navigation is walked on its own
// as well. Nothing may read outside the bytes, hang, or allocate beyond what
// the bytes justify.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include "seam/audio.h"
#include "sound_buffers.h"
#include "winlayer_resources.h"

namespace {

constexpr int kResourceId = 77;

IDirectSound* Device() {
    static IDirectSound* device = [] {
        seam::UseManualAudio(44100, 2);
        return StartDirectSoundPriorityMode(reinterpret_cast<HWND>(0x10), 22050, 16, 1);
    }();
    return device;
}

// Every chunk, and every chunk inside a RIFF or LIST, down a few levels.
void Walk(HMMIO file, const MMCKINFO* parent, int depth) {
    MMCKINFO chunk;
    for (int count = 0; count < 64; ++count) {
        std::memset(&chunk, 0, sizeof(chunk));
        if (mmioDescend(file, &chunk, parent, 0) != MMSYSERR_NOERROR) return;
        char probe[32];
        mmioRead(file, probe, sizeof(probe));
        if (depth < 3 && (chunk.ckid == FOURCC_RIFF || chunk.ckid == FOURCC_LIST)) {
            mmioSeek(file, static_cast<LONG>(chunk.dwDataOffset + 4), SEEK_SET);
            Walk(file, &chunk, depth + 1);
        }
        if (mmioAscend(file, &chunk, 0) != MMSYSERR_NOERROR) return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The resource keeps its own copy exactly as long as the input, so any
    // read past the end is caught.
    static std::vector<unsigned char> copy;
    copy.assign(data, data + size);
    copy.shrink_to_fit();
    static layer::ResourceEntry entry;
    entry = {"WAVE", 0, nullptr, kResourceId, copy.data(), copy.size()};
    layer::RegisterResources(&entry, 1);

    IDirectSound* ds = Device();
    if (IDirectSoundBuffer* buffer = LoadWavToBuffer(ds, kResourceId)) {
        buffer->Play(0, 0, DSBPLAY_LOOPING);
        short out[2 * 256];
        seam::RenderAudio(out, 256);
        buffer->Stop();
        buffer->Release();
    }

    MMIOINFO info;
    std::memset(&info, 0, sizeof(info));
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = reinterpret_cast<HPSTR>(copy.data());
    info.cchBuffer = static_cast<LONG>(copy.size());
    if (HMMIO file = mmioOpenA(nullptr, &info, MMIO_READWRITE)) {
        Walk(file, nullptr, 0);
        mmioClose(file, 0);
    }
    return 0;
}
