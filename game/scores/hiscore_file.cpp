#include "scores/hiscore_file.h"

#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
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

// Pushes what the stream holds through the operating system's cache, so that
// the rename that follows can never publish a file whose bytes are not on disk.
bool FlushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Renames `from` over `to` in one step: readers see the old file or the new
// one, never a mixture or nothing.
bool MoveOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    // The new directory entry itself must reach the disk too; if this fails the
    // rename has still happened, so it is not reported.
    const std::string::size_type slash = to.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : to.substr(0, slash + 1);
    const int dir = open(folder.c_str(), O_RDONLY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
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
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) return false;
    unsigned char bytes[kFileSize] = {};
    // A short file leaves zeros behind its end; a longer one is read no further.
    std::fread(bytes, 1, sizeof bytes, file);
    const bool failed = std::ferror(file) != 0;  // e.g. the name is a folder
    std::fclose(file);
    if (failed) return false;
    records = Decode(bytes);
    return true;
}

bool WriteFile(const char* fileName, const Records& records) {
    unsigned char bytes[kFileSize];
    Encode(records, bytes);
    const std::string target = fileName;
    const std::string temporary = target + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
    ok = ok && FlushToDisk(file);
    ok = (std::fclose(file) == 0) && ok;
    ok = ok && MoveOver(temporary, target);
    if (!ok) std::remove(temporary.c_str());
    return ok;
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
