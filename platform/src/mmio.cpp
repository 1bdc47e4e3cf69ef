#include "mmsystem.h"
#include "layer_log.h"
#include "winerror.h"

namespace {
MMRESULT Missing(const char* api) {
    layer::Unimplemented(api, E_NOTIMPL);
    return MMSYSERR_NOTSUPPORTED;
}
}  // namespace

extern "C" {
FOURCC WINAPI mmioStringToFOURCCA(LPCSTR, UINT) { return Missing("mmioStringToFOURCCA"), 0; }
HMMIO WINAPI mmioOpenA(LPSTR, LPMMIOINFO info, DWORD) {
    if (info) info->wErrorRet = Missing("mmioOpenA");
    else Missing("mmioOpenA");
    return nullptr;
}
MMRESULT WINAPI mmioClose(HMMIO, UINT) { return Missing("mmioClose"); }
LONG WINAPI mmioRead(HMMIO, HPSTR, LONG) { return Missing("mmioRead"), -1; }
LONG WINAPI mmioWrite(HMMIO, const char*, LONG) { return Missing("mmioWrite"), -1; }
LONG WINAPI mmioSeek(HMMIO, LONG, int) { return Missing("mmioSeek"), -1; }
MMRESULT WINAPI mmioGetInfo(HMMIO, LPMMIOINFO, UINT) { return Missing("mmioGetInfo"); }
MMRESULT WINAPI mmioSetInfo(HMMIO, LPCMMIOINFO, UINT) { return Missing("mmioSetInfo"); }
MMRESULT WINAPI mmioSetBuffer(HMMIO, LPSTR, LONG, UINT) { return Missing("mmioSetBuffer"); }
MMRESULT WINAPI mmioFlush(HMMIO, UINT) { return Missing("mmioFlush"); }
MMRESULT WINAPI mmioAdvance(HMMIO, LPMMIOINFO, UINT) { return Missing("mmioAdvance"); }
MMRESULT WINAPI mmioDescend(HMMIO, LPMMCKINFO, const MMCKINFO*, UINT) { return Missing("mmioDescend"); }
MMRESULT WINAPI mmioAscend(HMMIO, LPMMCKINFO, UINT) { return Missing("mmioAscend"); }
MMRESULT WINAPI mmioCreateChunk(HMMIO, LPMMCKINFO, UINT) { return Missing("mmioCreateChunk"); }
}
