// IUnknown of every COM object of the layer: QueryInterface hands out the
// object itself under each IID it answers to, with one more reference, and
// refuses anything else with a null out-pointer and the count untouched.
#define DIRECTINPUT_VERSION 0x0700
#include "display_fixture.h"
#include <dinput.h>
#include <mmsystem.h>
#include <dsound.h>

#include <initializer_list>

#include "seam/audio.h"

namespace {

// No interface of the layer answers to this.
const IID kForeign = {0x6B0D39A1, 0x52C4, 0x4E0F, {0x9A, 0x1B, 0x33, 0x70, 0xC2, 0x5E, 0x81, 0x0D}};

// What the object holds on itself now, beyond nothing.
ULONG Count(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

struct Case {
    const char* name;
    IUnknown* object;
    std::initializer_list<const IID*> accepted;
};

void ExpectIdentity(const Case& c) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.object, nullptr);
    const ULONG held = Count(c.object);
    EXPECT_EQ(c.object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    for (const IID* iid : c.accepted) {
        void* out = nullptr;
        ASSERT_EQ(c.object->QueryInterface(*iid, &out), S_OK);
        EXPECT_EQ(out, static_cast<void*>(c.object));
        EXPECT_EQ(Count(c.object), held + 1);
        EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), held);
    }
    void* out = &out;
    EXPECT_EQ(c.object->QueryInterface(kForeign, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(Count(c.object), held);
}

TEST(ComIdentity, EveryObjectAnswersForItselfOnly) {
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = 8;
    desc.dwHeight = 8;
    IDirectDrawSurface7* surface = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    PALETTEENTRY entries[256]{};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);

    IDirectInput7A* input = nullptr;
    ASSERT_EQ(DirectInputCreateEx(GetModuleHandleA(nullptr), 0x0700, IID_IDirectInput7A,
                                  reinterpret_cast<void**>(&input), nullptr),
              DI_OK);
    IDirectInputDevice7A* mouse = nullptr;
    ASSERT_EQ(input->CreateDeviceEx(GUID_SysMouse, IID_IDirectInputDevice7A, reinterpret_cast<void**>(&mouse),
                                    nullptr),
              DI_OK);

    seam::UseManualAudio(22050, 1);
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    DSBUFFERDESC primaryDesc{};
    primaryDesc.dwSize = sizeof(primaryDesc);
    primaryDesc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&primaryDesc, &primary, nullptr), DS_OK);
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
    DSBUFFERDESC secondaryDesc{};
    secondaryDesc.dwSize = sizeof(secondaryDesc);
    secondaryDesc.dwFlags = DSBCAPS_CTRLPOSITIONNOTIFY;
    secondaryDesc.dwBufferBytes = 400;
    secondaryDesc.lpwfxFormat = &format;
    IDirectSoundBuffer* secondary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&secondaryDesc, &secondary, nullptr), DS_OK);
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(secondary->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)), DS_OK);

    const Case cases[] = {
        {"DirectDraw", dd, {&IID_IUnknown, &IID_IDirectDraw7}},
        {"surface", surface, {&IID_IUnknown, &IID_IDirectDrawSurface7}},
        {"clipper", clipper, {&IID_IUnknown, &IID_IDirectDrawClipper}},
        {"palette", palette, {&IID_IUnknown, &IID_IDirectDrawPalette}},
        {"DirectInput", input, {&IID_IUnknown, &IID_IDirectInputA, &IID_IDirectInput2A, &IID_IDirectInput7A}},
        {"mouse",
         mouse,
         {&IID_IUnknown, &IID_IDirectInputDeviceA, &IID_IDirectInputDevice2A, &IID_IDirectInputDevice7A}},
        {"DirectSound", ds, {&IID_IUnknown, &IID_IDirectSound}},
        {"primary buffer", primary, {&IID_IUnknown, &IID_IDirectSoundBuffer}},
        {"secondary buffer", secondary, {&IID_IUnknown, &IID_IDirectSoundBuffer}},
        // Its IUnknown is the buffer's (see the sound tests).
        {"notify", notify, {&IID_IDirectSoundNotify}},
    };
    for (const Case& c : cases) ExpectIdentity(c);

    // The last notify reference gives the buffer's own back.
    EXPECT_EQ(notify->Release(), 1u);
    EXPECT_EQ(secondary->Release(), 0u);
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(ds->Release(), 0u);
    seam::UseManualAudio(0, 0);
    EXPECT_EQ(mouse->Release(), 0u);
    EXPECT_EQ(input->Release(), 0u);
    EXPECT_EQ(palette->Release(), 0u);
    EXPECT_EQ(clipper->Release(), 0u);
    EXPECT_EQ(surface->Release(), 0u);
    EXPECT_EQ(dd->Release(), 0u);
}

}  // namespace
