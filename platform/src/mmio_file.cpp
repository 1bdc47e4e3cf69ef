#include "mmio_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

#include "layer_log.h"
#include "regular_file.h"
#include "winerror.h"

namespace layer {

namespace {

// A caller may ask for any I/O buffer size; beyond this it is refused rather
// than allocated.
constexpr LONG kMaxIoBuffer = 16 * 1024 * 1024;

// Never destroyed: a program's static objects may close their files while
// the process exits, after statics made later than theirs (this registry,
// made at the first open) are gone.
std::mutex& RegistryLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}
std::unordered_set<MmioFile*>& Registry() {
    static auto* files = new std::unordered_set<MmioFile*>;
    return *files;
}

}  // namespace

MmioFile* MmioFile::Open(const char* fileName, const MMIOINFO* info, DWORD flags, UINT& error) {
    error = MMSYSERR_NOERROR;
    const DWORD mode = flags & MMIO_RWMODE;
    const DWORD unsupported = MMIO_CREATE | MMIO_PARSE | MMIO_DELETE | MMIO_EXIST | MMIO_GETTEMP;
    if (flags & unsupported) {
        Unimplemented("mmioOpenA (create, parse, delete, exist or gettemp)", E_NOTIMPL);
        error = MMSYSERR_NOTSUPPORTED;
        return nullptr;
    }
    if (mode == 3) {
        error = MMSYSERR_INVALFLAG;
        return nullptr;
    }
    if (info && info->pIOProc) {
        Unimplemented("mmioOpenA (custom I/O procedure)", E_NOTIMPL);
        error = MMSYSERR_NOTSUPPORTED;
        return nullptr;
    }

    std::unique_ptr<MmioFile> file(new (std::nothrow) MmioFile);
    if (!file) {
        error = MMIOERR_OUTOFMEMORY;
        return nullptr;
    }
    file->state.dwFlags = flags;

    const FOURCC procedure = info ? info->fccIOProc : 0;
    if (procedure == FOURCC_MEM) {
        // A memory file: the buffer is the file. The caller's memory is used
        // as it is; with MMIO_ALLOCBUF and no memory, a zeroed block is made.
        LONG size = info->cchBuffer;
        char* data = info->pchBuffer;
        if (size < 0 || (!data && size > 0 && !(flags & MMIO_ALLOCBUF))) {
            error = MMSYSERR_INVALPARAM;
            return nullptr;
        }
        if (!data) {
            if (size > kMaxIoBuffer) {
                error = MMIOERR_OUTOFMEMORY;
                return nullptr;
            }
            file->ownedBuffer.reset(new (std::nothrow) char[size > 0 ? size : 1]());
            if (!file->ownedBuffer) {
                error = MMIOERR_OUTOFMEMORY;
                return nullptr;
            }
            data = file->ownedBuffer.get();
        }
        file->memory = true;
        file->buffered = true;
        file->state.fccIOProc = FOURCC_MEM;
        file->state.cchBuffer = size;
        file->state.pchBuffer = data;
        file->state.pchNext = data;
        file->state.pchEndRead = data + size;
        file->state.pchEndWrite = mode == MMIO_READ ? data : data + size;
        file->state.lBufOffset = 0;
        file->state.lDiskOffset = size;
    } else if (procedure == 0 || procedure == FOURCC_DOS) {
        if (!fileName) {
            error = MMIOERR_FILENOTFOUND;
            return nullptr;
        }
        if (mode != MMIO_READ) {
            Unimplemented("mmioOpenA (disk file for writing)", E_NOTIMPL);
            error = MMIOERR_CANNOTWRITE;
            return nullptr;
        }
        const int fd = OpenRegularFile(fileName);
        if (fd < 0) {
            error = errno == EACCES ? MMIOERR_ACCESSDENIED
                    : errno == ENOENT ? MMIOERR_FILENOTFOUND
                                      : MMIOERR_CANNOTOPEN;
            return nullptr;
        }
        file->fd = fd;
        file->state.fccIOProc = FOURCC_DOS;
        if (flags & MMIO_ALLOCBUF) {
            LONG size = info && info->cchBuffer > 0 ? info->cchBuffer : MMIO_DEFAULTBUFFER;
            if (size > kMaxIoBuffer) {
                error = MMIOERR_OUTOFMEMORY;
                return nullptr;
            }
            file->ownedBuffer.reset(new (std::nothrow) char[size]);
            if (!file->ownedBuffer) {
                error = MMIOERR_OUTOFMEMORY;
                return nullptr;
            }
            file->buffered = true;
            file->state.cchBuffer = size;
            file->state.pchBuffer = file->ownedBuffer.get();
        }
        file->Reposition(0);
    } else {
        Unimplemented("mmioOpenA (installable I/O procedure)", E_NOTIMPL);
        error = MMSYSERR_NOTSUPPORTED;
        return nullptr;
    }

    MmioFile* opened = file.release();
    opened->state.hmmio = opened->Handle();
    std::lock_guard<std::mutex> lock(RegistryLock());
    Registry().insert(opened);
    return opened;
}

MmioFile::~MmioFile() {
    if (fd >= 0) ::close(fd);
}

