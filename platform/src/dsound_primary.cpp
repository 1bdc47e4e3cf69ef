// The primary buffer. The layer mixes at the audio device's own rate, so the
// primary format is checked and kept for GetFormat but does not change what
// the device receives; the primary buffer's memory is not open to writing.
// There is one per device: every CreateSoundBuffer for it hands out the same
// object, which outlives its references until the device goes.
#include "dsound_objects.h"
#include "layer_log.h"

namespace layer {

PrimaryBuffer::PrimaryBuffer(SoundDevice* owner) : device(owner) {
    references = 0;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 22050;
    format.wBitsPerSample = 8;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = 44100;
}

PrimaryBuffer::~PrimaryBuffer() = default;

ULONG PrimaryBuffer::AddRef() {
    const ULONG count = ++references;
    if (count == 1) device->AddRef();
    return count;
}

ULONG PrimaryBuffer::Release() {
    const ULONG left = --references;
    // The device may go with this, and the primary buffer with it.
    if (left == 0) device->Release();
    return left;
}

HRESULT PrimaryBuffer::GetCaps(LPDSBCAPS caps) {
    if (!caps || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_LOCSOFTWARE;
    caps->dwBufferBytes = format.nAvgBytesPerSec / 10;
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetCurrentPosition(LPDWORD play, LPDWORD write) {
    if (play) *play = 0;
    if (write) *write = 0;
    return Unimplemented("IDirectSoundBuffer::GetCurrentPosition (primary)", DSERR_UNSUPPORTED);
}

HRESULT PrimaryBuffer::GetFormat(LPWAVEFORMATEX out, DWORD sizeAllocated, LPDWORD sizeWritten) {
    return CopyFormat(format, out, sizeAllocated, sizeWritten);
}

// The device's output is never attenuated or panned: SetVolume and SetPan on
// the primary buffer are not offered.
HRESULT PrimaryBuffer::GetVolume(LPLONG volume) {
    if (!volume) return DSERR_INVALIDPARAM;
    *volume = DSBVOLUME_MAX;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetPan(LPLONG pan) {
    if (!pan) return DSERR_INVALIDPARAM;
    *pan = DSBPAN_CENTER;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetFrequency(LPDWORD frequency) {
    return frequency ? DSERR_CONTROLUNAVAIL : DSERR_INVALIDPARAM;
}

HRESULT PrimaryBuffer::GetStatus(LPDWORD status) {
    if (!status) return DSERR_INVALIDPARAM;
    *status = playing ? (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING) : 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) { return DSERR_ALREADYINITIALIZED; }

HRESULT PrimaryBuffer::Lock(DWORD, DWORD, LPVOID* ptr1, LPDWORD bytes1, LPVOID* ptr2, LPDWORD bytes2, DWORD) {
    if (ptr1) *ptr1 = nullptr;
    if (bytes1) *bytes1 = 0;
    if (ptr2) *ptr2 = nullptr;
    if (bytes2) *bytes2 = 0;
    // Only DSSCL_WRITEPRIMARY may write the primary buffer, and the layer
    // does not offer that level.
    return DSERR_PRIOLEVELNEEDED;
}

// The primary buffer plays whenever something is mixed; Play only keeps it
// going in silence, which the device does anyway.
HRESULT PrimaryBuffer::Play(DWORD, DWORD, DWORD flags) {
    if (!(flags & DSBPLAY_LOOPING)) return DSERR_INVALIDPARAM;
    playing = true;
    return DS_OK;
}

HRESULT PrimaryBuffer::SetCurrentPosition(DWORD) { return DSERR_INVALIDCALL; }

HRESULT PrimaryBuffer::SetFormat(LPCWAVEFORMATEX newFormat) {
    if (device->Level() < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    if (!AcceptablePcm(newFormat)) return DSERR_INVALIDPARAM;
    format = *newFormat;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.cbSize = 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::SetVolume(LONG) { return Unimplemented("IDirectSoundBuffer::SetVolume (primary)", DSERR_UNSUPPORTED); }
HRESULT PrimaryBuffer::SetPan(LONG) { return Unimplemented("IDirectSoundBuffer::SetPan (primary)", DSERR_UNSUPPORTED); }
HRESULT PrimaryBuffer::SetFrequency(DWORD) { return DSERR_CONTROLUNAVAIL; }

HRESULT PrimaryBuffer::Stop() {
    playing = false;
    return DS_OK;
}

HRESULT PrimaryBuffer::Unlock(LPVOID, DWORD, LPVOID, DWORD) { return DSERR_INVALIDCALL; }
HRESULT PrimaryBuffer::Restore() { return DS_OK; }

}  // namespace layer
