// Multimedia file I/O: memory and disk files, chunk navigation inside its
// parent, direct buffer access, and files that lie about their sizes.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "riff_builder.h"

using riff::Bytes;

namespace {

const FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
const FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
const FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

HMMIO OpenMemory(Bytes& bytes, DWORD flags = MMIO_READWRITE) {
    MMIOINFO info;
    std::memset(&info, 0, sizeof(info));
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = reinterpret_cast<HPSTR>(bytes.data());
    info.cchBuffer = static_cast<LONG>(bytes.size());
    return mmioOpenA(nullptr, &info, flags);
}

// A disk copy of `bytes`, removed when the test ends.
struct TempFile {
    explicit TempFile(const Bytes& bytes) {
        char name[] = "mmio_test_XXXXXX";
        int fd = mkstemp(name);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
        path = name;
    }
    ~TempFile() { std::remove(path.c_str()); }
    std::string path;
};

Bytes SampleWave() {
    return riff::Riff("WAVE", {riff::Chunk("LIST", riff::Counting(5, 200)),  // odd: padded
                               riff::Chunk("fmt ", riff::Format(1, 1, 22050, 16)),
                               riff::Chunk("data", riff::Counting(10))});
}

TEST(Mmio, DescendFindsChunksInsideTheRiffFormOfMemoryAndDiskFiles) {
    Bytes bytes = SampleWave();
    TempFile disk(bytes);
    HMMIO handles[] = {OpenMemory(bytes), mmioOpenA(disk.path.data(), nullptr, MMIO_READ | MMIO_ALLOCBUF),
                       mmioOpenA(disk.path.data(), nullptr, MMIO_READ)};
    for (HMMIO file : handles) {
        ASSERT_NE(file, nullptr);
        MMCKINFO form{};
        ASSERT_EQ(mmioDescend(file, &form, nullptr, 0), MMSYSERR_NOERROR);
        EXPECT_EQ(form.ckid, FOURCC_RIFF);
        EXPECT_EQ(form.fccType, kWave);
        EXPECT_EQ(form.cksize, bytes.size() - 8);
        EXPECT_EQ(form.dwDataOffset, 8u);
        EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), 12);

