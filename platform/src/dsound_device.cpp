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
    return format->nSamplesPerSec >= DSBFREQUENCY_MIN && format->nSamplesPerSec <= DSBFREQUENCY_MAX;
}

// The last reference on the device lets go of the audio output.
SoundDevice::~SoundDevice() { audio::Mixer::Instance().Close(); }

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
        auto* primary = new (std::nothrow) PrimaryBuffer(this);
        if (!primary) return DSERR_OUTOFMEMORY;
        *buffer = primary;
        return DS_OK;
    }

    if (!AcceptablePcm(desc->lpwfxFormat)) return DSERR_INVALIDPARAM;
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX ||
        desc->dwBufferBytes < desc->lpwfxFormat->nBlockAlign)
        return DSERR_INVALIDPARAM;
    SoundBuffer* made = SoundBuffer::Create(this, flags, desc->dwBufferBytes, *desc->lpwfxFormat);
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

HRESULT SoundDevice::DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER, LPDIRECTSOUNDBUFFER* duplicate) {
    if (duplicate) *duplicate = nullptr;
    return Unimplemented("IDirectSound::DuplicateSoundBuffer", DSERR_UNSUPPORTED);
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

HRESULT SoundDevice::GetSpeakerConfig(LPDWORD speakerConfig) {
    if (!speakerConfig) return DSERR_INVALIDPARAM;
    *speakerConfig = DSSPEAKER_STEREO;
    return DS_OK;
}

HRESULT SoundDevice::SetSpeakerConfig(DWORD) {
    return Unimplemented("IDirectSound::SetSpeakerConfig", DSERR_UNSUPPORTED);
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
