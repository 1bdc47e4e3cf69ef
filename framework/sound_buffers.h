// RIFF WAVE reading and the static DirectSound buffers made from it. A wave is
// read from a disk file or from a "WAVE" resource of the running executable
// (never of this library); its samples are copied into DirectSound buffers.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

// The device in priority mode with its primary buffer set to the given PCM
// format, or null. The caller owns the device.
IDirectSound* StartDirectSoundPriorityMode(HWND window, int sampleRate, int bitsPerSample, int channels);

// The wave reader: owns the open file and the parsed format. Accepts RIFF WAVE
// data with a 16-byte PCM "fmt " chunk and a "data" chunk, in either order.
class BufferHandler {
public:
    BufferHandler(IDirectSound* directSound, char* fileName);
    BufferHandler(IDirectSound* directSound, int resourceId);
    ~BufferHandler();
    BufferHandler(const BufferHandler&) = delete;
    BufferHandler& operator=(const BufferHandler&) = delete;

    // Leaves the file at the first sample byte.
    bool LoadWavHeader();
    // Back to the first sample byte.
    void FileReset();
    // Copies up to `count` sample bytes from the current position, running on
    // past the "data" chunk to the end of the file; returns how many arrived.
    long WriteToBuffer(void* destination, long count);
    // The buffer a derived handler made, or null when any step failed.
    IDirectSoundBuffer* GetBuffer();

protected:
    IDirectSound* directSound;
    WAVEFORMATEX* format;
    IDirectSoundBuffer* buffer;
    bool valid;
    DWORD dataSize;
    HMMIO file;
    MMCKINFO riffChunk;
    MMCKINFO dataChunk;

    // Drops a buffer that could not be filled, so a failed load leaks nothing.
    void DiscardBuffer();
};

// A static buffer holding the whole sound.
class StaticBufferHandler : public BufferHandler {
public:
    StaticBufferHandler(IDirectSound* directSound, char* fileName);
    StaticBufferHandler(IDirectSound* directSound, int resourceId);

    bool CreateBuffer();
};

// A static buffer with the whole sound, owned by the caller, or null.
IDirectSoundBuffer* LoadWavToBuffer(IDirectSound* directSound, char* fileName);
IDirectSoundBuffer* LoadWavToBuffer(IDirectSound* directSound, int resourceId);
