// The best-score file byte for byte: hand-built 180-byte files go in, and the
// bytes that come out are compared with files built by hand the same way.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
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
    Bytes Get() const {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
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
    EXPECT_FALSE(fs::exists(path + ".tmp"));
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

TEST_F(HiscoreFileTest, AFolderInPlaceOfTheFileCannotBeRead) {
    fs::create_directory(path);
    hiscore::Records records = hiscore::EmptyRecords();
    records.scores[0] = 77;
    EXPECT_FALSE(hiscore::ReadFile(path.c_str(), records));
    EXPECT_EQ(records.scores[0], 77);
}

TEST_F(HiscoreFileTest, AFailedWriteLeavesTheOldFileIntact) {
    const Bytes before = BuildFile(kFullTable);
    Put(before);
    // A folder where the temporary file would go makes the write fail even
    // for a user whom permissions do not stop.
    fs::create_directory(path + ".tmp");
    hiscore::Records records = Read();
    ASSERT_EQ(hiscore::Insert(records, "lost", 1000), 0);
    EXPECT_FALSE(hiscore::WriteFile(path.c_str(), records));
    EXPECT_EQ(Get(), before);
    EXPECT_STREQ(Read().names[0], "alice           ");
}

TEST_F(HiscoreFileTest, AFailedRenameLeavesNoTemporaryBehind) {
    // The target is a non-empty folder: the temporary file is written, but
    // cannot take its place.
    fs::create_directory(path);
    std::ofstream(path + "/keep") << "x";
    hiscore::Records records = hiscore::EmptyRecords();
    EXPECT_FALSE(hiscore::WriteFile(path.c_str(), records));
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST_F(HiscoreFileTest, AFullDiskLeavesTheOldFileIntact) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
    const Bytes before = BuildFile(kFullTable);
    Put(before);
    // The temporary file is a link to a device that refuses every write.
    fs::create_symlink("/dev/full", path + ".tmp");
    hiscore::Records records = Read();
    hiscore::Insert(records, "lost", 1000);
    EXPECT_FALSE(hiscore::WriteFile(path.c_str(), records));
    EXPECT_EQ(Get(), before);
}

TEST_F(HiscoreFileTest, AStaleTemporaryFileIsReplaced) {
    Put(BuildFile({}));
    std::ofstream(path + ".tmp") << "left over from a crash";
    Add("fresh", 3);
    EXPECT_EQ(Get(), BuildFile({{"fresh", 3}}));
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

}  // namespace
