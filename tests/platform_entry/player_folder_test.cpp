// The player's data folder: made private, seeded once, linked to the shipped
// files, and every bad place refused with a reason while the player's own
// files stay as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_bytes.h"
#include "player_folder.h"

namespace {

namespace fs = std::filesystem;

const entry::PlayerFiles kFiles{{"hiscores.zk"}, {"music.zk"}};

// A scratch root with an installed-looking "shipped" folder and a "home".
class PlayerFolder : public testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("zarnok-entry-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(shipped);
        fs::create_directories(home);
        Write(shipped / "hiscores.zk", "the shipped table");
        Write(shipped / "music.zk", "the shipped music");
    }
    void TearDown() override {
        fs::permissions(home, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root);
    }
    std::vector<std::string> Names(const fs::path& dir) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root = fs::temp_directory_path() / ("zarnok-entry-" + std::to_string(getpid()));
    fs::path shipped = root / "usr" / "share" / "games" / "zarnok";
    fs::path home = root / "home";
    fs::path folder = home / ".local" / "share" / "zarnok";
};

TEST_F(PlayerFolder, FirstStartMakesAPrivateFolderWithTheSeedAndALinkLaterStartsKeepTheScores) {
    ASSERT_EQ(entry::PreparePlayerFolder(folder, shipped, kFiles), "");
    for (const fs::path& made : {home / ".local", home / ".local" / "share", folder})
        EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all) << made;
    EXPECT_EQ(Read(folder / "hiscores.zk"), "the shipped table");
    EXPECT_FALSE(fs::is_symlink(folder / "hiscores.zk"));
    EXPECT_EQ(fs::read_symlink(folder / "music.zk"), shipped / "music.zk");
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"hiscores.zk", "music.zk"}));

    Write(folder / "hiscores.zk", "the player's own scores");
    Write(shipped / "hiscores.zk", "a newer shipped table");
    Write(shipped / "music.zk", "newer music");
    ASSERT_EQ(entry::PreparePlayerFolder(folder, shipped, kFiles), "");
    EXPECT_EQ(Read(folder / "hiscores.zk"), "the player's own scores");
    EXPECT_EQ(Read(folder / "music.zk"), "newer music");
}

// A link left pointing at nothing or at an old installation is made again; a
// music file the player put there is theirs.
TEST_F(PlayerFolder, StaleMusicLinksAreMadeAgainAndAPlayersOwnFileStays) {
    fs::create_directories(folder);
    Write(root / "old-music.zk", "old");
    for (const fs::path& stale : {root / "removed" / "music.zk", root / "old-music.zk"}) {
        fs::remove(folder / "music.zk");
        fs::create_symlink(stale, folder / "music.zk");
        ASSERT_EQ(entry::PreparePlayerFolder(folder, shipped, kFiles), "") << stale;
        EXPECT_EQ(fs::read_symlink(folder / "music.zk"), shipped / "music.zk");
    }
    fs::remove(folder / "music.zk");
    Write(folder / "music.zk", "the player's music");
    ASSERT_EQ(entry::PreparePlayerFolder(folder, shipped, kFiles), "");
    EXPECT_EQ(Read(folder / "music.zk"), "the player's music");
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"hiscores.zk", "music.zk"}));
}

TEST_F(PlayerFolder, BadPlacesAreRefusedWithTheirReasonAndLeftAsTheyWere) {
    struct Case {
        const char* what;
        void (*make)(const fs::path& folder, const fs::path& shipped);
        std::string reason;  // after the root
    };
    const Case cases[] = {
        {"the folder is a file",
         [](const fs::path& f, const fs::path&) { fs::create_directories(f.parent_path()); Write(f, "x"); },
         "/home/.local/share/zarnok: not a folder"},
        {"hiscores.zk is a folder",
         [](const fs::path& f, const fs::path&) { fs::create_directories(f / "hiscores.zk"); },
         "/home/.local/share/zarnok/hiscores.zk: not a file"},
        {"music.zk is a folder",
         [](const fs::path& f, const fs::path&) { fs::create_directories(f / "music.zk"); },
         "/home/.local/share/zarnok/music.zk: not a file"},
        {"the shipped music is gone",
         [](const fs::path& f, const fs::path& s) { fs::create_directories(f); fs::remove(s / "music.zk"); },
         "/usr/share/games/zarnok/music.zk: No such file or directory"},
    };
    for (const Case& c : cases) {
        fs::remove_all(home);
        fs::create_directories(home);
        Write(shipped / "music.zk", "the shipped music");
        c.make(folder, shipped);
        const bool folderWasFile = fs::is_regular_file(folder);
        EXPECT_EQ(entry::PreparePlayerFolder(folder, shipped, kFiles), root.string() + c.reason) << c.what;
        if (folderWasFile) {
            EXPECT_EQ(Read(folder), "x") << c.what;
        }
    }
}

