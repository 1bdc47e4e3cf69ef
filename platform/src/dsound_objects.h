// The COM objects of the layer's DirectSound, one class per file:
// the device (dsound_device.cpp), the primary buffer (dsound_primary.cpp), a
// secondary buffer (dsound_buffer.cpp) and its notification interface
// (dsound_notify.cpp).
#pragma once

#include <atomic>
#include <memory>

#include "com_object.h"
#include "dsound.h"
#include "mixer.h"

namespace layer {

class PrimaryBuffer;

class SoundDevice final : public com::Object<IDirectSound, IID_IUnknown, IID_IDirectSound> {
public:
    SoundDevice();

    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer,
                                                LPUNKNOWN outer) override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSCAPS caps) override;
    HRESULT STDMETHODCALLTYPE DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                                                   LPDIRECTSOUNDBUFFER* duplicate) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override;
    HRESULT STDMETHODCALLTYPE Compact() override;
    HRESULT STDMETHODCALLTYPE GetSpeakerConfig(LPDWORD speakerConfig) override;
    HRESULT STDMETHODCALLTYPE SetSpeakerConfig(DWORD speakerConfig) override;
    HRESULT STDMETHODCALLTYPE Initialize(LPCGUID device) override;

    DWORD Level() const { return level.load(); }

private:
    ~SoundDevice();
    std::atomic<DWORD> level{0};
    std::atomic<DWORD> speakerConfig{DSSPEAKER_STEREO};
    // The one primary buffer, made with the device and gone with it; a
    // program's references to it only keep the device alive.
    PrimaryBuffer* primary = nullptr;
};

class PrimaryBuffer final : public com::Object<IDirectSoundBuffer, IID_IUnknown, IID_IDirectSoundBuffer> {
public:
    // Starts with no references: CreateSoundBuffer hands out the first.
    explicit PrimaryBuffer(SoundDevice* device);
    static void Destroy(PrimaryBuffer* primary) { delete primary; }

    // The first reference holds the device, the last lets go of it; the
    // object itself lives until the device goes.
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetCaps(LPDSBCAPS caps) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LPDWORD play, LPDWORD write) override;
    HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) override;
    HRESULT STDMETHODCALLTYPE GetVolume(LPLONG volume) override;
    HRESULT STDMETHODCALLTYPE GetPan(LPLONG pan) override;
    HRESULT STDMETHODCALLTYPE GetFrequency(LPDWORD frequency) override;
    HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD status) override;
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTSOUND directSound, LPCDSBUFFERDESC desc) override;
    HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, LPVOID* ptr1, LPDWORD bytes1, LPVOID* ptr2,
                                   LPDWORD bytes2, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Play(DWORD reserved1, DWORD priority, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD newPosition) override;
    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT STDMETHODCALLTYPE SetVolume(LONG volume) override;
    HRESULT STDMETHODCALLTYPE SetPan(LONG pan) override;
    HRESULT STDMETHODCALLTYPE SetFrequency(DWORD frequency) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID ptr1, DWORD bytes1, LPVOID ptr2, DWORD bytes2) override;
    HRESULT STDMETHODCALLTYPE Restore() override;

private:
    ~PrimaryBuffer();
    SoundDevice* device;
    WAVEFORMATEX format{};
    bool playing = false;
};

class SoundBuffer final : public com::Object<IDirectSoundBuffer, IID_IUnknown, IID_IDirectSoundBuffer> {
public:
    // Null when the memory cannot be had.
    static SoundBuffer* Create(SoundDevice* device, DWORD flags, DWORD bytes, const WAVEFORMATEX& format);
    // A new buffer over the same sound data, stopped at its start; null
    // when the memory cannot be had.
    SoundBuffer* Duplicate();

    // Also hands out a new notification interface, when the buffer has one.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSBCAPS caps) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LPDWORD play, LPDWORD write) override;
    HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) override;
    HRESULT STDMETHODCALLTYPE GetVolume(LPLONG volume) override;
    HRESULT STDMETHODCALLTYPE GetPan(LPLONG pan) override;
    HRESULT STDMETHODCALLTYPE GetFrequency(LPDWORD frequency) override;
    HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD status) override;
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTSOUND directSound, LPCDSBUFFERDESC desc) override;
    HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, LPVOID* ptr1, LPDWORD bytes1, LPVOID* ptr2,
                                   LPDWORD bytes2, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Play(DWORD reserved1, DWORD priority, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD newPosition) override;
    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT STDMETHODCALLTYPE SetVolume(LONG volume) override;
    HRESULT STDMETHODCALLTYPE SetPan(LONG pan) override;
    HRESULT STDMETHODCALLTYPE SetFrequency(DWORD frequency) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID ptr1, DWORD bytes1, LPVOID ptr2, DWORD bytes2) override;
    HRESULT STDMETHODCALLTYPE Restore() override;

    // For the notification interface.
    HRESULT SetNotifications(DWORD count, LPCDSBPOSITIONNOTIFY notifies);

private:
    // What GetCurrentPosition and GetStatus answer when no journal does.
    HRESULT CurrentPositionLive(LPDWORD play, LPDWORD write);
    HRESULT StatusLive(LPDWORD status);
    SoundBuffer(SoundDevice* device, DWORD flags, DWORD bytes, const WAVEFORMATEX& format);
    ~SoundBuffer();
    // Converts the application's bytes [offset, offset + count) into the
    // mixer's samples; with the mixer's guard held.
    void Convert(DWORD offset, DWORD count);
    // The mixer's gains from the volume and pan; with the guard held.
    void UpdateGains();

    SoundDevice* device;
    DWORD flags;
    DWORD bytes;
    WAVEFORMATEX format;
    // What Lock hands out, shared with duplicates; the mixer reads only its
    // own converted copy, so the application's writes never meet the audio
    // thread.
    std::shared_ptr<unsigned char[]> data;
    LONG volume = DSBVOLUME_MAX;
    LONG pan = DSBPAN_CENTER;
    audio::Voice voice;
};

class SoundNotify final : public com::Object<IDirectSoundNotify, IID_IDirectSoundNotify> {
public:
    explicit SoundNotify(SoundBuffer* buffer);

    // IUnknown and the buffer's own interface are the buffer's.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE SetNotificationPositions(DWORD count, LPCDSBPOSITIONNOTIFY notifies) override;

private:
    ~SoundNotify();
    SoundBuffer* buffer;
};

// A PCM format the mixer takes: 8 or 16 bits, 1 or 2 channels, a rate within
// DirectSound's range, a block alignment that matches and a byte rate.
bool AcceptablePcm(const WAVEFORMATEX* format);

// GetFormat of either kind of buffer.
HRESULT CopyFormat(const WAVEFORMATEX& format, LPWAVEFORMATEX out, DWORD sizeAllocated, LPDWORD sizeWritten);

}  // namespace layer
