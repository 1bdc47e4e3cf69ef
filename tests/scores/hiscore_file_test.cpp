// The best-score file byte for byte: hand-built 180-byte files go in, and the
// bytes that come out are compared with files built by hand the same way.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scores/hiscore_file.h"

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

struct Entry {
    const char* name;  // the field's bytes, at most 16; padded with `pad`
    unsigned score;
};

// A file laid out by hand: ten 16-byte name fields, then ten scores, low byte first.
Bytes BuildFile(const std::vector<Entry>& entries, char pad = ' ') {
    Bytes bytes(180, 0);
    for (std::size_t i = 0; i < 10; ++i) {
        const std::string name = i < entries.size() ? entries[i].name : "";
        for (std::size_t c = 0; c < 16; ++c) bytes[i * 16 + c] = c < name.size() ? name[c] : pad;
        const unsigned score = i < entries.size() ? entries[i].score : 0;
        bytes[160 + i * 2] = score & 0xFF;
        bytes[161 + i * 2] = (score >> 8) & 0xFF;
    }
    return bytes;
}

const std::vector<Entry> kFullTable = {
    {"alice", 900}, {"bob", 800}, {"carol", 700}, {"dave", 600}, {"eve", 500},
    {"frank", 400}, {"grace", 300}, {"heidi", 200}, {"ivan", 100}, {"judy", 50},
};

class HiscoreFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / ("zarnok_hiscore_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "hiscores.zk").string();
    }
    void TearDown() override { fs::remove_all(folder); }

    void Put(const Bytes& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    Bytes Get() const { return GetFrom(path); }
    static Bytes GetFrom(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // Names in the folder other than the table itself, sorted.
    std::vector<std::string> Others(const fs::path& where = {}) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(where.empty() ? folder : where)) {
            if (entry.path().filename() != "hiscores.zk") names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    hiscore::Records Placed(const char* name, int score) {
        hiscore::Records records = Read();
        EXPECT_GE(hiscore::Insert(records, name, score), 0);
        return records;
    }
    hiscore::Records Read() {
        hiscore::Records records = hiscore::EmptyRecords();
        EXPECT_TRUE(hiscore::ReadFile(path.c_str(), records));
        return records;
    }
    // What the game does after a name is entered: place, write, read back.
    hiscore::Records Add(const char* name, int score) {
        hiscore::Records records = Read();
        if (hiscore::Insert(records, name, score) >= 0) {
            EXPECT_TRUE(hiscore::WriteFile(path.c_str(), records));
        }
        return Read();
    }

    fs::path folder;
    std::string path;
};

TEST_F(HiscoreFileTest, ATieGoesAboveTheOlderEntry) {
    Put(BuildFile(kFullTable));
    const hiscore::Records records = Add("zed", 700);
    std::vector<Entry> expected = kFullTable;
    expected.insert(expected.begin() + 2, Entry{"zed", 700});
    expected.pop_back();
    EXPECT_EQ(Get(), BuildFile(expected));
    EXPECT_STREQ(records.names[2], "zed             ");
    EXPECT_STREQ(records.names[3], "carol           ");
    EXPECT_EQ(records.scores[3], 700);
}

TEST_F(HiscoreFileTest, AScoreBelowAllTenLeavesTheFileUntouched) {
    const Bytes before = BuildFile(kFullTable);
    Put(before);
    const auto stamp = fs::last_write_time(path);
    hiscore::Records records = Read();
    EXPECT_EQ(hiscore::Insert(records, "nobody", 49), -1);
    EXPECT_EQ(Get(), before);
    EXPECT_EQ(fs::last_write_time(path), stamp);
    EXPECT_EQ(Others(), std::vector<std::string>{});
}

TEST_F(HiscoreFileTest, AFullTableDropsTheTenthAndStays180Bytes) {
    Put(BuildFile(kFullTable));
    Add("top", 1000);
    std::vector<Entry> expected = kFullTable;
    expected.insert(expected.begin(), Entry{"top", 1000});
    expected.pop_back();
    const Bytes after = Get();
    EXPECT_EQ(after.size(), 180u);
    EXPECT_EQ(after, BuildFile(expected));
}

TEST_F(HiscoreFileTest, NamesArePaddedWithSpaces) {
    Put(BuildFile({}));
    Add("abc", 20);
    Add("", 10);
    const Bytes after = Get();
    EXPECT_EQ(std::string(after.begin(), after.begin() + 16), "abc             ");
    EXPECT_EQ(std::string(after.begin() + 16, after.begin() + 32), std::string(16, ' '));
    // The old empty entries (16 spaces, score 0) stay below the new ones.
    EXPECT_EQ(std::string(after.begin() + 32, after.begin() + 48), std::string(16, ' '));
    EXPECT_EQ(after, BuildFile({{"abc", 20}, {"", 10}}));
}

TEST_F(HiscoreFileTest, AScoreKeepsItsLow16Bits) {
    Put(BuildFile({}));
    const hiscore::Records records = Add("big", 70000);
    EXPECT_EQ(Get(), BuildFile({{"big", 4464}}));
    EXPECT_EQ(records.scores[0], 4464);
}

TEST_F(HiscoreFileTest, ANameLongerThanItsFieldIsCut) {
    Put(BuildFile({}));
    Add("abcdefghijklmnopqrstu", 5);
    EXPECT_EQ(Get(), BuildFile({{"abcdefghijklmnop", 5}}));
}

TEST_F(HiscoreFileTest, UnusualNameFieldsSurviveARewrite) {
    // Padding spaces, a field with no padding at all, and trailing spaces
    // after an inner space: each is rewritten exactly.
    std::vector<Entry> table = kFullTable;
    table[0].name = "  padded  ";
    table[1].name = "sixteenletterss!";
    table[5].name = "two words";
    const Bytes before = BuildFile(table);
    Put(before);
    const hiscore::Records records = Read();
    EXPECT_STREQ(records.names[0], "  padded        ");
    EXPECT_STREQ(records.names[1], "sixteenletterss!");
    Add("new", 150);
    std::vector<Entry> expected = table;
    expected.insert(expected.begin() + 8, Entry{"new", 150});
    expected.pop_back();
    EXPECT_EQ(Get(), BuildFile(expected));
}

TEST_F(HiscoreFileTest, ANameEndingInAZeroByteReadsUpToIt) {
    Bytes bytes = BuildFile(kFullTable);
    bytes[16 + 3] = 0;  // "bob" then a zero then padding
    Put(bytes);
    EXPECT_STREQ(Read().names[1], "bob");
    // Rewritten, the field keeps the name and zeros after it, which reads back the same.
    Add("zz", 950);
    const hiscore::Records records = Read();
    EXPECT_STREQ(records.names[2], "bob");
}

TEST_F(HiscoreFileTest, AShortFileReadsZerosWhereItEnds) {
    Bytes bytes = BuildFile(kFullTable);
    bytes.resize(40);  // two names and half of the third
    Put(bytes);
    const hiscore::Records records = Read();
    EXPECT_STREQ(records.names[1], "bob             ");
    EXPECT_STREQ(records.names[2], "carol   ");
    for (int i = 3; i < 10; ++i) EXPECT_STREQ(records.names[i], "") << i;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(records.scores[i], 0) << i;
}

TEST_F(HiscoreFileTest, AnEmptyFileIsAnEmptyTable) {
    Put({});
    const hiscore::Records records = Read();
    for (int i = 0; i < 10; ++i) {
        EXPECT_STREQ(records.names[i], "");
        EXPECT_EQ(records.scores[i], 0);
    }
}

TEST_F(HiscoreFileTest, GarbageIsReadAsBytesAndExtraBytesIgnored) {
    Bytes bytes(300);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 37 + 11);
    Put(bytes);
    const hiscore::Records records = Read();
    EXPECT_EQ(records.scores[0], bytes[160] | bytes[161] << 8);
    EXPECT_EQ(records.scores[9], bytes[178] | bytes[179] << 8);
    // Names stop at their first zero byte, and nothing past 16 bytes.
    for (int i = 0; i < 10; ++i) {
        std::string expected;
        for (int c = 0; c < 16 && bytes[i * 16 + c] != 0; ++c) expected += static_cast<char>(bytes[i * 16 + c]);
        EXPECT_EQ(std::string(records.names[i]), expected) << i;
    }
}

