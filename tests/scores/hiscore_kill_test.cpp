// Saving the best scores while being killed: a child saves two tables in
// turn, without end, and is killed with SIGKILL at a random moment, a few
// hundred times. Whatever the moment, the file must be exactly one of the two
// tables, at most the one temporary of the killed save may be left, and the
// next save must leave none. The moments come from a seed, so a failing run
// can be repeated: ZARNOK_KILL_SEED and ZARNOK_KILLS choose seed and count.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "scores/atomic_save.h"
#include "scores/hiscore_file.h"

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

unsigned long Setting(const char* name, unsigned long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != 0 ? std::strtoul(value, nullptr, 10) : fallback;
}

hiscore::Records Table(const char* name, int score) {
    hiscore::Records records = hiscore::EmptyRecords();
    for (int i = 0; i < hiscore::kEntries; ++i) hiscore::Insert(records, name, score - i);
    return records;
}

Bytes Encoded(const hiscore::Records& records) {
    unsigned char bytes[hiscore::kFileSize];
    hiscore::Encode(records, bytes);
    return Bytes(bytes, bytes + sizeof bytes);
}

Bytes Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

int Leftovers(const fs::path& folder) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (atomic_save::IsTemporaryOf("hiscores.zk", entry.path().filename().string())) ++count;
    }
    return count;
}

// Saves `first` and `second` in turn until killed; tells the parent through
// `ready` once it is about to start.
[[noreturn]] void SaveForEver(const std::string& path, const hiscore::Records& first,
                              const hiscore::Records& second, int ready) {
    const char go = 1;
    if (write(ready, &go, 1) != 1) _exit(2);
    for (unsigned long n = 0;; ++n) {
        if (!hiscore::WriteFile(path.c_str(), n % 2 == 0 ? first : second)) _exit(3);
    }
}

TEST(HiscoreKill, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewTable) {
    const unsigned long seed = Setting("ZARNOK_KILL_SEED", 15);
    const unsigned long kills = Setting("ZARNOK_KILLS", 300);
    SCOPED_TRACE("ZARNOK_KILL_SEED=" + std::to_string(seed));
    // A kill loses nothing that reached the kernel, so a memory file system
    // proves the same as a disk, without a disk's flush in every round.
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path folder = base / ("zarnok_kill_" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "hiscores.zk").string();

    const hiscore::Records tables[2] = {Table("old", 900), Table("new", 800)};
    const Bytes bytes[2] = {Encoded(tables[0]), Encoded(tables[1])};
    ASSERT_TRUE(hiscore::WriteFile(path.c_str(), tables[0]));

    std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
    std::uniform_int_distribution<int> delayMicroseconds(0, 3000);
    int seen[2] = {0, 0};
    int killedWithALeftover = 0;
    int current = 0;
    for (unsigned long kill = 0; kill < kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            SaveForEver(path, tables[1 - current], tables[current], ready[1]);
        }
        close(ready[1]);
        char go = 0;
        ASSERT_EQ(read(ready[0], &go, 1), 1);
        close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself, status " << status;

        const Bytes now = Contents(path);
        ASSERT_TRUE(now == bytes[0] || now == bytes[1]) << "the table is neither old nor new (" << now.size()
                                                        << " bytes)";
        ++seen[now == bytes[0] ? 0 : 1];
        const int left = Leftovers(folder);
        ASSERT_LE(left, 1);
        killedWithALeftover += left;

        // The next save clears what the killed one left.
        current = static_cast<int>(random() % 2);
        ASSERT_TRUE(hiscore::WriteFile(path.c_str(), tables[current]));
        ASSERT_EQ(Contents(path), bytes[current]);
        ASSERT_EQ(Leftovers(folder), 0);
    }
    // Otherwise the kills never met a save at work and proved nothing.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(killedWithALeftover, 0);
    std::printf("%lu kills: %d old tables, %d new, %d with a temporary left\n", kills, seen[0], seen[1],
                killedWithALeftover);
    fs::remove_all(folder);
}

}  // namespace
