// The game's start-up on a system without DirectSound: a missing sound device
// only turns the sound off, but DirectSound itself refused (through the test
// seam) is still fatal, with the one fixed line in debug.txt and no loop run.
// A binary of its own: the framework's application is process-wide, and this
// one must never start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "seam/audio.h"
#include "shell/game_app.h"

namespace {

namespace fs = std::filesystem;

GameApp game;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(StartFailure, RefusedDirectSoundStopsTheStartWithItsMessage) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const fs::path folder = fs::temp_directory_path() / ("zarnok-start-failure-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path resources = ZARNOK_RESOURCE_DIR;
    fs::copy_file(resources / "music.zk", folder / "music.zk");
    fs::copy_file(resources / "hiscores.zk", folder / "hiscores.zk");
    const std::string table = Read(folder / "hiscores.zk");
    fs::current_path(folder);

    seam::RefuseDirectSound(true);
    char commandLine[] = "";
    EXPECT_EQ(vorlapMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW), 0);
    EXPECT_EQ(Read("debug.txt"), "ERROR: Aborting\nCould not initialise DirectSound.\n");
    EXPECT_EQ(Read("hiscores.zk"), table);

    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
}

}  // namespace
