// A secondary sound buffer: the application's bytes, and the voice the mixer
// plays from them.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "dsound_objects.h"
#include "journal_session.h"
#include "layer_log.h"
#include "winbase.h"

namespace layer {

using audio::Mixer;

SoundBuffer* SoundBuffer::Create(SoundDevice* device, DWORD flags, DWORD bytes, const WAVEFORMATEX& format) {
    std::shared_ptr<unsigned char[]> data(new (std::nothrow) unsigned char[bytes]);
    if (!data) return nullptr;
    // A new buffer is silent: 8-bit samples are unsigned around 128.
    std::memset(data.get(), format.wBitsPerSample == 8 ? 0x80 : 0, bytes);
    auto* made = new (std::nothrow) SoundBuffer(device, flags, bytes, format);
    if (!made) return nullptr;
    made->data = std::move(data);
    try {
        made->voice.samples =
            std::make_shared<std::vector<std::int16_t>>(std::size_t(made->voice.frames) * format.nChannels, 0);
    } catch (const std::bad_alloc&) {
        made->Release();
        return nullptr;
    }
    Mixer::Hold hold;
    Mixer::Instance().Add(&made->voice);
    return made;
}

SoundBuffer* SoundBuffer::Duplicate() {
    auto* made = new (std::nothrow) SoundBuffer(device, flags, bytes, format);
    if (!made) return nullptr;
    made->data = data;
    made->volume = volume;
    made->pan = pan;
    Mixer::Hold hold;
    made->voice.samples = voice.samples;
    made->voice.rate = voice.rate;
    made->voice.step = voice.step;
    made->UpdateGains();
    Mixer::Instance().Add(&made->voice);
    return made;
}

SoundBuffer::SoundBuffer(SoundDevice* owner, DWORD flags_, DWORD bytes_, const WAVEFORMATEX& format_)
    : device(owner), flags(flags_), bytes(bytes_), format(format_) {
    format.cbSize = 0;
    device->AddRef();
    voice.channels = format.nChannels;
    voice.frames = bytes / format.nBlockAlign;
    voice.rate = format.nSamplesPerSec;
    voice.step = audio::StepFor(voice.rate, Mixer::Instance().OutputRate());
}

SoundBuffer::~SoundBuffer() {
    {
        Mixer::Hold hold;
        Mixer::Instance().Remove(&voice);
    }
    device->Release();
}

HRESULT SoundBuffer::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IDirectSoundNotify) {
        *object = nullptr;
        // Position notification is a capability asked for at creation.
        if (!(flags & DSBCAPS_CTRLPOSITIONNOTIFY)) return E_NOINTERFACE;
        auto* notify = new (std::nothrow) SoundNotify(this);
        if (!notify) return E_OUTOFMEMORY;
        *object = static_cast<IDirectSoundNotify*>(notify);
        return S_OK;
    }
    return Query(riid, object);
}

