// The process entry of programs written against WinMain: what the Windows
// loader does for them, here for every other host. It first takes out the
// options a player on this host expects (kept out of the programs, which
// read no command line), settles the folder the program works in, and
// afterwards repeats on standard error what the program left in its log
// when it had to stop. The rest of the command line goes to WinMain joined
// by spaces.
#include <windows.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "entry_options.h"
#include "journal_start.h"
#include "player_folder.h"
#include "program_profile.h"

namespace {

namespace fs = std::filesystem;
using entry::kProgram;

std::vector<entry::OptionRow> OptionTable() {
    std::vector<entry::OptionRow> table = {
        {"--help", nullptr, "show this help and exit"},
        {"--version", nullptr, "show the version and exit"},
        {"--window", nullptr, "start in a window rather than full screen"},
        {"--data-dir", "DIR", "work in DIR instead of the usual data folder"},
        {"--record", "FILE", "record the game into FILE, to be watched again with --replay"},
        {"--replay", "FILE", "replay the game recorded in FILE, with its files; Escape stops it"},
        {"--headless", nullptr, "with --replay: no window and no sound, as fast as it goes"},
        {"--frame-hashes", "FILE", "with --replay: a line per frame shown: number, tick, pixel hash"},
        {"--frames", "DIR", "with --replay: save the frames shown as PNG pictures in DIR"},
        {"--every", "N", "with --frames: only every Nth frame"},
    };
    return table;
}

bool KeepsFiles() { return kProgram.dataFolderName[0] != '\0'; }

// The installed data folder, when this program runs from an installation.
fs::path ShippedFolder() {
    if (!KeepsFiles()) return {};
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const fs::path shipped = (self.parent_path() / kProgram.shippedData).lexically_normal();
    return fs::is_directory(shipped, error) ? shipped : fs::path();
}

// Where private folders for one run go: $TMPDIR when it names one, else /tmp.
fs::path TempRoot() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && tmp[0] == '/' ? fs::path(tmp) : fs::path("/tmp");
}

// Where the program runs. Installed: the player's folder, or, when that is
// unusable, a private folder for this run (removed afterwards, in
// `sessionFolder`). From a build tree: where it was started, or DIR.
// False when the program cannot start at all.
bool EnterWorkingFolder(const entry::ParsedOptions& options, fs::path& sessionFolder) {
    const fs::path shipped = ShippedFolder();
    if (shipped.empty()) {
        if (!options.Has("--data-dir")) return true;
        const std::string dir = options.Value("--data-dir");
        if (chdir(dir.c_str()) == 0) return true;
        std::fprintf(stderr, "%s: %s: %s\n", kProgram.name, dir.c_str(), std::strerror(errno));
        return false;
    }

    const entry::PlayerFiles files{entry::SplitList(kProgram.seedFiles), entry::SplitList(kProgram.sharedFiles)};
    fs::path folder = options.Has("--data-dir")
                          ? fs::absolute(options.Value("--data-dir"))
                          : entry::DefaultDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), kProgram.dataFolderName);
    std::string whyNot = folder.empty() ? "neither XDG_DATA_HOME nor HOME names a folder"
                                        : entry::PreparePlayerFolder(folder, shipped, files);
    if (whyNot.empty() && chdir(folder.c_str()) != 0) whyNot = folder.string() + ": " + std::strerror(errno);
    if (whyNot.empty()) return true;

    std::fprintf(stderr, "%s: %s; %s\n", kProgram.name, whyNot.c_str(), kProgram.lostWithoutFolder);
    std::string sessionWhyNot;
    sessionFolder = entry::MakeSessionFolder(TempRoot(), kProgram.name, shipped, files, sessionWhyNot);
    if (!sessionFolder.empty() && chdir(sessionFolder.c_str()) == 0) return true;
    std::fprintf(stderr, "%s: no folder to run in: %s\n", kProgram.name, sessionWhyNot.c_str());
    return false;
}

// Where a replay runs: the --data-dir, or a private folder for the run (in
// `sessionFolder`), prepared like the player's but never the player's own,
// whose best scores a replay must not touch. The recording's files go in.
bool EnterReplayFolder(const entry::ParsedOptions& options, const fs::path& journal, fs::path& sessionFolder) {
    const entry::PlayerFiles files{entry::SplitList(kProgram.seedFiles), entry::SplitList(kProgram.sharedFiles)};
    const fs::path installed = ShippedFolder();
    std::error_code error;
    const fs::path shipped = installed.empty() ? fs::current_path(error) : installed;
    std::string whyNot;
    fs::path folder;
    if (options.Has("--data-dir")) {
        folder = fs::absolute(options.Value("--data-dir"));
        fs::create_directories(folder, error);
        if (KeepsFiles() && !installed.empty()) whyNot = entry::PreparePlayerFolder(folder, shipped, files);
    } else {
        folder = sessionFolder = entry::MakeSessionFolder(TempRoot(), kProgram.name, shipped, files, whyNot);
    }
    if (whyNot.empty() && (folder.empty() || chdir(folder.c_str()) != 0))
        whyNot = folder.string() + ": " + std::strerror(errno);
    if (whyNot.empty()) whyNot = entry::RestoreJournalFiles(journal, kProgram.version);
    if (whyNot.empty()) return true;
    std::fprintf(stderr, "%s: %s\n", kProgram.name, whyNot.c_str());
    return false;
}

