// Opening a file by name so that it can never block the game: only a file
// on a disk is taken. A pipe, a console or a device (CON, COM1, ...) named
// by mistake would otherwise stop the game in a read for ever. Paths are
// UTF-8, as the command line gives them.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "kernel/kernel.h"

namespace vplat::kernel {
namespace {

std::wstring Wide(const char* text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) {
        MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), size);
    }
    return out;
}

// The system's last error as the C library names it.
std::string Reason() {
    DWORD error = GetLastError();
    errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                    error == ERROR_INVALID_NAME
                ? ENOENT
            : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
                                                                               : EIO;
    return strerror(errno);
}

HANDLE Handle(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

}  // namespace

int OpenRegularFile(const char* path, int /*accessFlags: read only here*/, std::string* why) {
    std::string ignored;
    why = why != nullptr ? why : &ignored;
    std::wstring wide = Wide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        *why = "is a directory";
        return -1;
    }
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = Reason();
        return -1;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        *why = "is not a regular file";
        return -1;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(file);
        *why = strerror(errno);
    }
    return fd;
}

int64_t ReadAt(int fd, int64_t offset, char* data, size_t size) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    DWORD got = 0;
    DWORD asked = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    if (!ReadFile(Handle(fd), data, asked, &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) {
            return 0;
        }
        Reason();
        return -1;
    }
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
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(Handle(fd), &size) && static_cast<uint64_t>(size.QuadPart) <= maxBytes;
    if (!ok) {
        *why = "is too large";
    }
    // A file that grows while it is read is read only up to its size then.
    data->resize(ok ? static_cast<size_t>(size.QuadPart) : 0);
    size_t total = 0;
    while (ok && total < data->size()) {
        int64_t got = ReadAt(fd, static_cast<int64_t>(total),
                             reinterpret_cast<char*>(data->data()) + total, data->size() - total);
        if (got < 0) {
            *why = strerror(errno);
            ok = false;
        }
        if (got <= 0) {
            break;
        }
        total += static_cast<size_t>(got);
    }
    _close(fd);
    data->resize(ok ? total : 0);
    return ok;
}

}  // namespace vplat::kernel
