// What the settings ask of the system, on POSIX: the user's folder, and
// reading, replacing and setting aside one small file.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "player/settings.h"

namespace vplat::player {
namespace {

// The file `path` names, through any symbolic links; it need not exist.
bool FollowLinks(std::string path, std::string* target) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            *target = path;
            return true;
        }
        std::string link(4096, '\0');
        ssize_t length = readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) >= link.size()) {
            return false;
        }
        link.resize(static_cast<size_t>(length));
        path = link[0] == '/' ? link : path.substr(0, path.rfind('/') + 1) + link;
    }
    errno = ELOOP;
    return false;
}

bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno != EINTR) {
            return false;
        }
        done += written > 0 ? static_cast<size_t>(written) : 0;
    }
    return true;
}

}  // namespace

std::string SettingsPath() {
    const char* config = getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        return std::string(config) + "/velmora/velmora.ini";
    }
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.config/velmora/velmora.ini";
    }
    return "";
}

FileRead ReadFileText(const std::string& path, size_t largest, std::string* text,
                      std::string* error) {
    // Not blocking: a pipe in the file's place must not hold up the start.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *error = strerror(errno);
        return errno == ENOENT ? FileRead::Missing : FileRead::Unreadable;
    }
    struct stat status;
    text->clear();
    error->clear();
    if (fstat(fd, &status) != 0) {
        *error = strerror(errno);
    } else if (!S_ISREG(status.st_mode)) {
        *error = "not a regular file";
    }
    char buffer[16384];
    ssize_t count = 0;
    while (error->empty() && (count = read(fd, buffer, sizeof buffer)) != 0) {
        if (count < 0 && errno != EINTR) {
            *error = strerror(errno);
        }
        text->append(buffer, count > 0 ? static_cast<size_t>(count) : 0);
        if (text->size() > largest) {
            *error = "too large to be a settings file";
        }
    }
    close(fd);
    return error->empty() ? FileRead::Read : FileRead::Unreadable;
}

// The whole text in a file of this process's own beside the target, then
// renamed over it: a reader sees the old file or the new one, never a mix.
bool ReplaceFileText(const std::string& path, const std::string& text, std::string* error) {
    std::string target;
    if (!FollowLinks(path, &target)) {
        *error = strerror(errno);
        return false;
    }
    if (!MakeFolders(target)) {
        *error = std::string("cannot make its folder: ") + strerror(errno);
        return false;
    }
    std::string temporary = target + "." + std::to_string(getpid()) + ".tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = strerror(errno);
        return false;
    }
    // The player's own permissions on the file stay.
    struct stat old;
    if (stat(target.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    }
    bool written = WriteAll(fd, text) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
        *error = strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

// Beside the file the path names: a link at the path stays, and the file
// written at the end goes where it points.
bool SetFileAside(const std::string& path, std::string* aside) {
    std::string target;
    if (!FollowLinks(path, &target)) {
        return false;
    }
    for (int number = 1; number <= 1000; ++number) {
        *aside = target + ".bad" + (number > 1 ? "-" + std::to_string(number) : "");
        // A second name, which is never made over another file, then the
        // first one gone.
        if (link(target.c_str(), aside->c_str()) == 0) {
            return unlink(target.c_str()) == 0;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

bool FileIsReadOnly(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && (status.st_mode & 0222) == 0;
}

void RemoveStaleTemporaries(const std::string& path) {
    std::string target;
    if (!FollowLinks(path, &target)) {
        return;
    }
    size_t slash = target.rfind('/');
    std::string folder = target.substr(0, slash + 1);
    std::string prefix = target.substr(slash + 1) + ".";
    DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        char* end = nullptr;
        long pid = strtol(name.c_str() + prefix.size(), &end, 10);
        bool ours = isdigit(static_cast<unsigned char>(name[prefix.size()])) &&
                    strcmp(end, ".tmp") == 0 && pid > 0 && pid <= INT_MAX;
        if (ours && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            unlink((folder + name).c_str());
        }
    }
    closedir(listing);
}

}  // namespace vplat::player
