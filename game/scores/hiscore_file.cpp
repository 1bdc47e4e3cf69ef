#include "scores/hiscore_file.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "scores/atomic_save.h"

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace hiscore {

namespace {

constexpr int kScoresOffset = kEntries * kNameLength;

// Characters before the first zero, at most a name field's worth.
std::size_t NameLength(const char* name) {
    std::size_t length = 0;
    while (length < kNameLength && name[length] != 0) ++length;
    return length;
}

// The first bytes of a regular file, up to `size`; the count read, or -1.
// Anything else at that name is refused before it can block: opening a FIFO
// for reading would wait for a writer that never comes.
long ReadStart(const char* fileName, unsigned char* bytes, std::size_t size) {
#ifdef _WIN32
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) return -1;
    struct _stat info;
    long got = -1;
    if (_fstat(_fileno(file), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG) {
        got = static_cast<long>(std::fread(bytes, 1, size, file));
        if (std::ferror(file) != 0) got = -1;
    }
    std::fclose(file);
    return got;
#else
    const int fd = open(fileName, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info;
    long got = -1;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        got = 0;
        while (static_cast<std::size_t>(got) < size) {
            const ssize_t part = read(fd, bytes + got, size - static_cast<std::size_t>(got));
            if (part < 0 && errno == EINTR) continue;
            if (part < 0) got = -1;
            if (part <= 0) break;
            got += part;
        }
    }
    close(fd);
    return got;
#endif
}

}  // namespace

Records EmptyRecords() {
    Records records;
    std::memset(&records, 0, sizeof records);
    return records;
}

Records Decode(const unsigned char (&bytes)[kFileSize]) {
    Records records = EmptyRecords();
    for (int i = 0; i < kEntries; ++i) {
        const unsigned char* field = bytes + i * kNameLength;
        for (int c = 0; c < kNameLength && field[c] != 0; ++c) records.names[i][c] = static_cast<char>(field[c]);
        const unsigned char* score = bytes + kScoresOffset + i * 2;
        records.scores[i] = score[0] | (score[1] << 8);
    }
    return records;
}

void Encode(const Records& records, unsigned char (&bytes)[kFileSize]) {
    for (int i = 0; i < kEntries; ++i) {
        // Names end at their first zero; what follows in the field is zero too,
        // so the field reads back as the same name.
        const std::size_t length = NameLength(records.names[i]);
        unsigned char* field = bytes + i * kNameLength;
        std::memset(field, 0, kNameLength);
        std::memcpy(field, records.names[i], length);
        const unsigned value = static_cast<unsigned>(records.scores[i]) & 0xFFFFu;
        bytes[kScoresOffset + i * 2] = static_cast<unsigned char>(value & 0xFF);
        bytes[kScoresOffset + i * 2 + 1] = static_cast<unsigned char>(value >> 8);
    }
}

bool ReadFile(const char* fileName, Records& records) {
    unsigned char bytes[kFileSize] = {};
    // A short file leaves zeros behind its end; a longer one is read no further.
    if (ReadStart(fileName, bytes, sizeof bytes) < 0) return false;
    records = Decode(bytes);
    return true;
}

bool WriteFile(const char* fileName, const Records& records) {
    unsigned char bytes[kFileSize];
    Encode(records, bytes);
    std::string failure;
    if (atomic_save::Replace(fileName, bytes, sizeof bytes, failure)) return true;
#ifndef _WIN32
    // The game plays on without a word either way; this line is the player's
    // only sign that the table on the disk is not the one on the screen.
    std::fprintf(stderr, "zarnok: the best scores were not saved: %s\n", failure.c_str());
#endif
    return false;
}

int Insert(Records& records, const char* name, int score) {
    int place = 0;
    while (place < kEntries && records.scores[place] > score) ++place;
    if (place == kEntries) return -1;
    for (int i = kEntries - 1; i > place; --i) {
        std::memcpy(records.names[i], records.names[i - 1], sizeof records.names[i]);
        records.scores[i] = records.scores[i - 1];
    }
    char* field = records.names[place];
    std::memset(field, ' ', kNameLength);
    field[kNameLength] = 0;
    const std::size_t length = NameLength(name);
    std::memcpy(field, name, length);
    records.scores[place] = score;
    return place;
}

}  // namespace hiscore
