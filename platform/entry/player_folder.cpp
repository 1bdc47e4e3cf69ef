#include "player_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace entry {

namespace fs = std::filesystem;

namespace {

std::string Why(const fs::path& path, int error) { return path.string() + ": " + std::strerror(error); }

// A hidden name beside `path` for a file made before it takes its place.
fs::path Beside(const fs::path& path, const char* suffix) {
    std::string name = ".";
    name += path.filename().string();
    name += suffix;
    return path.parent_path() / name;
}

// Writes a copy of `from` as `to` in one step: `to` appears whole or not at
// all, and an existing `to` is never replaced (link() refuses to).
std::string CopyNew(const fs::path& from, const fs::path& to) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Why(from, errno);
    std::string temp = Beside(to, ".XXXXXX").string();
    const int out = mkstemp(temp.data());
    if (out < 0) {
        const int error = errno;
        close(in);
        return Why(to.parent_path(), error);
    }
    std::string failure;
    char buffer[8192];
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0) {
            failure = Why(from, errno);
            break;
        }
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(out, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                failure = Why(to, errno);
                break;
            }
            done += put;
        }
        if (!failure.empty()) break;
    }
    if (failure.empty() && fsync(out) != 0) failure = Why(to, errno);
    if (close(out) != 0 && failure.empty()) failure = Why(to, errno);
    close(in);
    if (failure.empty() && link(temp.c_str(), to.c_str()) != 0 && errno != EEXIST) failure = Why(to, errno);
    unlink(temp.c_str());
    return failure;
}

// A file the player may already have: a regular file (or a link to one) is
// theirs and stays; anything else in its place is refused.
std::string PlaceSeed(const fs::path& from, const fs::path& to) {
    struct stat st {};
    if (lstat(to.c_str(), &st) != 0) {
        if (errno != ENOENT) return Why(to, errno);
        return CopyNew(from, to);
    }
    if (S_ISLNK(st.st_mode) && stat(to.c_str(), &st) != 0) return Why(to, errno);
    if (!S_ISREG(st.st_mode)) return to.string() + ": not a file";
    return "";
}

// A link to the shipped file, made again when it points elsewhere or at
// nothing (the package moved or was reinstalled); a regular file the player
// put there instead is left alone.
std::string PlaceShared(const fs::path& from, const fs::path& to) {
    struct stat st {};
    if (stat(from.c_str(), &st) != 0) return Why(from, errno);
    if (lstat(to.c_str(), &st) != 0) {
        if (errno != ENOENT) return Why(to, errno);
        return symlink(from.c_str(), to.c_str()) == 0 ? "" : Why(to, errno);
    }
    if (S_ISREG(st.st_mode)) return "";
    if (!S_ISLNK(st.st_mode)) return to.string() + ": not a file";
    std::error_code error;
    const fs::path current = fs::read_symlink(to, error);
    if (!error && current == from && fs::exists(to, error)) return "";
    // Replaced in one step, so there is never a moment without it.
    const fs::path temp = Beside(to, ".link");
    unlink(temp.c_str());
    if (symlink(from.c_str(), temp.c_str()) != 0) return Why(to, errno);
    if (rename(temp.c_str(), to.c_str()) != 0) {
        const int failure = errno;
        unlink(temp.c_str());
        return Why(to, failure);
    }
    return "";
}

// Creates the missing folders of `folder`, each private to the player.
std::string MakeFolders(const fs::path& folder) {
    fs::path sofar;
    for (const fs::path& part : folder) {
        sofar /= part;
        if (mkdir(sofar.c_str(), 0700) != 0 && errno != EEXIST) return Why(sofar, errno);
    }
    return "";
}

}  // namespace

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= list.size()) {
        std::string::size_type end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) parts.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

fs::path DefaultDataFolder(const char* xdgDataHome, const char* home, const std::string& name) {
    // XDG says a relative value is to be ignored.
    if (xdgDataHome && xdgDataHome[0] == '/') return fs::path(xdgDataHome) / name;
    if (home && home[0] == '/') return fs::path(home) / ".local" / "share" / name;
    return {};
}

std::string PreparePlayerFolder(const fs::path& folder, const fs::path& shipped, const PlayerFiles& files) {
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) return folder.string() + ": not a folder";
    } else if (errno == ENOENT) {
        if (std::string failure = MakeFolders(folder); !failure.empty()) return failure;
    } else {
        return Why(folder, errno);
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) return Why(folder, errno);
    for (const std::string& name : files.seeds)
        if (std::string failure = PlaceSeed(shipped / name, folder / name); !failure.empty()) return failure;
    for (const std::string& name : files.shared)
        if (std::string failure = PlaceShared(shipped / name, folder / name); !failure.empty()) return failure;
    return "";
}

fs::path MakeSessionFolder(const fs::path& tempRoot, const std::string& name, const fs::path& shipped,
                           const PlayerFiles& files, std::string& whyNot) {
    std::string pattern = (tempRoot / (name + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
        whyNot = Why(tempRoot, errno);
        return {};
    }
    const fs::path folder = pattern;
    whyNot = PreparePlayerFolder(folder, shipped, files);
    if (!whyNot.empty()) {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
        return {};
    }
    return folder;
}

}  // namespace entry
