// Everything the player's features ask of the operating system about files,
// folders and the time, in one place: system_files_posix.cpp and
// system_files_windows.cpp each answer all of it, and the settings,
// screenshots and recordings above are the same code on every system.
//
// Paths are UTF-8 here on every system (Windows sees them as wide
// characters), so a folder named with any letters works. A failure sets
// errno, so that every caller says it the same way (strerror).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include <velmora_platform.h>

namespace vplat::player {

// ---- The user's folders ----

// A variable of the environment as UTF-8; empty when not set.
std::string EnvironmentText(const char* name);
// Where velmora.ini lives: $XDG_CONFIG_HOME/velmora/velmora.ini, else
// ~/.config/velmora/velmora.ini; %APPDATA%\Velmora\velmora.ini on Windows.
// Empty when the system gives no such folder, and kNoSettingsFolder says why.
std::string SettingsPath();
extern const char kNoSettingsFolder[];
// The player's pictures folder (xdg-user-dirs' XDG_PICTURES_DIR, else
// ~/Pictures; the Pictures known folder on Windows); empty when there is none,
// and kNoPicturesFolder says why.
std::string PicturesFolder();
extern const char kNoPicturesFolder[];
// `name` inside `folder`, with the system's own separator.
std::string InFolder(const std::string& folder, const std::string& name);
// The folder and every folder above it, made where missing.
bool MakeFolders(const std::string& folder);
// The local time of `when`, for names of files.
struct tm LocalTime(time_t when);

// ---- Small files kept whole: velmora.ini ----

enum class FileRead { Missing, Read, Unreadable };
// The whole of the regular file the path names (a link followed). A file
// larger than `largest`, or anything but a regular file, is Unreadable with
// *error saying why.
FileRead ReadFileText(const std::string& path, size_t largest, std::string* text,
                      std::string* error);
// Writes the file anew through a temporary file of this process's own,
// path.PID.tmp, renamed over it (so a crash never leaves half of one, and of
// two games ending together the last wins whole), making its folder first and
// keeping its POSIX permissions. A symbolic link is written through.
bool ReplaceFileText(const std::string& path, const std::string& text, std::string* error);
// Moves the file aside to path.bad, or path.bad-2, -3... where that is
// taken: never over another file. *aside is the name it has now.
bool SetFileAside(const std::string& path, std::string* aside);
// A file the player made read-only.
bool FileIsReadOnly(const std::string& path);
// Removes path.PID.tmp files whose process has ended (a game killed while
// writing).
void RemoveStaleTemporaries(const std::string& path);

// ---- Files written as the game runs: recordings, screenshots, captures ----

enum class FileKind { None, Regular, Folder, Other };
FileKind KindAt(const std::string& path);

// A file opened for writing, closed by its destructor. Existing::Keep makes
// it new or fails with EEXIST (never a link, a pipe or a device followed);
// Existing::Replace empties one that is there.
class OutFile {
public:
    OutFile() = default;
    ~OutFile();
    OutFile(OutFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kClosed; }
    OutFile& operator=(OutFile&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = kClosed;
        }
        return *this;
    }

    bool Open(const std::string& path, Existing existing);
    bool IsOpen() const { return handle_ != kClosed; }
    // Bytes written by one call of the system, which may be fewer than
    // asked; -1 on failure.
    int64_t Write(const char* data, size_t size);
    // Everything, or false.
    bool WriteAll(const std::string& bytes);
    // The file cut back to its first `size` bytes, and written on from there.
    bool CutTo(uint64_t size);
    // False when the end of what was written could not be kept.
    bool Close();

private:
    static constexpr intptr_t kClosed = -1;
    intptr_t handle_ = kClosed;  // a descriptor, or a Windows handle
};

bool RemoveFile(const std::string& path);

}  // namespace vplat::player
