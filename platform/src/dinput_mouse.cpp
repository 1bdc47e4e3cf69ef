// IDirectInputDevice7A for the system mouse: relative motion and buttons from
// the window system's mouse events (seen through the one event pump), an
// immediate state and a buffer of timed events.
#define DIRECTINPUT_VERSION 0x0700
#include "dinput_mouse.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "com_object.h"
#include "journal_session.h"
#include "tick_clock.h"
#include "injected_faults.h"
#include "layer_log.h"
#include "seam_hooks.h"
#include "winbase.h"
#include "window_hooks.h"

namespace layer::dinput {

namespace {

constexpr DWORD kWheelDelta = 120;
constexpr DWORD kMaxBufferSize = 1024;

// A predefined property arrives as its bare integer or, from our headers, as
// a GUID of the caller's own that carries the integer; the first 64 KiB hold
// no objects, so anything below is an integer.
bool IsProperty(REFGUID property, std::uintptr_t number) {
    const auto address = reinterpret_cast<std::uintptr_t>(&property);
    if (address <= 0xFFFF) return address == number;
    return IsEqualGUID(property, GUID{static_cast<std::uint32_t>(number), 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}});
}

struct Input {
    enum class Type { Motion, Button, Wheel } type;
    int dx = 0;
    int dy = 0;
    int button = 0;
    bool down = false;
    int notches = 0;
};

class Mouse;

std::mutex& RegistryGuard() {
    static std::mutex guard;
    return guard;
}
std::vector<Mouse*>& Registry() {
    static std::vector<Mouse*> devices;
    return devices;
}
// The one event observer of the mouse service, held while any device lives.
// One per device would feed every device once per observer, so two devices
// would each read every motion twice. Guarded by RegistryGuard.
int serviceObserver = 0;

void FromSdl(const SDL_Event& event);

// Enters a new device in the registry, starting the service's observer with the first.
void Enlist(Mouse* device) {
    std::lock_guard<std::mutex> lock(RegistryGuard());
    Registry().push_back(device);
    if (serviceObserver == 0) serviceObserver = layer::AddSdlEventObserver(FromSdl);
}

// Takes a device out of the registry (RegistryGuard held), ending the
// service's observer with the last.
void DelistLocked(Mouse* device) {
    auto& devices = Registry();
    devices.erase(std::remove(devices.begin(), devices.end(), device), devices.end());
    if (devices.empty() && serviceObserver != 0) {
        layer::RemoveSdlEventObserver(serviceObserver);
        serviceObserver = 0;
    }
}

void Broadcast(const Input& input);

class Mouse final : public com::Object<IDirectInputDevice7A, IID_IUnknown, IID_IDirectInputDeviceA,
                                       IID_IDirectInputDevice2A, IID_IDirectInputDevice7A> {
public:
    explicit Mouse(IUnknown* parent) : parent_(parent) {
        parent_->AddRef();
        Enlist(this);
        activation_ = layer::AddActivationListener([this](bool active) { OnActivation(active); });
    }

    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left;
        {
            // Leaves the registry in the same step, so that a broadcast never
            // takes hold of a device that is going away.
            std::lock_guard<std::mutex> lock(RegistryGuard());
            left = --references;
            if (left == 0) DelistLocked(this);
        }
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetCapabilities(LPDIDEVCAPS caps) override {
        if (!caps || caps->dwSize != sizeof(DIDEVCAPS)) return DIERR_INVALIDPARAM;
        std::memset(caps, 0, sizeof(*caps));
        caps->dwSize = sizeof(DIDEVCAPS);
        caps->dwFlags = DIDC_ATTACHED;
        caps->dwDevType = DIDEVTYPE_MOUSE | (DIDEVTYPEMOUSE_TRADITIONAL << 8);
        caps->dwAxes = 3;
        caps->dwButtons = 3;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetProperty(REFGUID property, LPDIPROPHEADER header) override {
        if (!header) return DIERR_INVALIDPARAM;
        if (IsProperty(property, 1)) {
            if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHeaderSize != sizeof(DIPROPHEADER) ||
                header->dwHow != DIPH_DEVICE || header->dwObj != 0)
                return DIERR_INVALIDPARAM;
            std::lock_guard<std::mutex> lock(guard_);
            reinterpret_cast<DIPROPDWORD*>(header)->dwData = bufferSize_;
            return DI_OK;
        }
        return layer::Unimplemented("IDirectInputDevice7A::GetProperty of anything but the buffer size",
                                    DIERR_UNSUPPORTED);
    }

    HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, LPCDIPROPHEADER header) override {
        if (!header) return DIERR_INVALIDPARAM;
        if (IsProperty(property, 1)) {
            if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHeaderSize != sizeof(DIPROPHEADER) ||
                header->dwHow != DIPH_DEVICE || header->dwObj != 0)
                return DIERR_INVALIDPARAM;
            std::lock_guard<std::mutex> lock(guard_);
            if (acquired_) return DIERR_ACQUIRED;
            const DWORD size = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
            // Windows caps the buffer too, and says so with DI_PROPNOEFFECT.
            bufferSize_ = std::min(size, kMaxBufferSize);
            buffer_.clear();
            overflow_ = false;
            return size > kMaxBufferSize ? DI_PROPNOEFFECT : DI_OK;
        }
        return layer::Unimplemented("IDirectInputDevice7A::SetProperty of anything but the buffer size",
                                    DIERR_UNSUPPORTED);
    }

    // Whether the mouse can be had, what it reports and when are the outside
    // world's answers; a replay takes them from the journal and leaves the
    // real mouse alone.
    HRESULT STDMETHODCALLTYPE Acquire() override {
        return layer::JournaledResult(journal::Call::DeviceResult, {0}, [this] { return AcquireLive(); });
    }

    HRESULT STDMETHODCALLTYPE Unacquire() override {
        return layer::JournaledResult(journal::Call::DeviceResult, {1}, [this] { return UnacquireLive(); });
    }

    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override {
        if (!layer::Journaling()) return GetDeviceStateLive(size, data);
        const journal::Record r = layer::JournalExchange(journal::Call::DeviceState, {size, data != nullptr},
                                                         [&](journal::Record& out) {
                                                             std::vector<std::uint8_t> bytes(size);
                                                             out.answer = {GetDeviceStateLive(
                                                                 size, data ? bytes.data() : nullptr)};
                                                             if (data) out.data = std::move(bytes);
                                                         });
        if (data && !r.data.empty() && r.data.size() == size) std::memcpy(data, r.data.data(), size);
        return static_cast<HRESULT>(r.answer[0]);
    }

    HRESULT STDMETHODCALLTYPE GetDeviceData(DWORD recordSize, LPDIDEVICEOBJECTDATA records, LPDWORD count,
                                            DWORD flags) override {
        if (!layer::Journaling()) return GetDeviceDataLive(recordSize, records, count, flags);
        const std::int64_t asked = count ? static_cast<std::int64_t>(*count) : -1;
        const journal::Record r = layer::JournalExchange(
            journal::Call::DeviceData, {recordSize, asked, flags, records != nullptr}, [&](journal::Record& out) {
                DWORD n = count ? *count : 0;
                // Room for what was asked, bounded by what the device can hold.
                std::vector<std::uint8_t> bytes(records ? std::min<std::size_t>(n, 4096) * recordSize : 0);
                const HRESULT hr = GetDeviceDataLive(recordSize, records ? reinterpret_cast<LPDIDEVICEOBJECTDATA>(bytes.data()) : nullptr,
                                                     count ? &n : nullptr, flags);
                out.answer = {hr, n};
                if (records) out.data.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(n * recordSize, bytes.size())));
            });
        if (r.answer.size() != 2) return static_cast<HRESULT>(r.answer[0]);
        const auto n = static_cast<DWORD>(r.answer[1]);
        if (count) *count = n;
        if (records && !r.data.empty() && r.data.size() == static_cast<std::size_t>(n) * recordSize)
            std::memcpy(records, r.data.data(), r.data.size());
        return static_cast<HRESULT>(r.answer[0]);
    }

    HRESULT AcquireLive() {
        std::lock_guard<std::mutex> lock(guard_);
        if (!format_) return DIERR_INVALIDPARAM;
        if (acquired_) return S_FALSE;
        if ((cooperation_ & DISCL_FOREGROUND) && !layer::ApplicationActive()) return DIERR_OTHERAPPHASPRIO;
        acquired_ = true;
        lost_ = false;
        stateX_ = stateY_ = stateZ_ = 0;
        std::memset(buttons_, 0, sizeof(buttons_));
        if (cooperation_ & DISCL_EXCLUSIVE) CapturePointer(true);
        return DI_OK;
    }

    HRESULT UnacquireLive() {
        std::lock_guard<std::mutex> lock(guard_);
        lost_ = false;
        if (!acquired_) return DI_NOEFFECT;
        acquired_ = false;
        if (cooperation_ & DISCL_EXCLUSIVE) CapturePointer(false);
        return DI_OK;
    }

    HRESULT GetDeviceStateLive(DWORD size, LPVOID data) {
        if (const HRESULT fault = TakeFault(seam::FaultCall::GetDeviceState); fault != S_OK) return fault;
        std::lock_guard<std::mutex> lock(guard_);
        if (!data || !format_ || size != format_->dwDataSize) return DIERR_INVALIDPARAM;
        if (!acquired_) return lost_ ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
        auto* bytes = static_cast<BYTE*>(data);
        std::memset(bytes, 0, size);
        const LONG axes[3] = {stateX_, stateY_, stateZ_};
        std::memcpy(bytes, axes, sizeof(axes));
        std::memcpy(bytes + 12, buttons_, std::min<std::size_t>(size - 12, sizeof(buttons_)));
        // The axes are relative: each call reports the motion since the last one.
        stateX_ = stateY_ = stateZ_ = 0;
        return DI_OK;
    }

    HRESULT GetDeviceDataLive(DWORD recordSize, LPDIDEVICEOBJECTDATA records, LPDWORD count, DWORD flags) {
        if (const HRESULT fault = TakeFault(seam::FaultCall::GetDeviceData); fault != S_OK) return fault;
        std::lock_guard<std::mutex> lock(guard_);
        // The DirectX 7 record, or the longer DirectInput 8 one with its application word.
        if (!count || (recordSize != 16 && recordSize != 16 + sizeof(UINT_PTR)) || (flags & ~DIGDD_PEEK))
            return DIERR_INVALIDPARAM;
        if (!format_) return DIERR_INVALIDPARAM;
        if (bufferSize_ == 0) return DIERR_NOTBUFFERED;
        if (!acquired_) {
            *count = 0;
            return lost_ ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
        }
        const bool peek = (flags & DIGDD_PEEK) != 0;
        const std::size_t n = std::min<std::size_t>(*count, buffer_.size());
        if (records) {
            auto* out = reinterpret_cast<std::uint8_t*>(records);
            for (std::size_t i = 0; i < n; ++i) {
                std::memset(out + i * recordSize, 0, recordSize);
                std::memcpy(out + i * recordSize, &buffer_[i], 16);
            }
        }
        const HRESULT result = overflow_ ? DI_BUFFEROVERFLOW : DI_OK;
        if (!peek) {
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
            overflow_ = false;
        }
        *count = static_cast<DWORD>(n);
        return result;
    }

    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override {
        if (!format) return DIERR_INVALIDPARAM;
        std::lock_guard<std::mutex> lock(guard_);
        if (acquired_) return DIERR_ACQUIRED;
        if (format == &c_dfDIMouse || format == &c_dfDIMouse2 || SameAs(*format, c_dfDIMouse) ||
            SameAs(*format, c_dfDIMouse2)) {
            format_ = SameAs(*format, c_dfDIMouse2) || format == &c_dfDIMouse2 ? &c_dfDIMouse2 : &c_dfDIMouse;
            return DI_OK;
        }
        return layer::Unimplemented("IDirectInputDevice7A::SetDataFormat of a custom mouse format",
                                    DIERR_INVALIDPARAM);
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        std::lock_guard<std::mutex> lock(guard_);
        if (acquired_) return DIERR_ACQUIRED;
        if (flags & ~(DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY))
            return DIERR_INVALIDPARAM;
        const bool exclusive = (flags & DISCL_EXCLUSIVE) != 0;
        const bool foreground = (flags & DISCL_FOREGROUND) != 0;
        if (exclusive == ((flags & DISCL_NONEXCLUSIVE) != 0) || foreground == ((flags & DISCL_BACKGROUND) != 0))
            return DIERR_INVALIDPARAM;
        // An exclusive mouse in the background would take the pointer from every other program.
        if (exclusive && !foreground) return E_NOTIMPL;
        if (foreground && !window) return DIERR_INVALIDPARAM;
        window_ = window;
        cooperation_ = flags;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceInfo(LPDIDEVICEINSTANCEA instance) override {
        if (!instance || instance->dwSize != sizeof(DIDEVICEINSTANCEA)) return DIERR_INVALIDPARAM;
        std::memset(instance, 0, sizeof(*instance));
        instance->dwSize = sizeof(DIDEVICEINSTANCEA);
        instance->guidInstance = GUID_SysMouse;
        instance->guidProduct = GUID_SysMouse;
        instance->dwDevType = DIDEVTYPE_MOUSE | (DIDEVTYPEMOUSE_TRADITIONAL << 8);
        std::strncpy(instance->tszInstanceName, "Mouse", MAX_PATH - 1);
        std::strncpy(instance->tszProductName, "Mouse", MAX_PATH - 1);
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD, REFGUID) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Poll() override {
        std::lock_guard<std::mutex> lock(guard_);
        if (!acquired_) return lost_ ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
        return DI_NOEFFECT;
    }

    HRESULT STDMETHODCALLTYPE EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) override {
        return layer::Unimplemented("IDirectInputDevice7A::EnumObjects", DIERR_UNSUPPORTED);
    }
    HRESULT STDMETHODCALLTYPE SetEventNotification(HANDLE) override {
        return layer::Unimplemented("IDirectInputDevice7A::SetEventNotification", DIERR_UNSUPPORTED);
    }
    HRESULT STDMETHODCALLTYPE GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) override {
        return layer::Unimplemented("IDirectInputDevice7A::GetObjectInfo", DIERR_UNSUPPORTED);
    }
    HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD) override {
        return layer::Unimplemented("IDirectInputDevice7A::RunControlPanel", DIERR_UNSUPPORTED);
    }
    HRESULT STDMETHODCALLTYPE CreateEffect(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT* effect, LPUNKNOWN) override {
        if (effect) *effect = nullptr;
        return DIERR_UNSUPPORTED;  // a mouse has no force feedback
    }
    HRESULT STDMETHODCALLTYPE EnumEffects(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) override { return DI_OK; }
    HRESULT STDMETHODCALLTYPE GetEffectInfo(LPDIEFFECTINFOA, REFGUID) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetForceFeedbackState(LPDWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SendForceFeedbackCommand(DWORD) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID,
                                                       DWORD) override {
        return DI_OK;
    }
    HRESULT STDMETHODCALLTYPE Escape(LPDIEFFESCAPE) override { return DIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) override {
        return layer::Unimplemented("IDirectInputDevice7A::SendDeviceData", DIERR_UNSUPPORTED);
    }
    HRESULT STDMETHODCALLTYPE EnumEffectsInFile(LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) override {
        return layer::Unimplemented("IDirectInputDevice7A::EnumEffectsInFile", DIERR_UNSUPPORTED);
    }
    HRESULT STDMETHODCALLTYPE WriteEffectToFile(LPCSTR, DWORD, LPDIFILEEFFECT, DWORD) override {
        return layer::Unimplemented("IDirectInputDevice7A::WriteEffectToFile", DIERR_UNSUPPORTED);
    }

    void Take(const Input& input) {
        std::lock_guard<std::mutex> lock(guard_);
        if (!acquired_) return;
        ++sequence_;
        const DWORD time = layer::LiveTickCount();
        switch (input.type) {
        case Input::Type::Motion:
            stateX_ += input.dx;
            stateY_ += input.dy;
            if (input.dx) AddMotion(DIMOFS_X, input.dx, time);
            if (input.dy) AddMotion(DIMOFS_Y, input.dy, time);
            break;
        case Input::Type::Wheel:
            stateZ_ += input.notches * static_cast<LONG>(kWheelDelta);
            if (input.notches) AddMotion(DIMOFS_Z, input.notches * static_cast<int>(kWheelDelta), time);
            break;
        case Input::Type::Button:
            if (input.button < 0 || input.button > 3) break;
            buttons_[input.button] = input.down ? 0x80 : 0;
            Add(DIDEVICEOBJECTDATA{static_cast<DWORD>(DIMOFS_BUTTON0 + input.button), input.down ? 0x80u : 0u,
                                   time, sequence_});
            break;
        }
    }

