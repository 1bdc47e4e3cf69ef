// DirectInput 7: the system mouse. As with the Windows header, a user asks for
// the DirectX 7 interfaces by defining DIRECTINPUT_VERSION 0x0700 before the
// include; without it the header describes DirectInput 8, whose buffered
// record is longer and which has no DirectInputCreateEx.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "unknwn.h"

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif

// ---------------------------------------------------------------- results
#define DI_OK S_OK
#define DI_NOTATTACHED S_FALSE
#define DI_BUFFEROVERFLOW S_FALSE
#define DI_PROPNOEFFECT S_FALSE
#define DI_NOEFFECT S_FALSE
#define DI_POLLEDDEVICE ((HRESULT)0x00000002L)
#define DI_DOWNLOADSKIPPED ((HRESULT)0x00000003L)
#define DI_EFFECTRESTARTED ((HRESULT)0x00000004L)
#define DI_TRUNCATED ((HRESULT)0x00000008L)
#define DI_SETTINGSNOTSAVED ((HRESULT)0x0000000BL)
#define DI_TRUNCATEDANDRESTARTED ((HRESULT)0x0000000CL)

#define DIERR_OLDDIRECTINPUTVERSION ((HRESULT)0x8007047EL)
#define DIERR_BETADIRECTINPUTVERSION ((HRESULT)0x80070481L)
#define DIERR_BADDRIVERVER ((HRESULT)0x80070077L)
#define DIERR_DEVICENOTREG ((HRESULT)0x80040154L)
#define DIERR_NOTFOUND ((HRESULT)0x80070002L)
#define DIERR_OBJECTNOTFOUND ((HRESULT)0x80070002L)
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_NOINTERFACE E_NOINTERFACE
#define DIERR_GENERIC E_FAIL
#define DIERR_OUTOFMEMORY E_OUTOFMEMORY
#define DIERR_UNSUPPORTED E_NOTIMPL
#define DIERR_NOTINITIALIZED ((HRESULT)0x80070015L)
#define DIERR_ALREADYINITIALIZED ((HRESULT)0x800704DFL)
#define DIERR_NOAGGREGATION CLASS_E_NOAGGREGATION
#define DIERR_OTHERAPPHASPRIO ((HRESULT)0x80070005L)
#define DIERR_INPUTLOST ((HRESULT)0x8007001EL)
#define DIERR_ACQUIRED ((HRESULT)0x800700AAL)
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000CL)
#define DIERR_READONLY ((HRESULT)0x80070005L)
#define DIERR_HANDLEEXISTS ((HRESULT)0x80070005L)
#define DIERR_INSUFFICIENTPRIVS ((HRESULT)0x80040200L)
#define DIERR_DEVICEFULL ((HRESULT)0x80040201L)
#define DIERR_MOREDATA ((HRESULT)0x80040202L)
#define DIERR_NOTDOWNLOADED ((HRESULT)0x80040203L)
#define DIERR_HASEFFECTS ((HRESULT)0x80040204L)
#define DIERR_NOTEXCLUSIVEACQUIRED ((HRESULT)0x80040205L)
#define DIERR_INCOMPLETEEFFECT ((HRESULT)0x80040206L)
#define DIERR_NOTBUFFERED ((HRESULT)0x80040207L)
#define DIERR_EFFECTPLAYING ((HRESULT)0x80040208L)
#define DIERR_UNPLUGGED ((HRESULT)0x80040209L)
#define DIERR_REPORTFULL ((HRESULT)0x8004020AL)

// ---------------------------------------------------------------- flags
#define DISCL_EXCLUSIVE 0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND 0x00000004
#define DISCL_BACKGROUND 0x00000008
#define DISCL_NOWINKEY 0x00000010

#define DIGDD_PEEK 0x00000001

#define DIDF_ABSAXIS 0x00000001
#define DIDF_RELAXIS 0x00000002

#define DIDFT_ALL 0x00000000
#define DIDFT_RELAXIS 0x00000001
#define DIDFT_ABSAXIS 0x00000002
#define DIDFT_AXIS 0x00000003
#define DIDFT_PSHBUTTON 0x00000004
#define DIDFT_TGLBUTTON 0x00000008
#define DIDFT_BUTTON 0x0000000C
#define DIDFT_POV 0x00000010
#define DIDFT_COLLECTION 0x00000040
#define DIDFT_NODATA 0x00000080
#define DIDFT_ANYINSTANCE 0x00FFFF00
#define DIDFT_INSTANCEMASK DIDFT_ANYINSTANCE
#define DIDFT_MAKEINSTANCE(n) ((WORD)(n) << 8)
#define DIDFT_GETINSTANCE(n) LOWORD((n) >> 8)
#define DIDFT_OPTIONAL 0x80000000