TEST_F(HiscoreFileTest, AMissingFileCannotBeRead) {
    hiscore::Records records = hiscore::EmptyRecords();
    records.scores[0] = 77;
    EXPECT_FALSE(hiscore::ReadFile(path.c_str(), records));
    EXPECT_EQ(records.scores[0], 77);
}

// Anything at the table's name but a regular file is refused at once, for
// reading and for saving, and stays as it was. Opening a FIFO for reading
// would wait for a writer for ever: the alarm turns such a hang into a failure.
TEST_F(HiscoreFileTest, OddFilesAreRefusedWithoutWaiting) {
    struct Case {
        const char* what;
        void (*make)(const std::string& at);
    };
    const Case cases[] = {
        {"a FIFO", [](const std::string& at) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); }},
        {"a folder", [](const std::string& at) { fs::create_directory(at); }},
        {"a device", [](const std::string& at) { fs::create_symlink("/dev/zero", at); }},
        {"a socket", [](const std::string& at) {
             const int s = socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             ASSERT_LT(at.size(), sizeof address.sun_path);
             std::strcpy(address.sun_path, at.c_str());
             ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             close(s);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path);
        c.make(path);
        const fs::file_type type = fs::symlink_status(path).type();
        alarm(10);
        hiscore::Records records = hiscore::EmptyRecords();
        records.scores[0] = 77;
        EXPECT_FALSE(hiscore::ReadFile(path.c_str(), records));
        EXPECT_EQ(records.scores[0], 77);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(hiscore::WriteFile(path.c_str(), records));
        const std::string said = testing::internal::GetCapturedStderr();
        alarm(0);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("not saved"), std::string::npos) << said;
        EXPECT_EQ(fs::symlink_status(path).type(), type);
        EXPECT_EQ(Others(), std::vector<std::string>{});
    }
}

// Before temporaries had names of their own, a folder at the one fixed name
// made every later save fail.
TEST_F(HiscoreFileTest, NothingLeftAtATemporaryNameBlocksASave) {
    Put(BuildFile(kFullTable));
    fs::create_directory(path + ".tmp");
    fs::create_directories(path + ".tmp-AAAAAA/inside");
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(hiscore::WriteFile(path.c_str(), Placed("top", 2000 + i)));
    }
    EXPECT_STREQ(Read().names[0], "top             ");
    EXPECT_EQ(Read().scores[0], 2001);
    EXPECT_EQ(Others(), (std::vector<std::string>{"hiscores.zk.tmp", "hiscores.zk.tmp-AAAAAA"}));
}

TEST_F(HiscoreFileTest, LeftoversOfKilledSavesGoAndNothingElse) {
    Put(BuildFile({}));
    for (const char* leftover : {"hiscores.zk.tmp-a1B2c3", "hiscores.zk.tmp-ZZZZZZ"}) {
        std::ofstream(folder / leftover) << "half a table";
    }
    // Sorted, as Others() lists them.
    const std::vector<std::string> strangers = {"hiscores.zk.tmp",         "hiscores.zk.tmp-abc.ef",
                                                "hiscores.zk.tmp-abcde",   "hiscores.zk.tmp-abcdef7",
                                                "music.zk.tmp-abcdef",     "xhiscores.zk.tmp-abcdef"};
    for (const std::string& name : strangers) std::ofstream(folder / name) << "not ours";
    Add("fresh", 3);
    EXPECT_EQ(Get(), BuildFile({{"fresh", 3}}));
    EXPECT_EQ(Others(), strangers);
}

