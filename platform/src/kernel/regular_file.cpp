// Opening a file by name so that it can never block the program: only
// regular files are taken. A FIFO with no writer, a terminal or a tape would
// otherwise stop the game in open() or read() for ever.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "kernel/kernel.h"

namespace vplat::kernel {
namespace {

bool Refuse(const struct stat& info, std::string* why) {
    if (S_ISREG(info.st_mode)) {
        return false;
    }
    *why = S_ISDIR(info.st_mode) ? "is a directory" : "is not a regular file";
    return true;
}

}  // namespace

int OpenRegularFile(const char* path, int accessFlags, std::string* why) {
    std::string ignored;
    why = why != nullptr ? why : &ignored;
    struct stat info {};
    // Looking first keeps devices from being opened at all (opening some has
    // effects of its own); the check after opening closes the race with a
    // file replaced in between.
    if (stat(path, &info) != 0) {
        *why = strerror(errno);
        return -1;
    }
    if (Refuse(info, why)) {
        return -1;
    }
    int fd = open(path, accessFlags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *why = strerror(errno);
        return -1;
    }
    if (fstat(fd, &info) != 0 || Refuse(info, why)) {
        close(fd);
        return -1;
    }
    // Regular files never block; the flag goes so that reads behave plainly.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int64_t ReadAt(int fd, int64_t offset, char* data, size_t size) {
    ssize_t got = 0;
    do {
        got = pread(fd, data, size, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    return got;
}

bool ReadRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* data,
                     std::string* why) {
    std::string ignored;
    why = why != nullptr ? why : &ignored;
    data->clear();
    int fd = OpenRegularFile(path, O_RDONLY, why);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && static_cast<uint64_t>(info.st_size) <= maxBytes;
    if (!ok) {
        *why = "is too large";
    }
    // A file that grows while it is read is read only up to its size then.
    size_t size = ok ? static_cast<size_t>(info.st_size) : 0;
    data->resize(size);
    size_t total = 0;
    while (ok && total < size) {
        ssize_t got = read(fd, data->data() + total, size - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            *why = strerror(errno);
            ok = false;
        }
        if (got <= 0) {
            break;
        }
        total += static_cast<size_t>(got);
    }
    close(fd);
    data->resize(ok ? total : 0);
    return ok;
}

}  // namespace vplat::kernel