#define DIPH_DEVICE 0
#define DIPH_BYOFFSET 1
#define DIPH_BYID 2

#define DIPROPAXISMODE_ABS 0
#define DIPROPAXISMODE_REL 1

#define DIENUM_STOP 0
#define DIENUM_CONTINUE 1

#define DIEDFL_ALLDEVICES 0x00000000
#define DIEDFL_ATTACHEDONLY 0x00000001

#define DIDEVTYPE_DEVICE 1
#define DIDEVTYPE_MOUSE 2
#define DIDEVTYPE_KEYBOARD 3
#define DIDEVTYPE_JOYSTICK 4
#define DIDEVTYPEMOUSE_UNKNOWN 1
#define DIDEVTYPEMOUSE_TRADITIONAL 2

#define DIDC_ATTACHED 0x00000001
#define DIDC_POLLEDDEVICE 0x00000002

// Offsets of the standard mouse format.
#define DIMOFS_X 0
#define DIMOFS_Y 4
#define DIMOFS_Z 8
#define DIMOFS_BUTTON0 12
#define DIMOFS_BUTTON1 13
#define DIMOFS_BUTTON2 14
#define DIMOFS_BUTTON3 15

// ---------------------------------------------------------------- structures
typedef struct DIDEVICEOBJECTDATA {
    DWORD dwOfs;
    DWORD dwData;
    DWORD dwTimeStamp;
    DWORD dwSequence;
#if DIRECTINPUT_VERSION >= 0x0800
    UINT_PTR uAppData;
#endif
} DIDEVICEOBJECTDATA, *LPDIDEVICEOBJECTDATA;
typedef const DIDEVICEOBJECTDATA* LPCDIDEVICEOBJECTDATA;

typedef struct _DIMOUSESTATE {
    LONG lX;
    LONG lY;
    LONG lZ;
    BYTE rgbButtons[4];
} DIMOUSESTATE, *LPDIMOUSESTATE;

typedef struct _DIMOUSESTATE2 {
    LONG lX;
    LONG lY;
    LONG lZ;
    BYTE rgbButtons[8];
} DIMOUSESTATE2, *LPDIMOUSESTATE2;

typedef struct _DIOBJECTDATAFORMAT {
    const GUID* pguid;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
} DIOBJECTDATAFORMAT, *LPDIOBJECTDATAFORMAT;
typedef const DIOBJECTDATAFORMAT* LPCDIOBJECTDATAFORMAT;

typedef struct _DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    LPDIOBJECTDATAFORMAT rgodf;
} DIDATAFORMAT, *LPDIDATAFORMAT;
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;

typedef struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
} DIPROPHEADER, *LPDIPROPHEADER;
typedef const DIPROPHEADER* LPCDIPROPHEADER;

typedef struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
} DIPROPDWORD, *LPDIPROPDWORD;
typedef const DIPROPDWORD* LPCDIPROPDWORD;

typedef struct DIPROPRANGE {
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
} DIPROPRANGE, *LPDIPROPRANGE;
typedef const DIPROPRANGE* LPCDIPROPRANGE;

typedef struct DIDEVCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwDevType;
    DWORD dwAxes;
    DWORD dwButtons;
    DWORD dwPOVs;
    DWORD dwFFSamplePeriod;
    DWORD dwFFMinTimeResolution;
    DWORD dwFirmwareRevision;
    DWORD dwHardwareRevision;
    DWORD dwFFDriverVersion;
} DIDEVCAPS, *LPDIDEVCAPS;

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

typedef struct DIDEVICEOBJECTINSTANCEA {
    DWORD dwSize;
    GUID guidType;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
    CHAR tszName[MAX_PATH];
    DWORD dwFFMaxForce;
    DWORD dwFFForceResolution;
    WORD wCollectionNumber;
    WORD wDesignatorIndex;
    WORD wUsagePage;
    WORD wUsage;
    DWORD dwDimension;
    WORD wExponent;
    WORD wReserved;
} DIDEVICEOBJECTINSTANCEA, *LPDIDEVICEOBJECTINSTANCEA;
typedef const DIDEVICEOBJECTINSTANCEA* LPCDIDEVICEOBJECTINSTANCEA;

