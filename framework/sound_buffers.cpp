#include "sound_buffers.h"

#include <cstring>
#include <ostream>

#include "diagnostics.h"

namespace {

const FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
const FOURCC kFormat = mmioFOURCC('f', 'm', 't', ' ');
const FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

// The "fmt " chunk as stored in the file, little-endian.
WORD ReadWord(const unsigned char* bytes) { return static_cast<WORD>(bytes[0] | (bytes[1] << 8)); }
DWORD ReadDword(const unsigned char* bytes) {
    return static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) |
           (static_cast<DWORD>(bytes[2]) << 16) | (static_cast<DWORD>(bytes[3]) << 24);
}

}  // namespace

IDirectSound* StartDirectSoundPriorityMode(HWND window, int sampleRate, int bitsPerSample, int channels) {
    IDirectSound* device = nullptr;
    if (FAILED(DirectSoundCreate(nullptr, &device, nullptr)) || !device) return nullptr;
    if (FAILED(device->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
        device->Release();
        return nullptr;
    }

    DSBUFFERDESC description;
    std::memset(&description, 0, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    if (FAILED(device->CreateSoundBuffer(&description, &primary, nullptr)) || !primary) {
        device->Release();
        return nullptr;
    }

    WAVEFORMATEX primaryFormat;
    std::memset(&primaryFormat, 0, sizeof(primaryFormat));
    primaryFormat.wFormatTag = WAVE_FORMAT_PCM;
    primaryFormat.nChannels = static_cast<WORD>(channels);
    primaryFormat.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    primaryFormat.wBitsPerSample = static_cast<WORD>(bitsPerSample);
    primaryFormat.nBlockAlign = static_cast<WORD>((bitsPerSample * channels) / 8);
    primaryFormat.nAvgBytesPerSec = primaryFormat.nSamplesPerSec * primaryFormat.nBlockAlign;
    primaryFormat.cbSize = 0;
    const HRESULT formatResult = primary->SetFormat(&primaryFormat);
    primary->Release();
    if (FAILED(formatResult)) {
        device->Release();
        return nullptr;
    }
    return device;
}

BufferHandler::BufferHandler(IDirectSound* directSound, char* fileName)
    : directSound(directSound), format(new WAVEFORMATEX), buffer(nullptr), valid(false), dataSize(0),
      file(nullptr) {
    std::memset(&riffChunk, 0, sizeof(riffChunk));
    std::memset(&dataChunk, 0, sizeof(dataChunk));
    file = mmioOpenA(fileName, nullptr, MMIO_ALLOCBUF | MMIO_READ);
    valid = file != nullptr;
    if (valid) valid = LoadWavHeader();
}

BufferHandler::BufferHandler(IDirectSound* directSound, int resourceId)
    : directSound(directSound), format(new WAVEFORMATEX), buffer(nullptr), valid(true), dataSize(0),
      file(nullptr) {
    std::memset(&riffChunk, 0, sizeof(riffChunk));
    std::memset(&dataChunk, 0, sizeof(dataChunk));

    // The executable's resources, not this library's.
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "WAVE");
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    void* data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = resource ? SizeofResource(module, resource) : 0;
    if (!resource || !loaded || !data || size == 0) valid = false;

    if (valid) {
        MMIOINFO memoryFile;
        std::memset(&memoryFile, 0, sizeof(memoryFile));
        memoryFile.fccIOProc = FOURCC_MEM;
        memoryFile.pchBuffer = static_cast<HPSTR>(data);
        memoryFile.cchBuffer = static_cast<LONG>(size);
        // Read/write is what a memory file over caller-owned memory asks
        // for; the resource itself is only ever read.
        file = mmioOpenA(nullptr, &memoryFile, MMIO_READWRITE);
        if (!file) valid = false;
    }
    if (valid) valid = LoadWavHeader();
}

BufferHandler::~BufferHandler() {
    delete format;
    if (file) mmioClose(file, 0);
}

bool BufferHandler::LoadWavHeader() {
    if (mmioDescend(file, &riffChunk, nullptr, 0) != MMSYSERR_NOERROR) return false;
    if (riffChunk.ckid != FOURCC_RIFF || riffChunk.fccType != kWave) return false;

    MMCKINFO formatChunk;
    std::memset(&formatChunk, 0, sizeof(formatChunk));
    formatChunk.ckid = kFormat;
    if (mmioDescend(file, &formatChunk, &riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
    if (formatChunk.cksize != 16) return false;

    unsigned char stored[16];
    if (mmioRead(file, reinterpret_cast<HPSTR>(stored), 16) != 16) return false;
    if (ReadWord(stored) != WAVE_FORMAT_PCM) return false;

    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = ReadWord(stored + 2);
    format->nSamplesPerSec = ReadDword(stored + 4);
    format->nAvgBytesPerSec = ReadDword(stored + 8);
    format->nBlockAlign = ReadWord(stored + 12);
    format->wBitsPerSample = ReadWord(stored + 14);
    format->cbSize = 0;

    if (mmioAscend(file, &formatChunk, 0) != MMSYSERR_NOERROR) return false;

    // "data" may come before "fmt ": search again from the first sub-chunk.
    mmioSeek(file, static_cast<LONG>(riffChunk.dwDataOffset + 4), SEEK_SET);
    dataChunk.ckid = kData;
    if (mmioDescend(file, &dataChunk, &riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
    dataSize = dataChunk.cksize;
    return true;
}

void BufferHandler::FileReset() {
    mmioSeek(file, static_cast<LONG>(riffChunk.dwDataOffset + 4), SEEK_SET);
    dataChunk.ckid = kData;
    mmioDescend(file, &dataChunk, &riffChunk, MMIO_FINDCHUNK);
}

long BufferHandler::WriteToBuffer(void* destination, long count) {
    std::ostream& trace = DiagnosticStream();
    trace << "In WriteToBuffer:" << std::endl;

    MMIOINFO io;
    if (mmioGetInfo(file, &io, 0) != MMSYSERR_NOERROR) return 0;
    trace << "  Starting data read" << std::endl;

    char* out = static_cast<char*>(destination);
    long copied = 0;
    while (copied < count) {
        if (io.pchNext == io.pchEndRead) {
            if (mmioAdvance(file, &io, MMIO_READ) != MMSYSERR_NOERROR) break;
            if (io.pchNext == io.pchEndRead) break;  // end of file
        }
        long run = static_cast<long>(io.pchEndRead - io.pchNext);
        if (run > count - copied) run = count - copied;
        std::memcpy(out + copied, io.pchNext, static_cast<size_t>(run));
        io.pchNext += run;
        copied += run;
    }

    trace << "  Wrote " << copied << " bytes" << std::endl;
    mmioSetInfo(file, &io, 0);
    trace << "Finished WriteToBuffer" << std::endl;
    return copied;
}

IDirectSoundBuffer* BufferHandler::GetBuffer() { return valid ? buffer : nullptr; }

void BufferHandler::DiscardBuffer() {
    if (buffer) buffer->Release();
    buffer = nullptr;
}

StaticBufferHandler::StaticBufferHandler(IDirectSound* directSound, char* fileName)
    : BufferHandler(directSound, fileName) {
    if (valid) valid = CreateBuffer();
}

StaticBufferHandler::StaticBufferHandler(IDirectSound* directSound, int resourceId)
    : BufferHandler(directSound, resourceId) {
    if (valid) valid = CreateBuffer();
}

bool StaticBufferHandler::CreateBuffer() {
    // A size field that promises more than the file holds is refused before a
    // buffer of that size is made.
    const LONG here = mmioSeek(file, 0, SEEK_CUR);
    const LONG end = mmioSeek(file, 0, SEEK_END);
    if (here < 0 || end < here || mmioSeek(file, here, SEEK_SET) != here) return false;
    if (static_cast<DWORD>(end - here) < dataSize) return false;

    DSBUFFERDESC description;
    std::memset(&description, 0, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DSBCAPS_STATIC;
    description.dwBufferBytes = dataSize;
    description.lpwfxFormat = format;
    if (FAILED(directSound->CreateSoundBuffer(&description, &buffer, nullptr)) || !buffer) {
        buffer = nullptr;
        return false;
    }

    void* region = nullptr;
    DWORD regionBytes = 0;
    if (FAILED(buffer->Lock(0, dataSize, &region, &regionBytes, nullptr, nullptr, 0))) {
        DiscardBuffer();
        return false;
    }
    const long got = WriteToBuffer(region, static_cast<long>(dataSize));
    // A short sound is unlocked and dropped rather than left locked and
    // owned by nobody.
    buffer->Unlock(region, dataSize, nullptr, 0);
    if (got < static_cast<long>(dataSize)) {
        DiscardBuffer();
        return false;
    }
    return true;
}

IDirectSoundBuffer* LoadWavToBuffer(IDirectSound* directSound, char* fileName) {
    StaticBufferHandler handler(directSound, fileName);
    return handler.GetBuffer();
}

IDirectSoundBuffer* LoadWavToBuffer(IDirectSound* directSound, int resourceId) {
    StaticBufferHandler handler(directSound, resourceId);
    return handler.GetBuffer();
}