MmioFile* MmioFile::FromHandle(HMMIO handle) {
    auto* file = reinterpret_cast<MmioFile*>(handle);
    std::lock_guard<std::mutex> lock(RegistryLock());
    return Registry().count(file) ? file : nullptr;
}

void MmioFile::Close(MmioFile* file) {
    {
        std::lock_guard<std::mutex> lock(RegistryLock());
        Registry().erase(file);
    }
    delete file;
}

std::int64_t MmioFile::Tell() const {
    if (!buffered) return state.lDiskOffset;
    return static_cast<std::int64_t>(state.lBufOffset) + (state.pchNext - state.pchBuffer);
}

std::int64_t MmioFile::Size() const {
    if (memory) return state.cchBuffer;
    struct stat info;
    if (::fstat(fd, &info) != 0) return 0;
    // Positions are LONGs: anything past 2 GiB is out of reach.
    return std::min<std::int64_t>(info.st_size, LONG_MAX);
}

void MmioFile::Reposition(std::int64_t at) {
    if (memory) {
        state.pchNext = state.pchBuffer + at;
        return;
    }
    state.lBufOffset = static_cast<LONG>(at);
    state.lDiskOffset = static_cast<LONG>(at);
    state.pchNext = state.pchBuffer;
    state.pchEndRead = state.pchBuffer;
    state.pchEndWrite = state.pchBuffer;
}

bool MmioFile::Fill(std::int64_t at) {
    Reposition(at);
    ssize_t got;
    do {
        got = ::pread(fd, state.pchBuffer, static_cast<size_t>(state.cchBuffer), static_cast<off_t>(at));
    } while (got < 0 && errno == EINTR);
    if (got < 0) return false;
    state.pchEndRead = state.pchBuffer + got;
    state.lDiskOffset = static_cast<LONG>(at + got);
    return true;
}

LONG MmioFile::Read(char* destination, LONG count) {
    if (count < 0 || (count > 0 && !destination)) return -1;
    LONG copied = 0;
    if (!buffered) {
        while (copied < count) {
            ssize_t got = ::pread(fd, destination + copied, static_cast<size_t>(count - copied),
                                  static_cast<off_t>(state.lDiskOffset));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return -1;
            if (got == 0) break;
            copied += static_cast<LONG>(got);
            state.lDiskOffset += static_cast<LONG>(got);
        }
        return copied;
    }
    while (copied < count) {
        if (state.pchNext >= state.pchEndRead) {
            if (memory || !Fill(Tell())) break;
            if (state.pchNext >= state.pchEndRead) break;
        }
        LONG run = static_cast<LONG>(std::min<std::int64_t>(state.pchEndRead - state.pchNext, count - copied));
        std::memcpy(destination + copied, state.pchNext, static_cast<size_t>(run));
        state.pchNext += run;
        copied += run;
    }
    return copied;
}

LONG MmioFile::Seek(LONG offset, int origin) {
    std::int64_t base;
    switch (origin) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = Tell(); break;
        case SEEK_END: base = Size(); break;
        default: return -1;
    }
    const std::int64_t target = base + offset;
    // Past the end is refused here, so that no later read can start there.
    if (target < 0 || target > Size()) return -1;
    if (!buffered) {
        state.lDiskOffset = static_cast<LONG>(target);
    } else if (memory) {
        Reposition(target);
    } else {
        const std::int64_t start = state.lBufOffset;
        const std::int64_t end = start + (state.pchEndRead - state.pchBuffer);
        if (target >= start && target <= end)
            state.pchNext = state.pchBuffer + (target - start);
        else
            Reposition(target);
    }
    return static_cast<LONG>(target);
}

void MmioFile::GetInfo(MMIOINFO& out) const { out = state; }

bool MmioFile::ValidNext(const char* next) const {
    if (!buffered) return next == nullptr || next == state.pchNext;
    const char* limit = std::max(state.pchEndRead, state.pchEndWrite);
    return next >= state.pchBuffer && next <= limit;
}

MMRESULT MmioFile::SetInfo(const MMIOINFO& in) {
    // Only the read/write pointer comes back; the buffer itself stays ours.
    if (!ValidNext(in.pchNext)) return MMSYSERR_INVALPARAM;
    if (buffered) state.pchNext = in.pchNext;
    if (in.dwFlags & MMIO_DIRTY) {
        return Unimplemented("mmioSetInfo (written buffer)", E_NOTIMPL), MMIOERR_CANNOTWRITE;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT MmioFile::Advance(MMIOINFO* info, UINT flags) {
    if (!buffered) return MMIOERR_UNBUFFERED;
    if (flags != MMIO_READ) {
        return Unimplemented("mmioAdvance (MMIO_WRITE)", E_NOTIMPL), MMIOERR_CANNOTWRITE;
    }
    if (info) {
        if (!ValidNext(info->pchNext)) return MMSYSERR_INVALPARAM;
        state.pchNext = info->pchNext;
    }
    // The refill starts where the caller stands, so nothing is skipped or
    // read twice. A memory file has nothing beyond its buffer: at its end the
    // caller simply finds pchNext equal to pchEndRead.
    if (!memory && !Fill(Tell())) return MMIOERR_CANNOTREAD;
    if (info) *info = state;
    return MMSYSERR_NOERROR;
}

}  // namespace layer