typedef struct DIDEVICEINSTANCEA {
    DWORD dwSize;
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    CHAR tszInstanceName[MAX_PATH];
    CHAR tszProductName[MAX_PATH];
    GUID guidFFDriver;
    WORD wUsagePage;
    WORD wUsage;
} DIDEVICEINSTANCEA, *LPDIDEVICEINSTANCEA;
typedef const DIDEVICEINSTANCEA* LPCDIDEVICEINSTANCEA;

// Force-feedback records are only passed through by address here.
typedef struct DIEFFECT DIEFFECT;
typedef DIEFFECT* LPDIEFFECT;
typedef const DIEFFECT* LPCDIEFFECT;
typedef struct DIEFFECTINFOA DIEFFECTINFOA;
typedef DIEFFECTINFOA* LPDIEFFECTINFOA;
typedef const DIEFFECTINFOA* LPCDIEFFECTINFOA;
typedef struct DIEFFESCAPE DIEFFESCAPE;
typedef DIEFFESCAPE* LPDIEFFESCAPE;
typedef struct DIFILEEFFECT DIFILEEFFECT;
typedef DIFILEEFFECT* LPDIFILEEFFECT;
typedef const DIFILEEFFECT* LPCDIFILEEFFECT;

struct IDirectInputEffect;
typedef IDirectInputEffect* LPDIRECTINPUTEFFECT;
struct IDirectInputDeviceA;
typedef IDirectInputDeviceA* LPDIRECTINPUTDEVICEA;

typedef BOOL(CALLBACK* LPDIENUMDEVICESCALLBACKA)(LPCDIDEVICEINSTANCEA instance, LPVOID context);
typedef BOOL(CALLBACK* LPDIENUMDEVICEOBJECTSCALLBACKA)(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context);
typedef BOOL(CALLBACK* LPDIENUMEFFECTSCALLBACKA)(LPCDIEFFECTINFOA effect, LPVOID context);
typedef BOOL(CALLBACK* LPDIENUMCREATEDEFFECTOBJECTSCALLBACK)(LPDIRECTINPUTEFFECT effect, LPVOID context);
typedef BOOL(CALLBACK* LPDIENUMEFFECTSINFILECALLBACK)(LPCDIFILEEFFECT effect, LPVOID context);

static_assert(sizeof(DIMOUSESTATE) == 16 && sizeof(DIMOUSESTATE2) == 20, "mouse state layouts");
static_assert(sizeof(DIPROPHEADER) == 16 && sizeof(DIPROPDWORD) == 20 && sizeof(DIPROPRANGE) == 24,
              "property layouts");
static_assert(sizeof(DIDEVICEOBJECTDATA) == (DIRECTINPUT_VERSION >= 0x0800 ? 16 + sizeof(UINT_PTR) : 16),
              "buffered record layout");
static_assert(sizeof(DIOBJECTDATAFORMAT) == (sizeof(void*) == 8 ? 24 : 16), "DIOBJECTDATAFORMAT layout");
static_assert(sizeof(DIDATAFORMAT) == (sizeof(void*) == 8 ? 32 : 24), "DIDATAFORMAT layout");
static_assert(sizeof(DIDEVCAPS) == 44 && sizeof(DIDEVICEINSTANCEA) == 580 && sizeof(DIDEVICEOBJECTINSTANCEA) == 316,
              "device description layouts");

// ---------------------------------------------------------------- GUIDs and formats
#pragma GCC visibility push(default)
extern "C" {
extern const GUID GUID_SysMouse;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_XAxis;
extern const GUID GUID_YAxis;
extern const GUID GUID_ZAxis;
extern const GUID GUID_Button;
extern const IID IID_IDirectInputA;
extern const IID IID_IDirectInput2A;
extern const IID IID_IDirectInput7A;
extern const IID IID_IDirectInputDeviceA;
extern const IID IID_IDirectInputDevice2A;
extern const IID IID_IDirectInputDevice7A;

extern const DIDATAFORMAT c_dfDIMouse;
extern const DIDATAFORMAT c_dfDIMouse2;
}
#pragma GCC visibility pop

