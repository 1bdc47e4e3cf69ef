// IDirectInput7A and DirectInputCreateEx: the DirectInput object, which makes
// the system mouse device.
#define DIRECTINPUT_VERSION 0x0700
#include <cstring>

#include "com_object.h"
#include "dinput_mouse.h"
#include "layer_log.h"

namespace layer::dinput {

namespace {

class DirectInput final : public com::Object<IDirectInput7A, IID_IUnknown, IID_IDirectInputA, IID_IDirectInput2A,
                                             IID_IDirectInput7A> {
public:
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
