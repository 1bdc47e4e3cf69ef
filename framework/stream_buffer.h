// A long wave file played from disk through a small looping buffer cut into
// equal segments. DirectSound sets `segmentEvent` as play leaves each segment;
// the owner answers each signal with one WriteNext, which refills the segment
// just played with the next bytes of the file, wrapping to the first sample
// byte at the end of the file.
#pragma once

#include "sound_buffers.h"

class StreamBufferHandler : public BufferHandler {
public:
    StreamBufferHandler(IDirectSound* directSound, char* fileName, unsigned long bufferBytes, int segmentCount,
                        void* segmentEvent, void* stopEvent);

    bool CreateBuffer(void* segmentEvent, void* stopEvent);
    // Refills one segment; false when the buffer could not be locked.
    bool WriteNext();

protected:
    DWORD bufferBytes;
    int segmentCount;
    LONG segmentBytes;
    LONG writeOffset;
};
