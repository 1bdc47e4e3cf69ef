// The open multimedia file behind an HMMIO: a disk file read through an
// optional I/O buffer, or a memory file whose buffer is the whole file. All
// positions are checked against the real end of the data, so a hostile size
// field can never make a read leave it.
#pragma once

#include <cstdint>
#include <memory>

#include "mmsystem.h"

namespace layer {

class MmioFile {
public:
    // Opens per mmioOpenA; on failure returns null and sets `error`.
    static MmioFile* Open(const char* fileName, const MMIOINFO* info, DWORD flags, UINT& error);
    ~MmioFile();

    MmioFile(const MmioFile&) = delete;
    MmioFile& operator=(const MmioFile&) = delete;

    HMMIO Handle() { return reinterpret_cast<HMMIO>(this); }
    // The live file behind a handle, or null for anything else.
    static MmioFile* FromHandle(HMMIO handle);
    static void Close(MmioFile* file);

    LONG Read(char* destination, LONG count);
    LONG Seek(LONG offset, int origin);
    std::int64_t Tell() const;
    std::int64_t Size() const;

    void GetInfo(MMIOINFO& out) const;
    MMRESULT SetInfo(const MMIOINFO& in);
    MMRESULT Advance(MMIOINFO* info, UINT flags);

private:
    MmioFile() = default;
    // Refills the I/O buffer of a disk file starting at file offset `at`.
    bool Fill(std::int64_t at);
    // Empties the buffer and stands at `at`.
    void Reposition(std::int64_t at);
    bool ValidNext(const char* next) const;

    MMIOINFO state{};
    bool memory = false;
    bool buffered = false;
    int fd = -1;
    std::unique_ptr<char[]> ownedBuffer;
};

}  // namespace layer