        // The LIST chunk's odd size is padded: "fmt " is still found.
        MMCKINFO chunk{};
        chunk.ckid = kFmt;
        ASSERT_EQ(mmioDescend(file, &chunk, &form, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
        EXPECT_EQ(chunk.cksize, 16u);
        EXPECT_EQ(chunk.dwDataOffset, 12u + 8 + 5 + 1 + 8);
        char format[16];
        EXPECT_EQ(mmioRead(file, format, 16), 16);
        EXPECT_EQ(format[0], 1);
        EXPECT_EQ(mmioAscend(file, &chunk, 0), MMSYSERR_NOERROR);

        chunk.ckid = kData;
        ASSERT_EQ(mmioDescend(file, &chunk, &form, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
        EXPECT_EQ(chunk.cksize, 10u);
        char samples[16];
        EXPECT_EQ(mmioRead(file, samples, 16), 10) << "a read stops at the end of the file";
        EXPECT_EQ(samples[9], 9);
        EXPECT_EQ(mmioRead(file, samples, 16), 0);

        // Nothing called "smpl" lies inside the form.
        EXPECT_EQ(mmioSeek(file, 12, SEEK_SET), 12);
        chunk.ckid = mmioFOURCC('s', 'm', 'p', 'l');
        EXPECT_EQ(mmioDescend(file, &chunk, &form, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
        EXPECT_EQ(mmioClose(file, 0), MMSYSERR_NOERROR);
    }
}

TEST(Mmio, FindRiffSkipsOtherFormsAndTheSearchStaysInsideTheParent) {
    Bytes bytes = riff::Riff("AVI ", {riff::Chunk("data", riff::Counting(4))});
    Bytes wave = riff::Riff("WAVE", {riff::Chunk("abcd", riff::Counting(2))});
    bytes.insert(bytes.end(), wave.begin(), wave.end());
    HMMIO file = OpenMemory(bytes);
    ASSERT_NE(file, nullptr);
    MMCKINFO form{};
    form.fccType = kWave;
    ASSERT_EQ(mmioDescend(file, &form, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(form.dwDataOffset, 12u + 12 + 8);

    // "data" exists only in the first form, outside this parent.
    MMCKINFO chunk{};
    chunk.ckid = kData;
    EXPECT_EQ(mmioDescend(file, &chunk, &form, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    mmioClose(file, 0);
}

TEST(Mmio, HostileSizesNeitherReadOutsideTheDataNorLoop) {
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const Case cases[] = {
        {"chunk size of 0xFFFFFFFF before data",
         riff::Riff("WAVE", {riff::Chunk("junk", riff::Counting(4), 0xFFFFFFFF), riff::Chunk("data", riff::Counting(4))})},
        {"chunk size of 0xFFFFFFFE",
         riff::Riff("WAVE", {riff::Chunk("junk", riff::Counting(4), 0xFFFFFFFE)})},
        {"RIFF size beyond the file", riff::Riff("WAVE", {riff::Chunk("junk", riff::Counting(2))}, 0x7FFFFFF0)},
        {"RIFF size smaller than its chunks",
         riff::Riff("WAVE", {riff::Chunk("junk", riff::Counting(2)), riff::Chunk("data", riff::Counting(2))}, 4)},
        {"header cut short", Bytes{'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E', 'd', 'a', 't'}},
        {"zero-sized chunks up to the end", riff::Riff("WAVE", {riff::Chunk("junk", {}), riff::Chunk("junk", {})})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A copy on the heap exactly as long as the file: ASan sees any
        // byte read past its end.
        Bytes bytes = c.bytes;
        bytes.shrink_to_fit();
        HMMIO file = OpenMemory(bytes);
        ASSERT_NE(file, nullptr);
        MMCKINFO form{};
        ASSERT_EQ(mmioDescend(file, &form, nullptr, 0), MMSYSERR_NOERROR);
        MMCKINFO chunk{};
        chunk.ckid = kFmt;
        EXPECT_EQ(mmioDescend(file, &chunk, &form, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
        chunk.ckid = kData;
        if (mmioDescend(file, &chunk, &form, MMIO_FINDCHUNK) == MMSYSERR_NOERROR) {
            // Found: reading it ends at the end of the file, whatever its size says.
            std::vector<char> out(64);
            const LONG got = mmioRead(file, out.data(), 64);
            EXPECT_EQ(got, static_cast<LONG>(bytes.size() - chunk.dwDataOffset));
            EXPECT_EQ(mmioAscend(file, &chunk, 0), MMSYSERR_NOERROR);
            EXPECT_LE(mmioSeek(file, 0, SEEK_CUR), static_cast<LONG>(bytes.size()));
        }
        mmioClose(file, 0);
    }
}

TEST(Mmio, SeekIsBoundedByTheFile) {
    Bytes bytes = riff::Counting(100);
    HMMIO file = OpenMemory(bytes);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(mmioSeek(file, 0, SEEK_END), 100);
    EXPECT_EQ(mmioSeek(file, -10, SEEK_CUR), 90);
    EXPECT_EQ(mmioSeek(file, 1, SEEK_END), -1);
    EXPECT_EQ(mmioSeek(file, -1, SEEK_SET), -1);
    EXPECT_EQ(mmioSeek(file, 0, 7), -1);
    EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), 90) << "a refused seek leaves the position alone";
    char byte = 0;
    EXPECT_EQ(mmioRead(file, &byte, 1), 1);
    EXPECT_EQ(byte, 90);
    mmioClose(file, 0);
}

// The framework copies samples straight out of the I/O buffer; across many
// buffer refills every byte must arrive once and in order.
TEST(Mmio, DirectBufferAccessDeliversEveryByteAcrossRefills) {
    Bytes bytes = riff::Counting(3 * MMIO_DEFAULTBUFFER + 123);
    TempFile disk(bytes);
    Bytes memoryCopy = bytes;
    HMMIO handles[] = {mmioOpenA(disk.path.data(), nullptr, MMIO_READ | MMIO_ALLOCBUF), OpenMemory(memoryCopy)};
    for (HMMIO file : handles) {
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(mmioSeek(file, 7, SEEK_SET), 7);
        MMIOINFO info;
        ASSERT_EQ(mmioGetInfo(file, &info, 0), MMSYSERR_NOERROR);
        Bytes got;
        for (int guard = 0; guard < 100000; ++guard) {
            if (info.pchNext == info.pchEndRead) {
                ASSERT_EQ(mmioAdvance(file, &info, MMIO_READ), MMSYSERR_NOERROR);
                if (info.pchNext == info.pchEndRead) break;
            }
            got.push_back(static_cast<std::uint8_t>(*info.pchNext++));
        }
        ASSERT_EQ(mmioSetInfo(file, &info, 0), MMSYSERR_NOERROR);
        EXPECT_EQ(got, Bytes(bytes.begin() + 7, bytes.end()));
        EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), static_cast<LONG>(bytes.size()));

        // Handing back a pointer that is not in the buffer is refused.
        info.pchNext = info.pchBuffer - 1;
        EXPECT_EQ(mmioSetInfo(file, &info, 0), MMSYSERR_INVALPARAM);
        mmioClose(file, 0);
    }
}

TEST(Mmio, RefusesWhatItCannotOpen) {
    char missing[] = "no-such-file.wav";
    MMIOINFO info;
    std::memset(&info, 0, sizeof(info));
    EXPECT_EQ(mmioOpenA(missing, &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, static_cast<UINT>(MMIOERR_FILENOTFOUND));
    // Nothing but a regular file, and no wait on a FIFO or device: the
    // alarm turns a hang into a failure.
    char fifo[] = "mmio_test_fifo.wav";
    std::remove(fifo);
    ASSERT_EQ(mkfifo(fifo, 0600), 0);
    char folder[] = ".";
    char device[] = "/dev/zero";
    alarm(10);
    for (char* odd : {folder, fifo, device}) {
        std::memset(&info, 0, sizeof(info));
        EXPECT_EQ(mmioOpenA(odd, &info, MMIO_READ | MMIO_ALLOCBUF), nullptr) << odd;
        EXPECT_EQ(info.wErrorRet, static_cast<UINT>(MMIOERR_CANNOTOPEN)) << odd;
    }
    alarm(0);
    std::remove(fifo);

    // A memory file needs memory, unless it may allocate its own.
    std::memset(&info, 0, sizeof(info));
    info.fccIOProc = FOURCC_MEM;
    info.cchBuffer = 64;
    EXPECT_EQ(mmioOpenA(nullptr, &info, MMIO_READWRITE), nullptr);
    HMMIO owned = mmioOpenA(nullptr, &info, MMIO_READWRITE | MMIO_ALLOCBUF);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(mmioSeek(owned, 0, SEEK_END), 64);
    EXPECT_EQ(mmioClose(owned, 0), MMSYSERR_NOERROR);

    // A closed handle is no longer a file.
    EXPECT_EQ(mmioClose(owned, 0), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
    EXPECT_EQ(mmioRead(owned, missing, 1), -1);
}

TEST(Mmio, FourccMacroAndStringForm) {
    EXPECT_EQ(mmioFOURCC('R', 'I', 'F', 'F'), 0x46464952u);
    EXPECT_EQ(FOURCC_MEM, 0x204D454Du);
    EXPECT_EQ(mmioStringToFOURCCA("wave", MMIO_TOUPPER), mmioFOURCC('W', 'A', 'V', 'E'));
    EXPECT_EQ(mmioStringToFOURCCA("ab", 0), mmioFOURCC('a', 'b', ' ', ' '));
}

}  // namespace
