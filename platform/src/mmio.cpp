// winmm's buffered multimedia file I/O and its RIFF chunk navigation. Files
// are untrusted: chunk sizes are checked against the parent chunk and the end
// of the file with 64-bit arithmetic, and every search moves forward by at
// least one chunk header, so it ends.
#include <cctype>
#include <cstdint>

#include "layer_log.h"
#include "mmio_file.h"
#include "mmsystem.h"
#include "winerror.h"

using layer::MmioFile;

namespace {

MMRESULT Missing(const char* api, MMRESULT result) {
    layer::Unimplemented(api, E_NOTIMPL);
    return result;
}

DWORD LittleEndian(const unsigned char* bytes) {
    return static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) |
           (static_cast<DWORD>(bytes[2]) << 16) | (static_cast<DWORD>(bytes[3]) << 24);
}

bool IsListLike(FOURCC id) { return id == FOURCC_RIFF || id == FOURCC_LIST; }

// One chunk header at the current position, within `limit`.
bool ReadHeader(MmioFile& file, std::int64_t limit, MMCKINFO& chunk) {
    const std::int64_t start = file.Tell();
    if (start + 8 > limit) return false;
    unsigned char header[12];
    if (file.Read(reinterpret_cast<char*>(header), 8) != 8) return false;
    chunk.ckid = LittleEndian(header);
    chunk.cksize = LittleEndian(header + 4);
    chunk.dwDataOffset = static_cast<DWORD>(start + 8);
    chunk.dwFlags = 0;
    chunk.fccType = 0;
    if (IsListLike(chunk.ckid)) {
        if (start + 12 > limit || file.Read(reinterpret_cast<char*>(header + 8), 4) != 4) return false;
        chunk.fccType = LittleEndian(header + 8);
    }
    return true;
}

// The first byte after a chunk, with the pad byte of an odd size.
std::int64_t ChunkEnd(const MMCKINFO& chunk) {
    const std::int64_t size = chunk.cksize;
    return static_cast<std::int64_t>(chunk.dwDataOffset) + size + (size & 1);
}

}  // namespace

extern "C" {

FOURCC WINAPI mmioStringToFOURCCA(LPCSTR sz, UINT uFlags) {
    unsigned char code[4] = {' ', ' ', ' ', ' '};
    for (int i = 0; sz && i < 4 && sz[i]; ++i) {
        unsigned char c = static_cast<unsigned char>(sz[i]);
        code[i] = (uFlags & MMIO_TOUPPER) ? static_cast<unsigned char>(std::toupper(c)) : c;
    }
    return mmioFOURCC(code[0], code[1], code[2], code[3]);
}

HMMIO WINAPI mmioOpenA(LPSTR pszFileName, LPMMIOINFO pmmioinfo, DWORD fdwOpen) {
    UINT error = MMSYSERR_NOERROR;
    MmioFile* file = MmioFile::Open(pszFileName, pmmioinfo, fdwOpen, error);
    if (pmmioinfo) pmmioinfo->wErrorRet = error;
    return file ? file->Handle() : nullptr;
}

MMRESULT WINAPI mmioClose(HMMIO hmmio, UINT) {
    MmioFile* file = MmioFile::FromHandle(hmmio);
    if (!file) return MMSYSERR_INVALHANDLE;
    MmioFile::Close(file);
    return MMSYSERR_NOERROR;
}

LONG WINAPI mmioRead(HMMIO hmmio, HPSTR pch, LONG cch) {
    MmioFile* file = MmioFile::FromHandle(hmmio);
    return file ? file->Read(pch, cch) : -1;
}

LONG WINAPI mmioWrite(HMMIO, const char*, LONG) { return static_cast<LONG>(Missing("mmioWrite", 0)) - 1; }

LONG WINAPI mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin) {
    MmioFile* file = MmioFile::FromHandle(hmmio);
    return file ? file->Seek(lOffset, iOrigin) : -1;
}

