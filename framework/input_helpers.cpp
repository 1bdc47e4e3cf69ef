#include "input_helpers.h"

#include <cstring>

IDirectInputDevice7A* CreateMouseDevice(IDirectInput7A* input, HWND window, unsigned long bufferSize) {
    IDirectInputDevice7A* mouse = nullptr;
    if (FAILED(input->CreateDeviceEx(GUID_SysMouse, IID_IDirectInputDevice7A, reinterpret_cast<void**>(&mouse),
                                     nullptr)) ||
        !mouse)
        return nullptr;
    DIPROPDWORD property;
    std::memset(&property, 0, sizeof(property));
    property.diph.dwSize = sizeof(DIPROPDWORD);
    property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    property.diph.dwObj = 0;
    property.diph.dwHow = DIPH_DEVICE;
    property.dwData = static_cast<DWORD>(bufferSize);
    if (FAILED(mouse->SetDataFormat(&c_dfDIMouse)) ||
        FAILED(mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND)) ||
        FAILED(mouse->SetProperty(DIPROP_BUFFERSIZE, &property.diph)) || FAILED(mouse->Acquire())) {
        mouse->Release();
        return nullptr;
    }
    return mouse;
}
