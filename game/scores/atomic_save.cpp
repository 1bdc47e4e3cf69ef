#include "scores/atomic_save.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <vector>
#endif

namespace atomic_save {

namespace {

constexpr char kTemporaryMark[] = ".tmp-";
constexpr std::size_t kSuffixLength = 6;
constexpr char kSuffixLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Name clashes are only ever a leftover or another save at the same moment;
// this many tries is far beyond either.
constexpr int kNameAttempts = 100;

bool IsSuffixLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Well-mixed bits from a counter, so names made in one run never repeat and
// names made by two processes at the same moment are unlikely to meet.
std::uint64_t Mix(std::uint64_t value) {
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

std::uint64_t Seed();

std::string TemporaryName(const std::string& base) {
    static std::uint64_t counter = 0;
    std::uint64_t bits = Mix(Seed() ^ Mix(++counter));
    std::string name = base + kTemporaryMark;
    for (std::size_t i = 0; i < kSuffixLength; ++i) {
        name += kSuffixLetters[bits % (sizeof kSuffixLetters - 1)];
        bits /= sizeof kSuffixLetters - 1;
    }
    return name;
}

struct Place {
    std::string folder;  // ends in a separator, or is empty for the current folder
    std::string base;    // the file's own name
};

Place Split(const std::string& path) {
#ifdef _WIN32
    const std::string::size_type cut = path.find_last_of("/\\:");
#else
    const std::string::size_type cut = path.find_last_of('/');
#endif
    if (cut == std::string::npos) return {"", path};
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

#ifdef _WIN32

std::uint64_t Seed() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<std::uint64_t>(now.QuadPart) ^ (static_cast<std::uint64_t>(GetCurrentProcessId()) << 40);
}

void RemoveLeftovers(const Place& place) {
    WIN32_FIND_DATAA found;
    const std::string pattern = place.folder + place.base + kTemporaryMark + "*";
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTemporaryOf(place.base, found.cFileName))
            DeleteFileA((place.folder + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string LastError(const char* step, const std::string& path) {
    return std::string(step) + " \"" + path + "\": error " + std::to_string(GetLastError());
}

bool ReplaceAt(const Place& place, const unsigned char* bytes, std::size_t size, std::string& failure) {
    const std::string target = place.folder + place.base;
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        failure = "\"" + target + "\" is a folder, not a file";
        return false;
    }
    RemoveLeftovers(place);
    std::string temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kNameAttempts && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = place.folder + TemporaryName(place.base);
        file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (file == INVALID_HANDLE_VALUE) {
        failure = LastError("cannot create", temporary);
        return false;
    }
    DWORD written = 0;
    bool ok = ::WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
    if (!ok) failure = LastError("cannot write", temporary);
    if (ok && !FlushFileBuffers(file)) {
        failure = LastError("cannot flush", temporary);
        ok = false;
    }
    CloseHandle(file);
    if (ok && !MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failure = LastError("cannot rename over", target);
        ok = false;
    }
    if (!ok) DeleteFileA(temporary.c_str());
    return ok;
}

bool ReplaceTarget(const std::string& path, const unsigned char* bytes, std::size_t size, std::string& failure) {
    return ReplaceAt(Split(path), bytes, size, failure);
}

#else

constexpr int kMaxLinks = 40;  // as many as the kernel follows before ELOOP

std::string Reason(const char* step, const std::string& path, int error) {
    return std::string(step) + " \"" + path + "\": " + std::strerror(error);
}

std::uint64_t Seed() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::uint64_t nanoseconds =
        static_cast<std::uint64_t>(now.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(now.tv_nsec);
    return nanoseconds ^ (static_cast<std::uint64_t>(getpid()) << 40);
}

// The file that `path` names once every symbolic link on the way has been
// followed, so that the save replaces it and leaves the links in place. A
// link may lead to a file that does not exist yet; the save then creates it.
bool FollowLinks(std::string& path, std::string& failure) {
    for (int hops = 0; hops < kMaxLinks; ++hops) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        std::vector<char> target(PATH_MAX);
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
            failure = Reason("cannot read the link", path, length < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        const std::string leadsTo(target.data(), static_cast<std::size_t>(length));
        path = leadsTo[0] == '/' ? leadsTo : Split(path).folder + leadsTo;
    }
    failure = Reason("cannot follow", path, ELOOP);
    return false;
}

void RemoveLeftovers(const Place& place) {
    DIR* folder = opendir(place.folder.empty() ? "." : place.folder.c_str());
    if (folder == nullptr) return;
    // Only plain files of our own pattern: anything else there is not ours.
    while (const dirent* entry = readdir(folder)) {
        if (!IsTemporaryOf(place.base, entry->d_name)) continue;
        struct stat info;
        if (fstatat(dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            unlinkat(dirfd(folder), entry->d_name, 0);
    }
    closedir(folder);
}

bool WriteAll(int fd, const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The new directory entry itself must reach the disk too. When this fails the
// rename has still happened, so it is not reported.
void FlushFolder(const Place& place) {
    const int folder = open(place.folder.empty() ? "." : place.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    fsync(folder);
    close(folder);
}

bool ReplaceAt(const Place& place, const unsigned char* bytes, std::size_t size, std::string& failure) {
    const std::string target = place.folder + place.base;
    struct stat old;
    const bool exists = lstat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        failure = "\"" + target + "\" is not a regular file";
        return false;
    }
    RemoveLeftovers(place);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
        temporary = place.folder + TemporaryName(place.base);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        failure = Reason("cannot create", temporary, errno);
        return false;
    }
    bool ok = true;
    // The replacement keeps the owner and permissions of the old file. Only
    // root can hand a file back to its owner, and must, or a save run as root
    // would take the player's table from them; for anyone else the owner is
    // already right, or beyond their power to set.
    if (exists && fchown(fd, old.st_uid, old.st_gid) != 0 && geteuid() == 0) {
        failure = Reason("cannot give back", temporary, errno);
        ok = false;
    }
    if (ok && exists && fchmod(fd, old.st_mode & 07777) != 0) {
        failure = Reason("cannot set the permissions of", temporary, errno);
        ok = false;
    }
    if (ok && !WriteAll(fd, bytes, size)) {
        failure = Reason("cannot write", temporary, errno);
        ok = false;
    }
    // The rename must never publish a file whose bytes are not on the disk.
    if (ok && fsync(fd) != 0) {
        failure = Reason("cannot flush", temporary, errno);
        ok = false;
    }
    if (close(fd) != 0 && ok) {
        failure = Reason("cannot close", temporary, errno);
        ok = false;
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        failure = Reason("cannot rename over", target, errno);
        ok = false;
    }
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    FlushFolder(place);
    return true;
}

bool ReplaceTarget(std::string path, const unsigned char* bytes, std::size_t size, std::string& failure) {
    if (!FollowLinks(path, failure)) return false;
    return ReplaceAt(Split(path), bytes, size, failure);
}

#endif

}  // namespace

bool IsTemporaryOf(const std::string& name, const std::string& candidate) {
    const std::size_t prefix = name.size() + sizeof kTemporaryMark - 1;
    if (candidate.size() != prefix + kSuffixLength) return false;
    if (candidate.compare(0, name.size(), name) != 0) return false;
    if (candidate.compare(name.size(), sizeof kTemporaryMark - 1, kTemporaryMark) != 0) return false;
    for (std::size_t i = prefix; i < candidate.size(); ++i) {
        if (!IsSuffixLetter(candidate[i])) return false;
    }
    return true;
}

bool Replace(const char* fileName, const unsigned char* bytes, std::size_t size, std::string& failure) {
    if (fileName == nullptr || fileName[0] == 0) {
        failure = "no file name";
        return false;
    }
    return ReplaceTarget(fileName, bytes, size, failure);
}

}  // namespace atomic_save
