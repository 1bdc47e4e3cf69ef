// Recording and replaying a program through the layer's journal: the same
// program replays to the same answers however long it really takes; a
// program that asks otherwise is stopped at the first different question;
// a journal cut short replays up to where it ends.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <cstring>
#include <string>
#include <vector>

#include "journal_format.h"
#include "journal_start.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct ProbeRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ReplaySession : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("zarnok-replay-session-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        journal_ = folder_ / "probe.zkj";
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Runs the probe with `variable`=journal in its environment.
    ProbeRun Probe(const char* variable, const char* variant) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "WINLAYER_", 9) != 0) env.emplace_back(*e);
        env.push_back(std::string(variable) + "=" + journal_.string());
        env.push_back("WINLAYER_REPLAY_FAST=1");
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = (folder_ / "out.txt").string(), err = (folder_ / "err.txt").string();
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::string program = JOURNAL_PROBE, arg = variant;
        char* argv[] = {program.data(), arg.data(), nullptr};
        pid_t pid = 0;
        ProbeRun run;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) == 0) {
            int status = 0;
            waitpid(pid, &status, 0);
            run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        run.out = ReadText(out);
        run.err = ReadText(err);
        return run;
    }

    ProbeRun Record(const char* variant) {
        EXPECT_EQ(entry::StartJournal(journal_, "1.0", {}), "");
        return Probe("WINLAYER_RECORD", variant);
    }

    fs::path folder_;
    fs::path journal_;
};

TEST_F(ReplaySession, ReplayGivesTheRecordedAnswers) {
    const ProbeRun recorded = Record("plain");
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err;
    for (int i = 0; i < 2; ++i) {
        const ProbeRun replayed = Probe("WINLAYER_REPLAY", "plain");
        EXPECT_EQ(replayed.exitCode, 0) << replayed.err;
        EXPECT_EQ(replayed.out, recorded.out);
    }
}

TEST_F(ReplaySession, ADifferentQuestionStopsTheReplayWhereItDiffers) {
    ASSERT_EQ(Record("plain").exitCode, 0);
    const ProbeRun replayed = Probe("WINLAYER_REPLAY", "swapped");
    EXPECT_EQ(replayed.exitCode, 3);
    // The first question (the tick) matches; the second does not.
    EXPECT_NE(replayed.err.find("call 2 differs"), std::string::npos) << replayed.err;
    EXPECT_NE(replayed.err.find(journal::CallName(journal::Call::Calendar)), std::string::npos) << replayed.err;
    EXPECT_NE(replayed.err.find(journal::CallName(journal::Call::PeekMessage)), std::string::npos) << replayed.err;
}

TEST_F(ReplaySession, AJournalCutShortReplaysToItsEndAndSaysWhere) {
    ASSERT_EQ(Record("plain").exitCode, 0);
    const auto size = fs::file_size(journal_);
    fs::resize_file(journal_, size - 3);
    const ProbeRun replayed = Probe("WINLAYER_REPLAY", "plain");
    EXPECT_EQ(replayed.exitCode, 4);
    EXPECT_NE(replayed.err.find("ends after call"), std::string::npos) << replayed.err;
}

TEST_F(ReplaySession, ADamagedJournalIsRefused) {
    ASSERT_EQ(Record("plain").exitCode, 0);
    {
        std::fstream file(journal_, std::ios::in | std::ios::out | std::ios::binary);
        file.write("XXXX", 4);
    }
    const ProbeRun replayed = Probe("WINLAYER_REPLAY", "plain");
    EXPECT_EQ(replayed.exitCode, 2);
    EXPECT_EQ(replayed.out, "");
}

}  // namespace