// A full disk while the shipped table is copied leaves no part of it behind: the next
// start copies it whole.
TEST_F(PlayerFolder, AFullDiskLeavesNoHalfCopiedTable) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit tiny = previous;
    tiny.rlim_cur = 4;  // writes past the fourth byte fail as on a full disk
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const std::string reason = entry::PreparePlayerFolder(folder, shipped, kFiles);
    setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_EQ(reason, (folder / "hiscores.zk").string() + ": File too large");
    EXPECT_EQ(Names(folder), std::vector<std::string>{});

    ASSERT_EQ(entry::PreparePlayerFolder(folder, shipped, kFiles), "");
    EXPECT_EQ(Read(folder / "hiscores.zk"), "the shipped table");
}

// A home where nothing can be made. Run in a child that is not root (root
// may write anywhere), so the permission check is real on every machine.
TEST_F(PlayerFolder, AnUnwritableHomeIsRefused) {
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(home, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
    const std::string expected = (home / ".local").string() + ": Permission denied";
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(channel[0]);
        if (geteuid() == 0 && setuid(65534) != 0) _exit(2);
        const std::string reason = entry::PreparePlayerFolder(folder, shipped, kFiles);
        if (write(channel[1], reason.data(), reason.size()) < 0) _exit(3);
        _exit(0);
    }
    close(channel[1]);
    std::string reason;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) reason.append(buffer, static_cast<size_t>(got));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(reason, expected);
    EXPECT_FALSE(fs::exists(home / ".local"));
}

// When the player's folder cannot be used, the run gets a private folder of
// its own with the same files; nothing is left behind when even that fails.
TEST_F(PlayerFolder, ASessionFolderIsPrivateAndHoldsTheSameFiles) {
    const fs::path temp = root / "tmp";
    fs::create_directories(temp);
    std::string whyNot;
    const fs::path session = entry::MakeSessionFolder(temp, "zarnok", shipped, kFiles, whyNot);
    ASSERT_FALSE(session.empty()) << whyNot;
    EXPECT_EQ(session.parent_path(), temp);
    EXPECT_EQ(session.filename().string().rfind("zarnok-", 0), 0u);
    EXPECT_EQ(fs::status(session).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(Read(session / "hiscores.zk"), "the shipped table");
    EXPECT_EQ(Read(session / "music.zk"), "the shipped music");
    fs::remove_all(session);

    fs::remove(shipped / "hiscores.zk");
    EXPECT_TRUE(entry::MakeSessionFolder(temp, "zarnok", shipped, kFiles, whyNot).empty());
    EXPECT_EQ(whyNot, (shipped / "hiscores.zk").string() + ": No such file or directory");
    EXPECT_EQ(Names(temp), std::vector<std::string>{});
}

TEST(DataFolder, FollowsXdgDataHomeThenHome) {
    EXPECT_EQ(entry::DefaultDataFolder("/x/data", "/home/p", "zarnok"), fs::path("/x/data/zarnok"));
    EXPECT_EQ(entry::DefaultDataFolder("relative", "/home/p", "zarnok"), fs::path("/home/p/.local/share/zarnok"));
    EXPECT_EQ(entry::DefaultDataFolder("", "/home/p", "zarnok"), fs::path("/home/p/.local/share/zarnok"));
    EXPECT_EQ(entry::DefaultDataFolder(nullptr, "/home/p", "zarnok"), fs::path("/home/p/.local/share/zarnok"));
    EXPECT_EQ(entry::DefaultDataFolder(nullptr, nullptr, "zarnok"), fs::path());
    EXPECT_EQ(entry::DefaultDataFolder(nullptr, "", "zarnok"), fs::path());
}

TEST(DataFolder, SplitListDropsEmptyParts) {
    EXPECT_EQ(entry::SplitList("a;b;;c;"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(entry::SplitList(""), std::vector<std::string>{});
}

}  // namespace
