// _lopen, _lread and _lclose over real files. Only handles that _lopen gave
// out are accepted, so a stray number never reads from another descriptor,
// and only regular files open: anything else is not found, as it could block.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <set>

#include "core/entry.h"
#include "internal.h"
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

namespace entry = vplat::entry;
using vplat::internal::Format;

HFILE WINAPI _lopen(LPCSTR path, int readWrite) {
    auto args = [&] {
        return Format("path=\"%.200s\" mode=%d", path ? path : "(null)", readWrite);
    };
    return entry::Run(entry::Name::_lopen, args, [&]() -> HFILE {
        if (path == nullptr) {
            return HFILE_ERROR;
        }
        int fd = vplat::kernel::OpenRegularFile(path, vplat::OpenFlags(readWrite), nullptr);
        if (fd < 0) {
            return HFILE_ERROR;
        }
        vplat::g_openFiles.insert(fd);
        return fd;
    });
}

UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT bytes) {
    auto args = [&] { return Format("file=%d bytes=%u", file, bytes); };
    return entry::Run(entry::Name::_lread, args, [&]() -> UINT {
        if (vplat::g_openFiles.count(file) == 0 || (buffer == nullptr && bytes != 0)) {
            return static_cast<UINT>(HFILE_ERROR);
        }
        int64_t got = vplat::ReadFully(file, static_cast<unsigned char*>(buffer), bytes);
        return got < 0 ? static_cast<UINT>(HFILE_ERROR) : static_cast<UINT>(got);
    });
}

HFILE WINAPI _lclose(HFILE file) {
    auto args = [&] { return Format("file=%d", file); };
    return entry::Run(entry::Name::_lclose, args, [&]() -> HFILE {
        if (vplat::g_openFiles.erase(file) == 0) {
            return HFILE_ERROR;
        }
        close(file);
        return 0;
    });
}
