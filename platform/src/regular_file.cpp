#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace layer {

int OpenRegularFile(const char* name) {
    // Without O_NONBLOCK the open of a FIFO itself would wait; the flag is
    // dropped again once the file is known to be a plain file.
    const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info;
    int refusal = 0;
    if (::fstat(fd, &info) != 0) refusal = errno;
    else if (S_ISDIR(info.st_mode)) refusal = EISDIR;
    else if (!S_ISREG(info.st_mode)) refusal = EINVAL;
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) refusal = errno;
    if (refusal != 0) {
        ::close(fd);
        errno = refusal;
        return -1;
    }
    return fd;
}

bool ReadRegularFile(const char* name, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    const int fd = OpenRegularFile(name);
    if (fd < 0) return false;
    struct stat info;
    int failure = 0;
    if (::fstat(fd, &info) != 0) failure = errno;
    else if (static_cast<unsigned long long>(info.st_size) > limit) failure = EFBIG;
    if (failure == 0) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t got = 0;
        // A file that grows while it is read is cut at the size it had.
        while (got < bytes.size()) {
            const ssize_t part = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (part < 0 && errno == EINTR) continue;
            if (part < 0) failure = errno;
            if (part <= 0) break;
            got += static_cast<std::size_t>(part);
        }
        bytes.resize(got);
    }
    ::close(fd);
    if (failure != 0) {
        bytes.clear();
        errno = failure;
        return false;
    }
    return true;
}

}  // namespace layer
