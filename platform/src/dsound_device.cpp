#include "dsound.h"
#include "layer_log.h"

extern "C" HRESULT WINAPI DirectSoundCreate(LPCGUID, LPDIRECTSOUND* directSound, LPUNKNOWN) {
    if (directSound) *directSound = nullptr;
    return layer::Unimplemented("DirectSoundCreate", DSERR_NODRIVER);
}
