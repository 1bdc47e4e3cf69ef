// IDirectSoundNotify of a secondary buffer: its own reference count, and a
// reference on the buffer it belongs to.
#include "dsound_objects.h"

namespace layer {

SoundNotify::SoundNotify(SoundBuffer* owner) : buffer(owner) { buffer->AddRef(); }

SoundNotify::~SoundNotify() = default;

HRESULT SoundNotify::QueryInterface(REFIID riid, void** object) {
    // One object to COM: its IUnknown is the buffer's.
    if (object && (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer)) return buffer->QueryInterface(riid, object);
    return Query(riid, object);
}

// To the caller the notification interface is part of the buffer, so its
// last Release reports what is left of the buffer.
ULONG SoundNotify::Release() {
    const ULONG left = --references;
    if (left > 0) return left;
    SoundBuffer* owner = buffer;
    delete this;
    return owner->Release();
}

HRESULT SoundNotify::SetNotificationPositions(DWORD count, LPCDSBPOSITIONNOTIFY notifies) {
    return buffer->SetNotifications(count, notifies);
}

}  // namespace layer
