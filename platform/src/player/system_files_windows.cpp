// What the player's features ask of the system, on Windows: the wide-character
// calls throughout, so that a user name or a folder with any letters works,
// the known folders for the settings and the pictures, and Windows' answers
// said as errno numbers, as the POSIX side says them.
#include "player/system_files.h"

#include <windows.h>
#include <io.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vplat::player {
namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return L"";
    }
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string Utf8(const wchar_t* wide) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return "";
    }
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(static_cast<size_t>(size - 1));
    return text;
}

// Windows' reason as the errno number that says the same, so that callers
// report it one way on every system.
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        default:
            return EIO;
    }
}

// False, with errno set from Windows' last error.
bool Failed() {
    errno = ErrnoOf(GetLastError());
    return false;
}

std::string Reason() {
    Failed();
    return strerror(errno);
}

std::string KnownFolder(REFKNOWNFOLDERID which) {
    PWSTR path = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(which, KF_FLAG_DEFAULT, nullptr, &path) == S_OK) {
        folder = Utf8(path);
    }
    CoTaskMemFree(path);
    return folder;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

size_t LastSeparator(const std::string& path) {
    return path.find_last_of("\\/");
}

// The file a link (a symbolic link or a junction) at `path` leads to; the
// path itself for anything else, and for a file not there yet.
std::string FollowLinks(const std::string& path) {
    std::wstring wide = Wide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    HANDLE file =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return path;
    }
    std::vector<wchar_t> target(32768);
    DWORD size = GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()),
                                           FILE_NAME_NORMALIZED);
    CloseHandle(file);
    if (size == 0 || size >= target.size()) {
        return path;
    }
    std::string followed = Utf8(target.data());
    // \\?\C:\... is the same file as C:\... and reads better in a message.
    if (followed.compare(0, 4, "\\\\?\\") == 0 && followed.compare(4, 4, "UNC\\") != 0) {
        followed.erase(0, 4);
    }
    return followed;
}

bool ProcessLives(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr) {
        // Not there; or there but not ours to look at, which is not ended.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD status = 0;
    bool lives = GetExitCodeProcess(process, &status) && status == STILL_ACTIVE;
    CloseHandle(process);
    return lives;
}

bool WriteWhole(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) {
            return Failed();
        }
        data += written;
        size -= written;
    }
    return true;
}

// Moving over a file another program holds open for a moment (a second game
// reading it, an indexer, a virus scanner) is refused until it lets go:
// tried again for a while.
bool MoveOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) {
            break;
        }
        Sleep(10);
    }
    return Failed();
}

}  // namespace

const char kNoSettingsFolder[] = "Windows gives no application data folder";
const char kNoPicturesFolder[] = "Windows gives no Pictures folder";

std::string EnvironmentText(const char* name) {
    std::wstring wide = Wide(name);
    DWORD size = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (size == 0) {
        return "";
    }
    std::vector<wchar_t> value(size);
    if (GetEnvironmentVariableW(wide.c_str(), value.data(), size) >= size) {
        return "";
    }
    return Utf8(value.data());
}

std::string SettingsPath() {
    std::string appData = KnownFolder(FOLDERID_RoamingAppData);
    return appData.empty() ? "" : InFolder(InFolder(appData, "Velmora"), "velmora.ini");
}

std::string PicturesFolder() {
    return KnownFolder(FOLDERID_Pictures);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    bool ends = !folder.empty() && IsSeparator(folder.back());
    return folder + (ends ? "" : "\\") + name;
}

bool MakeFolders(const std::string& folder) {
    std::string path = folder + "\\";
    // A drive (C:\) or a share (\\server\share\) is there already.
    size_t start = 0;
    if (IsSeparator(path[0]) && IsSeparator(path[1])) {
        size_t server = path.find_first_of("\\/", 2);
        size_t share = server == std::string::npos ? server : path.find_first_of("\\/", server + 1);
        start = share == std::string::npos ? path.size() : share + 1;
    }
    for (size_t at = path.find_first_of("\\/", start); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1)) {
        if (at == 0 || path[at - 1] == ':' || IsSeparator(path[at - 1])) {
            continue;
        }
        std::wstring part = Wide(path.substr(0, at));
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return Failed();
        }
    }
    DWORD attributes = GetFileAttributesW(Wide(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

struct tm LocalTime(time_t when) {
    struct tm local = {};
    localtime_s(&local, &when);
    return local;
}

FileRead ReadFileText(const std::string& path, size_t largest, std::string* text,
                      std::string* error) {
    text->clear();
    error->clear();
    std::wstring wide = Wide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = "not a regular file";
        return FileRead::Unreadable;
    }
    // Shared every way: a second game may replace it meanwhile.
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD why = GetLastError();
        *error = Reason();
        bool missing = why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND;
        return missing ? FileRead::Missing : FileRead::Unreadable;
    }
    LARGE_INTEGER size = {};
    if (GetFileType(file) != FILE_TYPE_DISK) {
        *error = "not a regular file";
    } else if (!GetFileSizeEx(file, &size)) {
        *error = Reason();
    } else if (static_cast<uint64_t>(size.QuadPart) > largest) {
        *error = "too large to be a settings file";
    }
    char buffer[16384];
    DWORD count = 0;
    while (error->empty()) {
        if (!ReadFile(file, buffer, sizeof buffer, &count, nullptr)) {
            *error = Reason();
        } else if (count == 0) {
            break;
        }
        text->append(buffer, count);
        if (text->size() > largest) {
            *error = "too large to be a settings file";
        }
    }
    CloseHandle(file);
    return error->empty() ? FileRead::Read : FileRead::Unreadable;
}