HRESULT SoundBuffer::GetCaps(LPDSBCAPS caps) {
    if (!caps || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = (flags & ~DSBCAPS_LOCHARDWARE) | DSBCAPS_LOCSOFTWARE;
    caps->dwBufferBytes = bytes;
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
}

// Where the sound has got to and whether it still plays depend on the
// output's clock, so a journal keeps both answers.
HRESULT SoundBuffer::GetCurrentPosition(LPDWORD play, LPDWORD write) {
    if (!play && !write) return DSERR_INVALIDPARAM;
    if (!layer::Journaling()) return CurrentPositionLive(play, write);
    const journal::Record r = layer::JournalExchange(journal::Call::SoundPosition, {play != nullptr, write != nullptr},
                                                     [this](journal::Record& out) {
                                                         DWORD p = 0, w = 0;
                                                         out.answer = {CurrentPositionLive(&p, &w), p, w};
                                                     });
    if (r.answer.size() == 3) {
        if (play) *play = static_cast<DWORD>(r.answer[1]);
        if (write) *write = static_cast<DWORD>(r.answer[2]);
    }
    return static_cast<HRESULT>(r.answer[0]);
}

HRESULT SoundBuffer::CurrentPositionLive(LPDWORD play, LPDWORD write) {
    Mixer& mixer = Mixer::Instance();
    std::uint64_t heard, mixed;
    {
        Mixer::Hold hold;
        heard = mixer.PlayedPosition(&voice);
        mixed = voice.playing ? voice.position : heard;
    }
    const auto toBytes = [this](std::uint64_t position) {
        const DWORD frame = static_cast<DWORD>(position >> audio::kFixedShift);
        return frame >= voice.frames ? 0 : frame * format.nBlockAlign;
    };
    if (play) *play = toBytes(heard);
    // Everything from the mixing position on may still be written.
    if (write) *write = toBytes(mixed);
    return DS_OK;
}

HRESULT SoundBuffer::GetFormat(LPWAVEFORMATEX out, DWORD sizeAllocated, LPDWORD sizeWritten) {
    return CopyFormat(format, out, sizeAllocated, sizeWritten);
}

HRESULT SoundBuffer::GetVolume(LPLONG out) {
    if (!out) return DSERR_INVALIDPARAM;
    if (!(flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    Mixer::Hold hold;
    *out = volume;
    return DS_OK;
}

HRESULT SoundBuffer::GetPan(LPLONG out) {
    if (!out) return DSERR_INVALIDPARAM;
    if (!(flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    Mixer::Hold hold;
    *out = pan;
    return DS_OK;
}

HRESULT SoundBuffer::GetFrequency(LPDWORD out) {
    if (!out) return DSERR_INVALIDPARAM;
    if (!(flags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    Mixer::Hold hold;
    *out = voice.rate;
    return DS_OK;
}

HRESULT SoundBuffer::GetStatus(LPDWORD status) {
    if (!status) return DSERR_INVALIDPARAM;
    if (!layer::Journaling()) return StatusLive(status);
    const journal::Record r = layer::JournalExchange(journal::Call::SoundStatus, {}, [this](journal::Record& out) {
        DWORD s = 0;
        out.answer = {StatusLive(&s), s};
    });
    if (r.answer.size() == 2) *status = static_cast<DWORD>(r.answer[1]);
    return static_cast<HRESULT>(r.answer[0]);
}

HRESULT SoundBuffer::StatusLive(LPDWORD status) {
    Mixer& mixer = Mixer::Instance();
    Mixer::Hold hold;
    *status = 0;
    if (mixer.Sounding(&voice)) {
        *status |= DSBSTATUS_PLAYING;
        if (voice.playing && voice.looping) *status |= DSBSTATUS_LOOPING;
    }
    return DS_OK;
}

HRESULT SoundBuffer::Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) { return DSERR_ALREADYINITIALIZED; }

HRESULT SoundBuffer::Lock(DWORD offset, DWORD count, LPVOID* ptr1, LPDWORD bytes1, LPVOID* ptr2, LPDWORD bytes2,
                          DWORD lockFlags) {
    if (ptr2) *ptr2 = nullptr;
    if (bytes2) *bytes2 = 0;
    if (!ptr1 || !bytes1) return DSERR_INVALIDPARAM;
    *ptr1 = nullptr;
    *bytes1 = 0;
    if (lockFlags & ~(DSBLOCK_FROMWRITECURSOR | DSBLOCK_ENTIREBUFFER)) return DSERR_INVALIDPARAM;
    if (lockFlags & DSBLOCK_FROMWRITECURSOR) {
        DWORD write = 0;
        GetCurrentPosition(nullptr, &write);
        offset = write;
    }
    if (lockFlags & DSBLOCK_ENTIREBUFFER) {
        offset = 0;
        count = bytes;
    }
    if (offset >= bytes || count == 0 || count > bytes) return DSERR_INVALIDPARAM;

    const DWORD first = std::min(count, bytes - offset);
    *ptr1 = data.get() + offset;
    *bytes1 = first;
    // A range past the end goes on at the start of the buffer.
    if (first < count && ptr2 && bytes2) {
        *ptr2 = data.get();
        *bytes2 = count - first;
    }
    return DS_OK;
}

HRESULT SoundBuffer::Play(DWORD reserved1, DWORD, DWORD playFlags) {
    if (reserved1 != 0) return DSERR_INVALIDPARAM;
    if (device->Level() == 0) return DSERR_PRIOLEVELNEEDED;
    Mixer& mixer = Mixer::Instance();
    Mixer::Hold hold;
    mixer.Start(&voice, (playFlags & DSBPLAY_LOOPING) != 0);
    return DS_OK;
}

HRESULT SoundBuffer::SetCurrentPosition(DWORD newPosition) {
    if (newPosition >= bytes) return DSERR_INVALIDPARAM;
    Mixer& mixer = Mixer::Instance();
    Mixer::Hold hold;
    mixer.MoveTo(&voice, newPosition / format.nBlockAlign);
    return DS_OK;
}

// Only the primary buffer's format can change.
HRESULT SoundBuffer::SetFormat(LPCWAVEFORMATEX) { return DSERR_INVALIDCALL; }

HRESULT SoundBuffer::SetVolume(LONG newVolume) {
    if (!(flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (newVolume < DSBVOLUME_MIN || newVolume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    Mixer::Hold hold;
    volume = newVolume;
    UpdateGains();
    return DS_OK;
}

HRESULT SoundBuffer::SetPan(LONG newPan) {
    if (!(flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (newPan < DSBPAN_LEFT || newPan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    Mixer::Hold hold;
    pan = newPan;
    UpdateGains();
    return DS_OK;
}

// Heard from the next mixed frame on, also while playing.
HRESULT SoundBuffer::SetFrequency(DWORD frequency) {
    if (!(flags & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency == DSBFREQUENCY_ORIGINAL) frequency = format.nSamplesPerSec;
    if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
    Mixer& mixer = Mixer::Instance();
    Mixer::Hold hold;
    mixer.SetRate(&voice, frequency);
    return DS_OK;
}

// Both are attenuations in hundredths of a decibel; pan attenuates only the
// side it turns away from.
void SoundBuffer::UpdateGains() {
    voice.gain[0] = audio::GainFor(volume + std::min<LONG>(0, -pan));
    voice.gain[1] = audio::GainFor(volume + std::min<LONG>(0, pan));
}

HRESULT SoundBuffer::Stop() {
    Mixer::Hold hold;
    Mixer::Instance().Stop(&voice, hold.EventsToSet());
    return DS_OK;
}

HRESULT SoundBuffer::Unlock(LPVOID ptr1, DWORD bytes1, LPVOID ptr2, DWORD bytes2) {
    const auto inside = [this](LPVOID p, DWORD n) {
        const auto* at = static_cast<const unsigned char*>(p);
        return at >= data.get() && at <= data.get() + bytes && n <= DWORD(data.get() + bytes - at);
    };
    if (!ptr1 || !inside(ptr1, bytes1) || (ptr2 && !inside(ptr2, bytes2))) return DSERR_INVALIDPARAM;
    Mixer::Hold hold;
    Convert(static_cast<DWORD>(static_cast<unsigned char*>(ptr1) - data.get()), bytes1);
    if (ptr2) Convert(static_cast<DWORD>(static_cast<unsigned char*>(ptr2) - data.get()), bytes2);
    return DS_OK;
}

void SoundBuffer::Convert(DWORD offset, DWORD count) {
    const DWORD align = format.nBlockAlign;
    const DWORD firstFrame = offset / align;
    const DWORD endFrame = std::min<DWORD>(voice.frames, (offset + count + align - 1) / align);
    const int channels = format.nChannels;
    const unsigned char* in = data.get() + std::size_t(firstFrame) * align;
    for (int c = 0; c < channels; ++c) {
        std::int16_t* out = voice.samples->data() + std::size_t(c) * voice.frames;
        for (DWORD f = firstFrame; f < endFrame; ++f) {
            const unsigned char* sample = in + std::size_t(f - firstFrame) * align + c * (format.wBitsPerSample / 8);
            out[f] = format.wBitsPerSample == 16 ? static_cast<std::int16_t>(sample[0] | (sample[1] << 8))
                                                 : static_cast<std::int16_t>((sample[0] - 128) << 8);
        }
    }
}

HRESULT SoundBuffer::Restore() { return DS_OK; }  // software buffers are never lost

HRESULT SoundBuffer::SetNotifications(DWORD count, LPCDSBPOSITIONNOTIFY notifies) {
    if (count > 0 && !notifies) return DSERR_INVALIDPARAM;
    std::vector<audio::Voice::Notification> positions;
    std::vector<HANDLE> stops;
    for (DWORD i = 0; i < count; ++i) {
        const DSBPOSITIONNOTIFY& n = notifies[i];
        if (!n.hEventNotify) return DSERR_INVALIDPARAM;
        if (n.dwOffset == DSBPN_OFFSETSTOP) {
            stops.push_back(n.hEventNotify);
            continue;
        }
        if (n.dwOffset >= bytes) return DSERR_INVALIDPARAM;
        // Play passes a byte once the frame holding it is behind it.
        const std::uint64_t frameAfter = n.dwOffset / format.nBlockAlign + 1;
        positions.push_back({frameAfter << audio::kFixedShift, n.hEventNotify});
    }
    std::stable_sort(positions.begin(), positions.end(),
                     [](const auto& a, const auto& b) { return a.trigger < b.trigger; });

    Mixer& mixer = Mixer::Instance();
    Mixer::Hold hold;
    // A playing buffer keeps its list.
    if (voice.playing) return DSERR_INVALIDCALL;
    mixer.DropPending(&voice);
    voice.notifications = std::move(positions);
    voice.stopEvents = std::move(stops);
    return DS_OK;
}

}  // namespace layer
