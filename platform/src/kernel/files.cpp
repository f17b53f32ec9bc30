// _lopen, _lread and _lclose over real files. Only handles that _lopen gave
// out are accepted, so a stray number never reads from another descriptor,
// and only regular files open: anything else is not found, as it could block.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <set>

#include "kernel/call_record.h"
#include "kernel/kernel.h"

namespace vplat {
namespace {

std::set<int> g_openFiles;

int OpenFlags(int readWrite) {
    switch (readWrite & 3) {
        case 1:
            return O_WRONLY;
        case 2:
            return O_RDWR;
        default:
            return O_RDONLY;
    }
}

// Reads until `bytes` have come or the file ends; -1 on a read error.
int64_t ReadFully(int fd, unsigned char* buffer, UINT bytes) {
    int64_t total = 0;
    while (total < bytes) {
        ssize_t got = read(fd, buffer + total, bytes - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

}  // namespace

namespace kernel {

void ResetFiles() {
    for (int fd : g_openFiles) {
        close(fd);
    }
    g_openFiles.clear();
}

}  // namespace kernel
}  // namespace vplat

HFILE WINAPI _lopen(LPCSTR path, int readWrite) {
    std::string args =
        vplat::internal::Format("path=\"%.200s\" mode=%d", path ? path : "(null)", readWrite);
    HFILE result = HFILE_ERROR;
    if (vplat::calls::Faulted("_lopen", args, &result)) {
        return result;
    }
    if (path != nullptr) {
        int fd = vplat::kernel::OpenRegularFile(path, vplat::OpenFlags(readWrite), nullptr);
        if (fd >= 0) {
            vplat::g_openFiles.insert(fd);
            result = fd;
        }
    }
    return vplat::calls::Done("_lopen", args, result);
}

UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT bytes) {
    std::string args = vplat::internal::Format("file=%d bytes=%u", file, bytes);
    UINT result = static_cast<UINT>(HFILE_ERROR);
    if (vplat::calls::Faulted("_lread", args, &result)) {
        return result;
    }
    if (vplat::g_openFiles.count(file) != 0 && (buffer != nullptr || bytes == 0)) {
        int64_t got = vplat::ReadFully(file, static_cast<unsigned char*>(buffer), bytes);
        result = got < 0 ? static_cast<UINT>(HFILE_ERROR) : static_cast<UINT>(got);
    }
    return vplat::calls::Done("_lread", args, result);
}

HFILE WINAPI _lclose(HFILE file) {
    std::string args = vplat::internal::Format("file=%d", file);
    HFILE result = HFILE_ERROR;
    if (vplat::calls::Faulted("_lclose", args, &result)) {
        return result;
    }
    if (vplat::g_openFiles.erase(file) != 0) {
        close(file);
        result = 0;
    }
    return vplat::calls::Done("_lclose", args, result);
}
