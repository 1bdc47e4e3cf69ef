#include "shell_harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

int testResult = 1;

ShellUnderTest harness;

// A fresh folder with the two files the game reads beside it, as a player has.
fs::path MakePlayFolder() {
    fs::path folder = fs::temp_directory_path() / ("zarnok-shell-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path resources = ZARNOK_RESOURCE_DIR;
    fs::copy_file(resources / "music.zk", folder / "music.zk");
    fs::copy_file(resources / "hiscores.zk", folder / "hiscores.zk");
    return folder;
}

}  // namespace

int ShellUnderTest::InitApp() {
    if (GameApp::InitApp() == 0) {
        std::fprintf(stderr, "the game did not start: %s\n", DebugLog().c_str());
        testResult = 1;
        return 0;
    }
    testResult = RUN_ALL_TESTS();
    // Returning 0 ends vorlapMain before its loop: the cases are done.
    return 0;
}

ShellUnderTest& Game() { return harness; }

bool TakeQueuedClose() {
    bool found = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message == WM_CLOSE) found = true;
    return found;
}

std::string DebugLog() {
    std::ifstream in("debug.txt");
    if (!in) return "";
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Always headless: no window on a developer's display, no sound card needed.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

    const fs::path folder = MakePlayFolder();
    fs::current_path(folder);
    char commandLine[] = "";
    vorlapMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    return testResult;
}