bool ReplaceFileText(const std::string& path, const std::string& text, std::string* error) {
    std::string target = FollowLinks(path);
    size_t separator = LastSeparator(target);
    if (separator != std::string::npos && !MakeFolders(target.substr(0, separator))) {
        *error = std::string("cannot make its folder: ") + strerror(errno);
        return false;
    }
    std::wstring temporary = Wide(target + "." + std::to_string(GetCurrentProcessId()) + ".tmp");
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = Reason();
        return false;
    }
    bool written =
        WriteWhole(file, text.data(), text.size()) && (FlushFileBuffers(file) || Failed());
    CloseHandle(file);
    if (!written || !MoveOver(temporary, Wide(target))) {
        *error = strerror(errno);
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

bool SetFileAside(const std::string& path, std::string* aside) {
    std::string target = FollowLinks(path);
    std::wstring from = Wide(target);
    for (int number = 1; number <= 1000; ++number) {
        *aside = target + ".bad" + (number > 1 ? "-" + std::to_string(number) : "");
        // Without MOVEFILE_REPLACE_EXISTING: never over another file.
        if (MoveFileExW(from.c_str(), Wide(*aside).c_str(), MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            return Failed();
        }
    }
    return false;
}

bool FileIsReadOnly(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void RemoveStaleTemporaries(const std::string& path) {
    std::string target = FollowLinks(path);
    size_t separator = LastSeparator(target);
    std::string folder = separator == std::string::npos ? "" : target.substr(0, separator + 1);
    std::string prefix = target.substr(folder.size()) + ".";
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW(Wide(target + ".*.tmp").c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        std::string name = Utf8(found.cFileName);
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        std::string number = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        bool ours = !number.empty() && number.size() <= 10 &&
                    number.find_first_not_of("0123456789") == std::string::npos &&
                    name.compare(name.size() - 4, 4, ".tmp") == 0;
        unsigned long long id = ours ? std::stoull(number) : 0;
        if (ours && id > 0 && id <= MAXDWORD && !ProcessLives(static_cast<DWORD>(id))) {
            DeleteFileW(Wide(folder + name).c_str());
        }
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
}

FileKind KindAt(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return FileKind::None;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return FileKind::Folder;
    }
    // A device's name (NUL, CON, COM1) answers like a file; only a file on
    // a disk is a regular one.
    HANDLE file = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return FileKind::Regular;
    }
    bool disk = GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
    return disk ? FileKind::Regular : FileKind::Other;
}

OutFile::~OutFile() {
    Close();
}

bool OutFile::Open(const std::string& path, Existing existing) {
    Close();
    DWORD how = existing == Existing::Keep ? CREATE_NEW : CREATE_ALWAYS;
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, how,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return Failed();
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        errno = EEXIST;
        return false;
    }
    handle_ = reinterpret_cast<intptr_t>(file);
    return true;
}

int64_t OutFile::Write(const char* data, size_t size) {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(handle_), data, chunk, &written, nullptr)) {
        Failed();
        return -1;
    }
    return written;
}

bool OutFile::WriteAll(const std::string& bytes) {
    return WriteWhole(reinterpret_cast<HANDLE>(handle_), bytes.data(), bytes.size());
}

bool OutFile::CutTo(uint64_t size) {
    HANDLE file = reinterpret_cast<HANDLE>(handle_);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    return (SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file)) || Failed();
}

bool OutFile::Close() {
    if (!IsOpen()) {
        return true;
    }
    bool closed = CloseHandle(reinterpret_cast<HANDLE>(handle_)) || Failed();
    handle_ = kClosed;
    return closed;
}

bool RemoveFile(const std::string& path) {
    return DeleteFileW(Wide(path).c_str()) || Failed();
}

}  // namespace vplat::player
