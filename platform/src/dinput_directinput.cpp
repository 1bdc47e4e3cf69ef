// IDirectInput7A and DirectInputCreateEx: the DirectInput object, which makes
// the system mouse device.
#define DIRECTINPUT_VERSION 0x0700
#include <atomic>
#include <cstring>

#include "dinput_mouse.h"
#include "layer_log.h"

namespace layer::dinput {

namespace {

class DirectInput final : public IDirectInput7A {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectInputA) ||
            IsEqualGUID(riid, IID_IDirectInput2A) || IsEqualGUID(riid, IID_IDirectInput7A)) {
            AddRef();
            *object = static_cast<IDirectInput7A*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID device, LPDIRECTINPUTDEVICEA* out, LPUNKNOWN outer) override {
        return CreateDeviceEx(device, IID_IDirectInputDeviceA, reinterpret_cast<LPVOID*>(out), outer);
    }

    HRESULT STDMETHODCALLTYPE CreateDeviceEx(REFGUID device, REFIID iid, LPVOID* out, LPUNKNOWN outer) override {
        if (!out) return DIERR_INVALIDPARAM;
        *out = nullptr;
        if (outer) return DIERR_NOAGGREGATION;
        if (!IsEqualGUID(iid, IID_IDirectInputDeviceA) && !IsEqualGUID(iid, IID_IDirectInputDevice2A) &&
            !IsEqualGUID(iid, IID_IDirectInputDevice7A))
            return DIERR_NOINTERFACE;
        if (IsEqualGUID(device, GUID_SysKeyboard))
            return layer::Unimplemented("IDirectInput7A::CreateDeviceEx of the keyboard", DIERR_DEVICENOTREG);
        if (!IsEqualGUID(device, GUID_SysMouse)) return DIERR_DEVICENOTREG;
        *out = CreateMouse(this);
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                                          DWORD) override {
        if (!callback) return DIERR_INVALIDPARAM;
        if (type != 0 && type != DIDEVTYPE_MOUSE) return DI_OK;
        DIDEVICEINSTANCEA instance{};
        instance.dwSize = sizeof(instance);
        instance.guidInstance = GUID_SysMouse;
        instance.guidProduct = GUID_SysMouse;
        instance.dwDevType = DIDEVTYPE_MOUSE | (DIDEVTYPEMOUSE_TRADITIONAL << 8);
        std::strncpy(instance.tszInstanceName, "Mouse", MAX_PATH - 1);
        std::strncpy(instance.tszProductName, "Mouse", MAX_PATH - 1);
        callback(&instance, context);
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceStatus(REFGUID device) override {
        return IsEqualGUID(device, GUID_SysMouse) ? DI_OK : DIERR_DEVICENOTREG;
    }

    HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD) override {
        return layer::Unimplemented("IDirectInput7A::RunControlPanel", DIERR_UNSUPPORTED);
    }

    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD) override { return S_FALSE; }

    HRESULT STDMETHODCALLTYPE FindDevice(REFGUID, LPCSTR, LPGUID) override {
        return layer::Unimplemented("IDirectInput7A::FindDevice", DIERR_DEVICENOTREG);
    }

private:
    ~DirectInput() = default;
    std::atomic<ULONG> refs_{1};
};

}  // namespace

}  // namespace layer::dinput

extern "C" HRESULT WINAPI DirectInputCreateEx(HINSTANCE, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (outer) return DIERR_NOAGGREGATION;
    if (version > 0x0700) return DIERR_OLDDIRECTINPUTVERSION;
    if (version < 0x0300) return DIERR_BETADIRECTINPUTVERSION;
    if (!IsEqualGUID(iid, IID_IDirectInputA) && !IsEqualGUID(iid, IID_IDirectInput2A) &&
        !IsEqualGUID(iid, IID_IDirectInput7A))
        return DIERR_NOINTERFACE;
    *out = static_cast<IDirectInput7A*>(new layer::dinput::DirectInput());
    return DI_OK;
}
