// zarnok_recorder SCRIPT JOURNAL: plays the game by SCRIPT (see
// scripted_player.h) in a fresh folder holding the shipped files, headless,
// and records it into JOURNAL for `zarnok --replay`. Exit 0 when the script
// went as planned, 1 otherwise (the journal is then not worth keeping).
#include <windows.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "journal_start.h"
#include "scripted_player.h"
#include "seam/idle.h"

namespace fs = std::filesystem;

// The framework's application: the one game of the process.
static RecordedGame game;

int main(int argc, char** argv) {
    if (argc != 3 || !KnownScript(argv[1])) {
        std::fprintf(stderr, "usage: %s won-round|raging-loss|pause-and-lost-surfaces|quit-from-caption JOURNAL\n",
                     argv[0]);
        return 2;
    }
    const std::string script = argv[1];
    const fs::path journal = fs::absolute(argv[2]);
    const fs::path folder = fs::temp_directory_path() / ("zarnok-recorder-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const char* name : {"music.zk", "hiscores.zk"}) fs::copy_file(fs::path(ZARNOK_RESOURCE_DIR) / name, folder / name);
    fs::current_path(folder);

    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (const std::string whyNot = entry::StartJournal(journal, ZARNOK_VERSION, {"hiscores.zk"}); !whyNot.empty()) {
        std::fprintf(stderr, "%s\n", whyNot.c_str());
        return 1;
    }
    setenv("WINLAYER_RECORD", journal.c_str(), 1);
    // Without a display the idle loop would spin, and the journal would
    // hold every spin: wait as it waits for a player.
    seam::SleepWhenIdle(true);

    std::string outcome;
    std::thread player([&outcome, &script] { outcome = PlayScript(game, script); });
    char commandLine[] = "";
    // As the program's WinMain starts it.
    const int result = vorlapMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
    player.join();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    if (!outcome.empty()) std::fprintf(stderr, "%s: %s\n", script.c_str(), outcome.c_str());
    return outcome.empty() && result == 0 ? 0 : 1;
}
