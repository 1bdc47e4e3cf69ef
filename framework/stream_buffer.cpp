#include "stream_buffer.h"

#include <cstring>
#include <vector>

StreamBufferHandler::StreamBufferHandler(IDirectSound* directSound, char* fileName, unsigned long bufferBytes,
                                         int segmentCount, void* segmentEvent, void* stopEvent)
    : BufferHandler(directSound, fileName), bufferBytes(static_cast<DWORD>(bufferBytes)),
      segmentCount(segmentCount), segmentBytes(0), writeOffset(0) {
    if (valid) valid = CreateBuffer(segmentEvent, stopEvent);
}

bool StreamBufferHandler::CreateBuffer(void* segmentEvent, void* stopEvent) {
    if (segmentCount < 1 || format->nBlockAlign == 0) return false;

    // Segments hold whole sample frames; the buffer is exactly the segments,
    // so no odd tail outside every segment is ever played.
    segmentBytes = static_cast<LONG>(bufferBytes) / segmentCount;
    segmentBytes = segmentBytes - (segmentBytes % format->nBlockAlign);
    if (segmentBytes <= 0) return false;
    bufferBytes = static_cast<DWORD>(segmentCount * segmentBytes);

    DSBUFFERDESC description;
    std::memset(&description, 0, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_CTRLPOSITIONNOTIFY;
    description.dwBufferBytes = bufferBytes;
    description.lpwfxFormat = format;
    if (FAILED(directSound->CreateSoundBuffer(&description, &buffer, nullptr)) || !buffer) {
        buffer = nullptr;
        return false;
    }

    IDirectSoundNotify* notify = nullptr;
    if (FAILED(buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify))) || !notify) {
        DiscardBuffer();
        return false;
    }

    std::vector<DSBPOSITIONNOTIFY> positions(static_cast<size_t>(segmentCount) + 1);
    for (int i = 0; i < segmentCount; ++i) {
        positions[i].dwOffset = static_cast<DWORD>((i + 1) * segmentBytes - 1);
        positions[i].hEventNotify = segmentEvent;
    }
    positions[segmentCount].dwOffset = DSBPN_OFFSETSTOP;
    positions[segmentCount].hEventNotify = stopEvent;
    const HRESULT notifyResult = notify->SetNotificationPositions(static_cast<DWORD>(positions.size()),
                                                                  positions.data());
    // The positions stay with the buffer; the interface itself is not kept.
    notify->Release();
    if (FAILED(notifyResult)) {
        DiscardBuffer();
        return false;
    }

    void* region = nullptr;
    DWORD regionBytes = 0;
    if (FAILED(buffer->Lock(0, bufferBytes, &region, &regionBytes, nullptr, nullptr, 0))) {
        DiscardBuffer();
        return false;
    }
    const long got = WriteToBuffer(region, static_cast<long>(bufferBytes));
    buffer->Unlock(region, regionBytes, nullptr, 0);
    if (got < static_cast<long>(bufferBytes)) {
        DiscardBuffer();
        return false;
    }
    return true;
}

bool StreamBufferHandler::WriteNext() {
    if (!GetBuffer()) return false;

    // A signal that is not the end of a segment (the stop notification shares
    // the event) would otherwise refill the very segment being played and
    // put every later refill one segment out of step.
    DWORD playCursor = 0;
    if (SUCCEEDED(buffer->GetCurrentPosition(&playCursor, nullptr)) &&
        playCursor >= static_cast<DWORD>(writeOffset) &&
        playCursor < static_cast<DWORD>(writeOffset + segmentBytes))
        return true;

    void* region = nullptr;
    DWORD regionBytes = 0;
    if (FAILED(buffer->Lock(static_cast<DWORD>(writeOffset), static_cast<DWORD>(segmentBytes), &region,
                            &regionBytes, nullptr, nullptr, 0)))
        return false;

    const long wanted = static_cast<long>(regionBytes);
    const long got = WriteToBuffer(region, wanted);
    if (got < wanted) {
        // End of file: the loop goes on seamlessly from the first sample byte.
        FileReset();
        WriteToBuffer(static_cast<char*>(region) + got, wanted - got);
    }
    buffer->Unlock(region, regionBytes, nullptr, 0);
    writeOffset = (writeOffset + segmentBytes) % static_cast<LONG>(bufferBytes);
    return true;
}
