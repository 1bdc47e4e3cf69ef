// The player's own copy of the files an installed program reads and writes
// beside it. The installed (shipped) folder is read-only for the player; the
// program runs in a folder of the player's, where the files it changes are
// seeded from the shipped ones once, and the files it only reads are links
// to the shipped ones, so an update of the package reaches them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace entry {

struct PlayerFiles {
    std::vector<std::string> seeds;   // copied in when absent, never overwritten
    std::vector<std::string> shared;  // links to the shipped files
};

// "a;b;c" -> {"a", "b", "c"}, empty parts left out.
std::vector<std::string> SplitList(const std::string& list);

// $XDG_DATA_HOME/<name> when that is an absolute path, else
// $HOME/.local/share/<name>; empty when neither variable helps.
std::filesystem::path DefaultDataFolder(const char* xdgDataHome, const char* home, const std::string& name);

// Makes `folder` (mode 0700 where it is created) hold the files, taken from
// `shipped`. Returns "" when the program can run there and keep what it
// writes, otherwise why not, in words for the player. A file the player
// already has is never changed.
std::string PreparePlayerFolder(const std::filesystem::path& folder, const std::filesystem::path& shipped,
                                const PlayerFiles& files);

// A private folder under `tempRoot` for one run, prepared the same way, for
// when the player's own cannot be used; empty (and `whyNot` set) on failure.
std::filesystem::path MakeSessionFolder(const std::filesystem::path& tempRoot, const std::string& name,
                                        const std::filesystem::path& shipped, const PlayerFiles& files,
                                        std::string& whyNot);

}  // namespace entry