TEST_F(HiscoreFileTest, ASymbolicLinkStaysAndTheFileItLeadsToIsReplaced) {
    const fs::path elsewhere = folder / "synced";
    fs::create_directories(elsewhere);
    struct Case {
        const char* what;
        fs::path linkText;                 // what hiscores.zk holds
        std::vector<std::pair<fs::path, fs::path>> moreLinks;  // further links: at, text
        fs::path table;                    // where the table really is
        bool tableExists;
    };
    const Case cases[] = {
        {"absolute", elsewhere / "scores.bin", {}, elsewhere / "scores.bin", true},
        {"relative", "synced/scores.bin", {}, elsewhere / "scores.bin", true},
        {"through a second link", "synced/next", {{elsewhere / "next", "scores.bin"}}, elsewhere / "scores.bin", true},
        {"to a file not made yet", "synced/new.bin", {}, elsewhere / "new.bin", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& entry : fs::directory_iterator(elsewhere)) fs::remove(entry.path());
        fs::remove(path);
        fs::create_symlink(c.linkText, path);
        for (const auto& [at, text] : c.moreLinks) fs::create_symlink(text, at);
        if (c.tableExists) {
            std::ofstream out(c.table, std::ios::binary);
            const Bytes table = BuildFile(kFullTable);
            out.write(reinterpret_cast<const char*>(table.data()), static_cast<std::streamsize>(table.size()));
        }
        hiscore::Records records = c.tableExists ? Read() : hiscore::EmptyRecords();
        hiscore::Insert(records, "linked", 5000);
        ASSERT_TRUE(hiscore::WriteFile(path.c_str(), records));
        EXPECT_TRUE(fs::is_symlink(path));
        EXPECT_EQ(fs::read_symlink(path), c.linkText);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(c.table)));
        EXPECT_EQ(Read().scores[0], 5000);
        EXPECT_EQ(GetFrom(c.table).size(), 180u);
        for (const auto& entry : fs::directory_iterator(elsewhere)) {
            EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
        }
    }
}

TEST_F(HiscoreFileTest, TheReplacementKeepsThePlayersOwnerAndPermissions) {
    Put(BuildFile(kFullTable));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // Run as root, a save must hand the file back to the player who owns it.
    const uid_t player = geteuid() == 0 ? 65534 : geteuid();
    const gid_t group = geteuid() == 0 ? 65534 : getegid();
    ASSERT_EQ(chown(path.c_str(), player, group), 0);
    Add("perm", 1000);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, player);
    EXPECT_EQ(info.st_gid, group);
}

TEST_F(HiscoreFileTest, AFailedRenameLeavesNoTemporaryBehind) {
    // The target is a non-empty folder: nothing may take its place.
    fs::create_directory(path);
    std::ofstream(path + "/keep") << "x";
    hiscore::Records records = hiscore::EmptyRecords();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(hiscore::WriteFile(path.c_str(), records));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(Others(), std::vector<std::string>{});
}

// A write that stops half way (the disk full, or a file size limit, which
// stops root as well) leaves the old table and no temporary, and says so once.
TEST_F(HiscoreFileTest, AWriteThatFailsHalfWayLeavesTheOldTableAndSaysSo) {
    const Bytes before = BuildFile(kFullTable);
    Put(before);
    const hiscore::Records records = Placed("lost", 1000);
    // The message goes through a pipe: the size limit would cut a file short.
    int said[2];
    ASSERT_EQ(pipe(said), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(said[1], 2);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(hiscore::WriteFile(path.c_str(), records) ? 1 : 0);
    }
    close(said[1]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write was reported as done";
    EXPECT_EQ(Get(), before);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = read(said[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(got));
    close(said[0]);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_NE(text.find("cannot write"), std::string::npos) << text;
    EXPECT_EQ(Others(), std::vector<std::string>{});
}

}  // namespace