private:
    ~Mouse() {
        layer::RemoveActivationListener(activation_);
        if (acquired_ && (cooperation_ & DISCL_EXCLUSIVE)) CapturePointer(false);
        parent_->Release();
    }

    static bool SameAs(const DIDATAFORMAT& a, const DIDATAFORMAT& b) {
        if (a.dwSize != b.dwSize || a.dwObjSize != b.dwObjSize || a.dwDataSize != b.dwDataSize ||
            a.dwNumObjs != b.dwNumObjs || !a.rgodf)
            return false;
        for (DWORD i = 0; i < a.dwNumObjs; ++i)
            if (a.rgodf[i].dwOfs != b.rgodf[i].dwOfs) return false;
        return true;
    }

    static void CapturePointer(bool capture) {
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
        SDL_SetRelativeMouseMode(capture ? SDL_TRUE : SDL_FALSE);
    }

    void OnActivation(bool active) {
        if (active) return;
        bool release = false;
        {
            std::lock_guard<std::mutex> lock(guard_);
            if (!acquired_ || !(cooperation_ & DISCL_FOREGROUND)) return;
            acquired_ = false;
            lost_ = true;
            release = (cooperation_ & DISCL_EXCLUSIVE) != 0;
        }
        if (release) CapturePointer(false);
    }

    // Motion of one axis since the last button event is gathered into one
    // record, so that a small buffer keeps its room for the button presses.
    void AddMotion(DWORD offset, int delta, DWORD time) {
        for (auto it = buffer_.rbegin(); it != buffer_.rend() && it->dwOfs < DIMOFS_BUTTON0; ++it) {
            if (it->dwOfs == offset) {
                it->dwData = static_cast<DWORD>(static_cast<LONG>(it->dwData) + delta);
                it->dwTimeStamp = time;
                it->dwSequence = sequence_;
                return;
            }
        }
        Add(DIDEVICEOBJECTDATA{offset, static_cast<DWORD>(delta), time, sequence_});
    }

    void Add(const DIDEVICEOBJECTDATA& record) {
        if (bufferSize_ == 0) return;
        if (buffer_.size() >= bufferSize_) {
            overflow_ = true;  // the newest events are the ones lost
            return;
        }
        buffer_.push_back(record);
    }

    IUnknown* parent_;
    int activation_ = 0;
    std::mutex guard_;
    const DIDATAFORMAT* format_ = nullptr;
    HWND window_ = nullptr;
    DWORD cooperation_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool acquired_ = false;
    bool lost_ = false;
    LONG stateX_ = 0, stateY_ = 0, stateZ_ = 0;
    BYTE buttons_[8] = {};
    DWORD bufferSize_ = 0;
    std::deque<DIDEVICEOBJECTDATA> buffer_;
    bool overflow_ = false;
    DWORD sequence_ = 0;
};