// Predefined properties are small integers passed where a GUID reference is
// expected. Binding a reference to address 1 trips the alignment sanitizer,
// so here each property is an object of the program's own that carries its
// integer, and the layer recognises both it and the bare integer.
inline constexpr GUID winlayer_DIPROP_BUFFERSIZE = {1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID winlayer_DIPROP_AXISMODE = {2, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID winlayer_DIPROP_GRANULARITY = {3, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID winlayer_DIPROP_RANGE = {4, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
#define MAKEDIPROP(prop) (*(const GUID*)(prop))
#define DIPROP_BUFFERSIZE winlayer_DIPROP_BUFFERSIZE
#define DIPROP_AXISMODE winlayer_DIPROP_AXISMODE
#define DIPROP_GRANULARITY winlayer_DIPROP_GRANULARITY
#define DIPROP_RANGE winlayer_DIPROP_RANGE

// ---------------------------------------------------------------- interfaces
struct IDirectInputDeviceA : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetCapabilities(LPDIDEVCAPS caps) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context,
                                                  DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(REFGUID property, LPDIPROPHEADER header) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, LPCDIPROPHEADER header) = 0;
    virtual HRESULT STDMETHODCALLTYPE Acquire() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unacquire() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceData(DWORD recordSize, LPDIDEVICEOBJECTDATA records, LPDWORD count,
                                                    DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetEventNotification(HANDLE event) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA object, DWORD obj, DWORD how) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceInfo(LPDIDEVICEINSTANCEA instance) = 0;
    virtual HRESULT STDMETHODCALLTYPE RunControlPanel(HWND owner, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE instance, DWORD version, REFGUID device) = 0;
};

struct IDirectInputDevice2A : public IDirectInputDeviceA {
    virtual HRESULT STDMETHODCALLTYPE CreateEffect(REFGUID effect, LPCDIEFFECT params, LPDIRECTINPUTEFFECT* out,
                                                   LPUNKNOWN outer) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumEffects(LPDIENUMEFFECTSCALLBACKA callback, LPVOID context,
                                                  DWORD type) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEffectInfo(LPDIEFFECTINFOA info, REFGUID effect) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetForceFeedbackState(LPDWORD state) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendForceFeedbackCommand(DWORD command) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK callback,
                                                               LPVOID context, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Escape(LPDIEFFESCAPE escape) = 0;
    virtual HRESULT STDMETHODCALLTYPE Poll() = 0;
    virtual HRESULT STDMETHODCALLTYPE SendDeviceData(DWORD recordSize, LPCDIDEVICEOBJECTDATA records, LPDWORD count,
                                                     DWORD flags) = 0;
};

struct IDirectInputDevice7A : public IDirectInputDevice2A {
    virtual HRESULT STDMETHODCALLTYPE EnumEffectsInFile(LPCSTR fileName, LPDIENUMEFFECTSINFILECALLBACK callback,
                                                        LPVOID context, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteEffectToFile(LPCSTR fileName, DWORD count, LPDIFILEEFFECT effects,
                                                        DWORD flags) = 0;
};
typedef IDirectInputDevice2A* LPDIRECTINPUTDEVICE2A;
typedef IDirectInputDevice7A* LPDIRECTINPUTDEVICE7A;

struct IDirectInputA : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID device, LPDIRECTINPUTDEVICEA* out, LPUNKNOWN outer) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                                                  DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceStatus(REFGUID device) = 0;
    virtual HRESULT STDMETHODCALLTYPE RunControlPanel(HWND owner, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE instance, DWORD version) = 0;
};

struct IDirectInput2A : public IDirectInputA {
    virtual HRESULT STDMETHODCALLTYPE FindDevice(REFGUID deviceClass, LPCSTR name, LPGUID instance) = 0;
};

struct IDirectInput7A : public IDirectInput2A {
    virtual HRESULT STDMETHODCALLTYPE CreateDeviceEx(REFGUID device, REFIID iid, LPVOID* out, LPUNKNOWN outer) = 0;
};
typedef IDirectInputA* LPDIRECTINPUTA;
typedef IDirectInput2A* LPDIRECTINPUT2A;
typedef IDirectInput7A* LPDIRECTINPUT7A;

#if DIRECTINPUT_VERSION < 0x0800
extern "C" WINLAYER_API HRESULT WINAPI DirectInputCreateEx(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out,
                                              LPUNKNOWN outer);
#endif
