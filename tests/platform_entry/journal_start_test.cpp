// The journal's header as the entry writes and checks it: the player's files
// a recording started with come back for its replay, exactly and only into
// the replay's folder, and a recording of another version is refused.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "file_bytes.h"
#include "journal_start.h"

namespace {

namespace fs = std::filesystem;

class JournalStart : public testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("zarnok-journal-start-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "played");
        fs::create_directories(root / "replayed");
        before = fs::current_path();
    }
    void TearDown() override {
        fs::current_path(before);
        fs::remove_all(root);
    }

    // Records the header in "played", where the player's files are as given.
    void RecordWith(const std::string& table) {
        fs::current_path(root / "played");
        if (!table.empty()) Write("hiscores.zk", table);
        ASSERT_EQ(entry::StartJournal(journal, "1.0.0", {"hiscores.zk", "other.zk"}), "");
        fs::current_path(root / "replayed");
    }

    fs::path root;
    fs::path before;
    fs::path journal = fs::temp_directory_path() / ("zarnok-journal-start-" + std::to_string(getpid())) / "game.zkj";
};

TEST_F(JournalStart, TheReplayGetsTheFilesTheRecordingStartedWith) {
    RecordWith(std::string("table\0with a zero", 17));
    Write("hiscores.zk", "the replaying player's own");
    Write("other.zk", "absent when recorded");
    ASSERT_EQ(entry::RestoreJournalFiles(journal, "1.0.0"), "");
    EXPECT_EQ(Read("hiscores.zk"), std::string("table\0with a zero", 17));
    EXPECT_FALSE(fs::exists("other.zk"));
    EXPECT_FALSE(fs::exists("hiscores.zk.replay"));
    // The recording's own folder is left as it was.
    EXPECT_EQ(Read(root / "played" / "hiscores.zk"), std::string("table\0with a zero", 17));
}

TEST_F(JournalStart, ARecordingOfAnotherVersionOrNoneIsRefusedAndNothingWritten) {
    RecordWith("table");
    Write("hiscores.zk", "mine");
    const std::string otherVersion = entry::RestoreJournalFiles(journal, "1.0.1");
    EXPECT_NE(otherVersion.find("version 1.0.0"), std::string::npos) << otherVersion;
    EXPECT_NE(otherVersion.find("version 1.0.1"), std::string::npos) << otherVersion;
    EXPECT_EQ(Read("hiscores.zk"), "mine");

    Write(journal, "not a journal at all");
    EXPECT_NE(entry::RestoreJournalFiles(journal, "1.0.0"), "");
    EXPECT_NE(entry::RestoreJournalFiles(root / "missing.zkj", "1.0.0"), "");
    EXPECT_EQ(Read("hiscores.zk"), "mine");
}

}  // namespace