void FromSdl(const SDL_Event& event) {
    Input input{};
    switch (event.type) {
    case SDL_MOUSEMOTION:
        input.type = Input::Type::Motion;
        input.dx = event.motion.xrel;
        input.dy = event.motion.yrel;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        input.type = Input::Type::Button;
        input.down = event.type == SDL_MOUSEBUTTONDOWN;
        switch (event.button.button) {
        case SDL_BUTTON_LEFT: input.button = 0; break;
        case SDL_BUTTON_RIGHT: input.button = 1; break;
        case SDL_BUTTON_MIDDLE: input.button = 2; break;
        case SDL_BUTTON_X1: input.button = 3; break;
        default: return;
        }
        break;
    case SDL_MOUSEWHEEL:
        input.type = Input::Type::Wheel;
        input.notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        break;
    default:
        return;
    }
    Broadcast(input);
}

void Broadcast(const Input& input) {
    std::vector<Mouse*> devices;
    {
        std::lock_guard<std::mutex> lock(RegistryGuard());
        devices = Registry();
        for (Mouse* device : devices) device->AddRef();
    }
    for (Mouse* device : devices) {
        device->Take(input);
        device->Release();
    }
}

}  // namespace

IDirectInputDevice7A* CreateMouse(IUnknown* parent) { return new Mouse(parent); }

}  // namespace layer::dinput

namespace layer::testing {

void InjectMouseMotion(int dx, int dy) {
    layer::dinput::Input input{layer::dinput::Input::Type::Motion};
    input.dx = dx;
    input.dy = dy;
    layer::dinput::Broadcast(input);
}

void InjectMouseButton(int button, bool down) {
    layer::dinput::Input input{layer::dinput::Input::Type::Button};
    input.button = button;
    input.down = down;
    layer::dinput::Broadcast(input);
}

void InjectMouseWheel(int notches) {
    layer::dinput::Input input{layer::dinput::Input::Type::Wheel};
    input.notches = notches;
    layer::dinput::Broadcast(input);
}

}  // namespace layer::testing