// The options of recording and replaying, checked together; "" when they fit.
std::string ReplayOptionsProblem(const entry::ParsedOptions& options) {
    if (options.Has("--record") && options.Has("--replay")) return "--record and --replay cannot go together";
    for (const char* name : {"--headless", "--frame-hashes", "--frames"})
        if (options.Has(name) && !options.Has("--replay")) return std::string(name) + " needs --replay";
    if (options.Has("--every")) {
        if (!options.Has("--frames")) return "--every needs --frames";
        const std::string n = options.Value("--every");
        if (n.empty() || n.find_first_not_of("0123456789") != std::string::npos || std::stoul(n.substr(0, 9)) == 0)
            return "--every needs a whole number above 0";
    }
    return "";
}

struct LogStamp {
    bool exists = false;
    struct stat st {};
};

LogStamp StampOf(const char* path) {
    LogStamp stamp;
    stamp.exists = path[0] != '\0' && stat(path, &stamp.st) == 0;
    return stamp;
}

// The program's log reaches the player too when it was written during this run.
void EchoLogIfWritten(const LogStamp& before) {
    if (kProgram.logFile[0] == '\0') return;
    const LogStamp after = StampOf(kProgram.logFile);
    if (!after.exists || after.st.st_size == 0) return;
    if (before.exists && before.st.st_ino == after.st.st_ino && before.st.st_size == after.st.st_size &&
        before.st.st_mtim.tv_sec == after.st.st_mtim.tv_sec && before.st.st_mtim.tv_nsec == after.st.st_mtim.tv_nsec)
        return;
    std::ifstream log(kProgram.logFile);
    std::string line;
    while (std::getline(log, line)) std::fprintf(stderr, "%s: %s\n", kProgram.name, line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<entry::OptionRow> table = OptionTable();
    entry::ParsedOptions options = entry::ParseOptions(table, argc, argv);
    if (options.error.empty()) options.error = ReplayOptionsProblem(options);
    if (!options.error.empty()) {
        std::fprintf(stderr, "%s: %s\n%s", kProgram.name, options.error.c_str(),
                     entry::Usage(table, kProgram.name, kProgram.summary).c_str());
        return 2;
    }
    if (options.Has("--help")) {
        std::fputs(entry::Usage(table, kProgram.name, kProgram.summary).c_str(), stdout);
        if (KeepsFiles())
            std::printf("\nInstalled, it keeps its files in $XDG_DATA_HOME/%s (by default ~/.local/share/%s).\n",
                        kProgram.dataFolderName, kProgram.dataFolderName);
        return 0;
    }
    if (options.Has("--version")) {
        std::printf("%s %s\n", kProgram.name, kProgram.version);
        return 0;
    }
    // The layer's one way to be asked for a window instead of the full screen.
    if (options.Has("--window")) setenv("WINLAYER_WINDOWED", "1", 1);

    // The layer learns of a recording or a replay through the environment,
    // as of --window; the paths are made absolute before the folder changes.
    const auto absolute = [&options](const char* name) { return fs::absolute(options.Value(name)).string(); };
    fs::path sessionFolder;
    if (options.Has("--replay")) {
        const std::string journal = absolute("--replay");
        if (options.Has("--frame-hashes")) setenv("WINLAYER_FRAME_HASHES", absolute("--frame-hashes").c_str(), 1);
        if (options.Has("--frames")) {
            std::error_code ignored;
            fs::create_directories(absolute("--frames"), ignored);
            setenv("WINLAYER_FRAMES", absolute("--frames").c_str(), 1);
            setenv("WINLAYER_FRAMES_EVERY", options.Has("--every") ? options.Value("--every").c_str() : "1", 1);
        }
        if (options.Has("--headless")) {
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            setenv("WINLAYER_REPLAY_FAST", "1", 1);
        }
        if (!EnterReplayFolder(options, journal, sessionFolder)) return 2;
        setenv("WINLAYER_REPLAY", journal.c_str(), 1);
    } else {
        const std::string journal = options.Has("--record") ? absolute("--record") : std::string();
        if (!EnterWorkingFolder(options, sessionFolder)) return 1;
        if (!journal.empty()) {
            const std::string whyNot = entry::StartJournal(journal, kProgram.version, entry::SplitList(kProgram.seedFiles));
            if (!whyNot.empty()) {
                std::fprintf(stderr, "%s: %s\n", kProgram.name, whyNot.c_str());
                return 1;
            }
            setenv("WINLAYER_RECORD", journal.c_str(), 1);
        }
    }

    std::string commandLine;
    for (const std::string& arg : options.rest) {
        if (!commandLine.empty()) commandLine += ' ';
        commandLine += arg;
    }
    const LogStamp before = StampOf(kProgram.logFile);
    const int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
    EchoLogIfWritten(before);
    if (!sessionFolder.empty()) {
        std::error_code ignored;
        fs::current_path("/", ignored);
        fs::remove_all(sessionFolder, ignored);
    }
    return result;
}
