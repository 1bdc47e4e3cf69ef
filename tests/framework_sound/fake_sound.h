// A recording stand-in for DirectSound, so that the framework's calls (the
// descriptions it passes, the ranges it locks, the notification table it
// sets) can be checked exactly, and any step can be made to fail.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>
#include <vector>

namespace fake {

struct LockCall {
    DWORD offset;
    DWORD bytes;
};

struct Record {
    std::vector<DSBUFFERDESC> descriptions;
    std::vector<WAVEFORMATEX> formats;
    std::vector<LockCall> locks;
    std::vector<LockCall> unlocks;  // offset of the first region and its length
    std::vector<DSBPOSITIONNOTIFY> positions;
    int buffersAlive = 0;
    int notifiesAlive = 0;
    int locked = 0;
    // What the next calls do.
    bool failCreate = false;
    bool failLock = false;
    bool failNotify = false;
    DWORD playCursor = 0xFFFFFFFF;  // outside any buffer: never "in" a segment
};

class Buffer;

class Notify final : public IDirectSoundNotify {
public:
    Notify(Record& r, Buffer* b);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE SetNotificationPositions(DWORD count, LPCDSBPOSITIONNOTIFY n) override {
        if (record.failNotify) return DSERR_INVALIDPARAM;
        record.positions.assign(n, n + count);
        return DS_OK;
    }

private:
    Record& record;
    Buffer* buffer;
    ULONG refs = 1;
};

class Buffer final : public IDirectSoundBuffer {
public:
    Buffer(Record& r, DWORD bytes) : data(bytes, 0xEE), record(r) { ++record.buffersAlive; }
    std::vector<std::uint8_t> data;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (!IsEqualGUID(riid, IID_IDirectSoundNotify)) return E_NOINTERFACE;
        ++refs;
        *object = static_cast<IDirectSoundNotify*>(new Notify(record, this));
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--refs > 0) return refs;
        --record.buffersAlive;
        delete this;
        return 0;
    }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSBCAPS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LPDWORD play, LPDWORD write) override {
        if (play) *play = record.playCursor;
        if (write) *write = record.playCursor;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX, DWORD, LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolume(LPLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPan(LPLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFrequency(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, LPVOID* p1, LPDWORD n1, LPVOID* p2, LPDWORD n2,
                                   DWORD) override {
        record.locks.push_back({offset, bytes});
        if (record.failLock || offset >= data.size() || bytes > data.size()) return DSERR_INVALIDPARAM;
        const DWORD first = std::min<DWORD>(bytes, static_cast<DWORD>(data.size()) - offset);
        *p1 = data.data() + offset;
        *n1 = first;
        if (p2) *p2 = first < bytes ? data.data() : nullptr;
        if (n2) *n2 = bytes - first;
        ++record.locked;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Play(DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVolume(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPan(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFrequency(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID p1, DWORD n1, LPVOID, DWORD) override {
        record.unlocks.push_back({static_cast<DWORD>(static_cast<std::uint8_t*>(p1) - data.data()), n1});
        --record.locked;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE Restore() override { return E_NOTIMPL; }

private:
    Record& record;
    ULONG refs = 1;
};

inline Notify::Notify(Record& r, Buffer* b) : record(r), buffer(b) { ++record.notifiesAlive; }
inline ULONG Notify::Release() {
    if (--refs > 0) return refs;
    --record.notifiesAlive;
    Buffer* owner = buffer;
    delete this;
    return owner->Release();
}

class Device final : public IDirectSound {
public:
    Record record;
    Buffer* last = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* out, LPUNKNOWN) override {
        record.descriptions.push_back(*desc);
        if (desc->lpwfxFormat) record.formats.push_back(*desc->lpwfxFormat);
        *out = nullptr;
        if (record.failCreate) return DSERR_INVALIDPARAM;
        last = new Buffer(record, desc->dwBufferBytes);
        *out = last;
        return DS_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSCAPS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER, LPDIRECTSOUNDBUFFER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Compact() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSpeakerConfig(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSpeakerConfig(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(LPCGUID) override { return E_NOTIMPL; }
};

}  // namespace fake