MMRESULT WINAPI mmioGetInfo(HMMIO hmmio, LPMMIOINFO pmmioinfo, UINT) {
    MmioFile* file = MmioFile::FromHandle(hmmio);
    if (!file) return MMSYSERR_INVALHANDLE;
    if (!pmmioinfo) return MMSYSERR_INVALPARAM;
    file->GetInfo(*pmmioinfo);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mmioSetInfo(HMMIO hmmio, LPCMMIOINFO pmmioinfo, UINT) {
    MmioFile* file = MmioFile::FromHandle(hmmio);
    if (!file) return MMSYSERR_INVALHANDLE;
    if (!pmmioinfo) return MMSYSERR_INVALPARAM;
    return file->SetInfo(*pmmioinfo);
}

MMRESULT WINAPI mmioAdvance(HMMIO hmmio, LPMMIOINFO pmmioinfo, UINT fuAdvance) {
    MmioFile* file = MmioFile::FromHandle(hmmio);
    if (!file) return MMSYSERR_INVALHANDLE;
    return file->Advance(pmmioinfo, fuAdvance);
}

MMRESULT WINAPI mmioSetBuffer(HMMIO, LPSTR, LONG, UINT) { return Missing("mmioSetBuffer", MMSYSERR_NOTSUPPORTED); }
MMRESULT WINAPI mmioFlush(HMMIO, UINT) { return Missing("mmioFlush", MMSYSERR_NOTSUPPORTED); }
MMRESULT WINAPI mmioCreateChunk(HMMIO, LPMMCKINFO, UINT) {
    return Missing("mmioCreateChunk", MMIOERR_CANNOTWRITE);
}

MMRESULT WINAPI mmioDescend(HMMIO hmmio, LPMMCKINFO pmmcki, const MMCKINFO* pmmckiParent, UINT fuDescend) {
    MmioFile* file = MmioFile::FromHandle(hmmio);
    if (!file) return MMSYSERR_INVALHANDLE;
    if (!pmmcki) return MMSYSERR_INVALPARAM;

    // The search stays inside the parent's data and inside the file.
    std::int64_t limit = file->Size();
    if (pmmckiParent) {
        const std::int64_t parentEnd =
            static_cast<std::int64_t>(pmmckiParent->dwDataOffset) + pmmckiParent->cksize;
        if (parentEnd < limit) limit = parentEnd;
    }

    const FOURCC wantedId = pmmcki->ckid;
    const FOURCC wantedType = pmmcki->fccType;
    UINT search = fuDescend & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST);
    const std::int64_t origin = file->Tell();
    MMCKINFO chunk{};
    for (;;) {
        if (!ReadHeader(*file, limit, chunk)) {
            file->Seek(static_cast<LONG>(origin), SEEK_SET);
            return MMIOERR_CHUNKNOTFOUND;
        }
        bool found;
        switch (search) {
            case 0: found = true; break;
            case MMIO_FINDCHUNK: found = chunk.ckid == wantedId; break;
            case MMIO_FINDRIFF: found = chunk.ckid == FOURCC_RIFF && chunk.fccType == wantedType; break;
            case MMIO_FINDLIST: found = chunk.ckid == FOURCC_LIST && chunk.fccType == wantedType; break;
            default: return MMSYSERR_INVALFLAG;
        }
        if (found) {
            *pmmcki = chunk;
            return MMSYSERR_NOERROR;
        }
        const std::int64_t next = ChunkEnd(chunk);
        if (next >= limit || file->Seek(static_cast<LONG>(next), SEEK_SET) < 0) {
            file->Seek(static_cast<LONG>(origin), SEEK_SET);
            return MMIOERR_CHUNKNOTFOUND;
        }
    }
}

MMRESULT WINAPI mmioAscend(HMMIO hmmio, LPMMCKINFO pmmcki, UINT) {
    MmioFile* file = MmioFile::FromHandle(hmmio);
    if (!file) return MMSYSERR_INVALHANDLE;
    if (!pmmcki) return MMSYSERR_INVALPARAM;
    if (pmmcki->dwFlags & MMIO_DIRTY) return Missing("mmioAscend (written chunk)", MMIOERR_CANNOTWRITE);
    // A chunk that claims to run past the file leaves the file at its end.
    std::int64_t end = ChunkEnd(*pmmcki);
    if (end > file->Size()) end = file->Size();
    if (file->Seek(static_cast<LONG>(end), SEEK_SET) < 0) return MMIOERR_CANNOTSEEK;
    return MMSYSERR_NOERROR;
}

}  // extern "C"
