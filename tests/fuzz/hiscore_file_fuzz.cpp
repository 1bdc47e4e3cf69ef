// Arbitrary bytes as "hiscores.zk", and an entry made of the first bytes:
// the table is read, the entry placed, the table saved and read back. The
// names read must end where the file's fields say and hold only zeros behind
// their end; what is read back must be exactly what was saved (scores kept to
// their low 16 bits); and the save must leave no temporary behind.
#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "scores/hiscore_file.h"

namespace {

// Fields of the input in front of the file's own bytes.
constexpr std::size_t kScoreBytes = 4;
constexpr std::size_t kNameLengthByte = 1;
constexpr std::size_t kMaxName = 24;

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "hiscore fuzz: %s\n", what);
    std::abort();
}

// Never destroyed, so that the clean-up at exit can still name it.
const std::string& Folder() {
    static const std::string* folder = [] {
        const char* shm = "/dev/shm";
        std::string pattern = std::string(access(shm, W_OK) == 0 ? shm : "/tmp") + "/zarnok_hiscore_fuzz_XXXXXX";
        Require(mkdtemp(pattern.data()) != nullptr, "no scratch folder");
        std::atexit([] { std::filesystem::remove_all(Folder()); });
        return new std::string(pattern);
    }();
    return *folder;
}

int EntriesIn(const std::string& folder) {
    int count = 0;
    DIR* dir = opendir(folder.c_str());
    while (const dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
    return count;
}

// Every name buffer ends within its 17 bytes and is zero after its end.
void RequireTerminated(const hiscore::Records& records) {
    for (int i = 0; i < hiscore::kEntries; ++i) {
        const char* name = records.names[i];
        const std::size_t length = strnlen(name, hiscore::kNameLength + 1);
        Require(length <= static_cast<std::size_t>(hiscore::kNameLength), "a name runs past its field");
        for (std::size_t c = length; c <= static_cast<std::size_t>(hiscore::kNameLength); ++c)
            Require(name[c] == 0, "bytes behind a name's end");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kScoreBytes + kNameLengthByte) return 0;
    std::int32_t score = 0;
    std::memcpy(&score, data, kScoreBytes);
    const std::size_t nameLength = std::min<std::size_t>(data[kScoreBytes] % (kMaxName + 1),
                                                         size - kScoreBytes - kNameLengthByte);
    const char* name = reinterpret_cast<const char*>(data + kScoreBytes + kNameLengthByte);
    const std::string entryName(name, nameLength);
    const std::uint8_t* file = data + kScoreBytes + kNameLengthByte + nameLength;
    const std::size_t fileSize = size - kScoreBytes - kNameLengthByte - nameLength;

    const std::string path = Folder() + "/hiscores.zk";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    Require(out != nullptr && std::fwrite(file, 1, fileSize, out) == fileSize && std::fclose(out) == 0,
            "cannot write the input");

    hiscore::Records records;
    std::memset(&records, 0x5A, sizeof records);  // a reader that skips a byte shows
    Require(hiscore::ReadFile(path.c_str(), records), "a regular file was not read");
    RequireTerminated(records);
    unsigned char padded[hiscore::kFileSize] = {};
    std::memcpy(padded, file, std::min<std::size_t>(fileSize, sizeof padded));
    for (int i = 0; i < hiscore::kEntries; ++i) {
        const char* field = reinterpret_cast<const char*>(padded + i * hiscore::kNameLength);
        Require(std::string(records.names[i]) == std::string(field, strnlen(field, hiscore::kNameLength)),
                "a name differs from its field");
        Require(records.scores[i] == (padded[160 + 2 * i] | padded[161 + 2 * i] << 8), "a score differs");
    }

    const int place = hiscore::Insert(records, entryName.c_str(), score);
    if (place >= 0) Require(std::strlen(records.names[place]) == hiscore::kNameLength, "a new name is not padded");
    RequireTerminated(records);
    Require(hiscore::WriteFile(path.c_str(), records), "the save failed");
    Require(EntriesIn(Folder()) == 1, "the save left something behind");

    hiscore::Records back;
    std::memset(&back, 0xA5, sizeof back);
    Require(hiscore::ReadFile(path.c_str(), back), "the saved table was not read");
    for (int i = 0; i < hiscore::kEntries; ++i) {
        Require(std::strcmp(back.names[i], records.names[i]) == 0, "a name did not survive the round trip");
        Require(back.scores[i] == (records.scores[i] & 0xFFFF), "a score did not survive the round trip");
    }
    return 0;
}
