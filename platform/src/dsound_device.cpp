// The DirectSound device: opens the shared mixer for its life and makes the
// buffers.
#include <new>

#include "dsound_objects.h"
#include "layer_log.h"

namespace layer {

bool AcceptablePcm(const WAVEFORMATEX* format) {
    if (!format || format->wFormatTag != WAVE_FORMAT_PCM) return false;
    if (format->nChannels != 1 && format->nChannels != 2) return false;
    if (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) return false;
    if (format->nBlockAlign == 0 || format->nBlockAlign != format->nChannels * format->wBitsPerSample / 8) return false;
    // The byte rate is only advice: any figure but none is taken as given.
    if (format->nAvgBytesPerSec == 0) return false;
    return format->nSamplesPerSec >= DSBFREQUENCY_MIN && format->nSamplesPerSec <= DSBFREQUENCY_MAX;
}

HRESULT CopyFormat(const WAVEFORMATEX& format, LPWAVEFORMATEX out, DWORD sizeAllocated, LPDWORD sizeWritten) {
    if (!out && !sizeWritten) return DSERR_INVALIDPARAM;
    if (!out) {
        *sizeWritten = sizeof(WAVEFORMATEX);
        return DS_OK;
    }
    if (sizeAllocated < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
    *out = format;
    if (sizeWritten) *sizeWritten = sizeof(WAVEFORMATEX);
    return DS_OK;
}

SoundDevice::SoundDevice() = default;

// The last reference on the device lets go of the audio output; nothing holds
// the primary buffer any more, or the device would still be referenced.
SoundDevice::~SoundDevice() {
    PrimaryBuffer::Destroy(primary);
    audio::Mixer::Instance().Close();
}

HRESULT SoundDevice::CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) {
    if (!buffer) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    // 36 is the record's size in 32-bit DirectX 7; the record is the same.
    if (!desc || (desc->dwSize != sizeof(DSBUFFERDESC) && desc->dwSize != sizeof(DSBUFFERDESC1) && desc->dwSize != 36))
        return DSERR_INVALIDPARAM;

    const DWORD flags = desc->dwFlags;
    if (flags & DSBCAPS_CTRL3D) return Unimplemented("IDirectSound::CreateSoundBuffer (DSBCAPS_CTRL3D)", DSERR_INVALIDPARAM);
    if ((flags & DSBCAPS_LOCHARDWARE) && (flags & DSBCAPS_LOCSOFTWARE)) return DSERR_INVALIDPARAM;

    if (flags & DSBCAPS_PRIMARYBUFFER) {
        if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr) return DSERR_INVALIDPARAM;
        if (flags & (DSBCAPS_STATIC | DSBCAPS_CTRLPOSITIONNOTIFY)) return DSERR_INVALIDPARAM;
        if (!primary) primary = new (std::nothrow) PrimaryBuffer(this);
        if (!primary) return DSERR_OUTOFMEMORY;
        primary->AddRef();
        *buffer = primary;
        return DS_OK;
    }

    if (!AcceptablePcm(desc->lpwfxFormat)) return DSERR_INVALIDPARAM;
    // Every buffer is mixed in software: there is no hardware to place one in.
    if (flags & DSBCAPS_LOCHARDWARE) return DSERR_INVALIDCALL;
    const DWORD align = desc->lpwfxFormat->nBlockAlign;
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX || desc->dwBufferBytes < align)
        return DSERR_INVALIDPARAM;
    // A buffer holds whole frames.
    const DWORD bytes = (desc->dwBufferBytes + align - 1) / align * align;
    if (bytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
    SoundBuffer* made = SoundBuffer::Create(this, flags, bytes, *desc->lpwfxFormat);
    if (!made) return DSERR_OUTOFMEMORY;
    *buffer = made;
    return DS_OK;
}

HRESULT SoundDevice::GetCaps(LPDSCAPS caps) {
    if (!caps || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
    *caps = DSCAPS{};
    caps->dwSize = sizeof(DSCAPS);
    caps->dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                    DSCAPS_CONTINUOUSRATE | DSCAPS_EMULDRIVER | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO |
                    DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
    caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
    caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
    caps->dwPrimaryBuffers = 1;
    return DS_OK;
}

HRESULT SoundDevice::DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* duplicate) {
    if (!duplicate) return DSERR_INVALIDPARAM;
    *duplicate = nullptr;
    if (!original) return DSERR_INVALIDPARAM;
    // The primary buffer has no sound data of its own to share.
    if (original == primary) return DSERR_INVALIDCALL;
    auto* source = dynamic_cast<SoundBuffer*>(original);
    if (!source) return DSERR_INVALIDPARAM;
    SoundBuffer* made = source->Duplicate();
    if (!made) return DSERR_OUTOFMEMORY;
    *duplicate = made;
    return DS_OK;
}

HRESULT SoundDevice::SetCooperativeLevel(HWND window, DWORD newLevel) {
    if (!window || newLevel < DSSCL_NORMAL || newLevel > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
    if (newLevel == DSSCL_WRITEPRIMARY)
        return Unimplemented("IDirectSound::SetCooperativeLevel (DSSCL_WRITEPRIMARY)", DSERR_UNSUPPORTED);
    level = newLevel;
    return DS_OK;
}

// Software buffers: there is no device memory to compact.
HRESULT SoundDevice::Compact() { return level >= DSSCL_PRIORITY ? DS_OK : DSERR_PRIOLEVELNEEDED; }

// The setting is the program's to keep; the output stays stereo whatever it
// says, as a driver that ignores it would.
HRESULT SoundDevice::GetSpeakerConfig(LPDWORD config) {
    if (!config) return DSERR_INVALIDPARAM;
    *config = speakerConfig.load();
    return DS_OK;
}

HRESULT SoundDevice::SetSpeakerConfig(DWORD config) {
    speakerConfig = config;
    return DS_OK;
}

HRESULT SoundDevice::Initialize(LPCGUID) { return DSERR_ALREADYINITIALIZED; }

}  // namespace layer

extern "C" HRESULT WINAPI DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* directSound, LPUNKNOWN outer) {
    if (!directSound) return DSERR_INVALIDPARAM;
    *directSound = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    static const GUID kNull{};
    if (device && !IsEqualGUID(*device, kNull)) {
        return layer::Unimplemented("DirectSoundCreate (a device other than the default)", DSERR_NODRIVER);
    }
    if (!layer::audio::Mixer::Instance().Open()) return DSERR_NODRIVER;
    auto* made = new (std::nothrow) layer::SoundDevice;
    if (!made) {
        layer::audio::Mixer::Instance().Close();
        return DSERR_OUTOFMEMORY;
    }
    *directSound = made;
    return DS_OK;
}
