// Where screenshots go and how they are named. A name already taken is never
// overwritten: the file there is kept and the next number tried.
#include "player/screenshot.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace vplat::player {
namespace {

std::string Environment(const char* name) {
    const char* value = getenv(name);
    return value != nullptr ? value : "";
}

// XDG_PICTURES_DIR="$HOME/Pictures" as xdg-user-dirs writes it: a quoted
// absolute path or one starting with $HOME/.
std::string PicturesFromUserDirs(const std::string& home) {
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') {
        config = home + "/.config";
    }
    std::ifstream file(config + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_PICTURES_DIR=\"";
    while (std::getline(file, line)) {
        if (line.compare(0, key.size(), key) != 0 || line.back() != '"') {
            continue;
        }
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.compare(0, 6, "$HOME/") == 0) {
            return home + value.substr(5);
        }
        if (!value.empty() && value[0] == '/') {
            return value;
        }
    }
    return home + "/Pictures";
}

bool MakeFolders(const std::string& folder) {
    std::string path = folder + "/";
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (mkdir(path.substr(0, slash).c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

// A failure the system numbered, in the notice's few lower-case words.
std::string ReasonOf(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return "disk full";
        case EACCES:
        case EPERM:
            return "no permission to write there";
        case EROFS:
            return "read-only disk";
        case ENOENT:
            return "no such folder";
        case ENOTDIR:
            return "not a folder";
        default:
            std::string said = strerror(error);
            said[0] = static_cast<char>(tolower(static_cast<unsigned char>(said[0])));
            return said;
    }
}

std::string Failed(ScreenshotFailure* failure, const std::string& detail, int error) {
    failure->detail = detail + ": " + strerror(error);
    failure->reason = ReasonOf(error);
    return "";
}

}  // namespace

std::string ScreenshotFolder() {
    std::string chosen = Environment("VELMORA_SCREENSHOT_DIR");
    if (!chosen.empty()) {
        return chosen;
    }
    std::string home = Environment("HOME");
    if (home.empty()) {
        return "";
    }
    return PicturesFromUserDirs(home) + "/Velmora";
}

std::string ScreenshotName(const struct tm& local, int nth) {
    char stamp[32];
    strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string name = std::string("velmora-") + stamp;
    if (nth > 1) {
        name += "-" + std::to_string(nth);
    }
    return name + ".png";
}

std::string SaveScreenshot(const Frame& frame, const std::string& folder, time_t when,
                           ScreenshotFailure* failure) {
    if (folder.empty()) {
        *failure = {"no folder for screenshots (HOME is not set)", "no folder for screenshots"};
        return "";
    }
    if (!MakeFolders(folder)) {
        return Failed(failure, "cannot make " + folder, errno);
    }
    struct tm local = {};
    localtime_r(&when, &local);
    for (int nth = 1; nth < 1000; ++nth) {
        std::string path = folder + "/" + ScreenshotName(local, nth);
        if (WritePng(frame, path, Existing::Keep)) {
            return path;
        }
        if (errno != EEXIST) {
            // A full disk is said by the write or the close; a failure that
            // set no number is an I/O error.
            return Failed(failure, "cannot write " + path, errno != 0 ? errno : EIO);
        }
    }
    *failure = {"too many screenshots in one second in " + folder, "too many in one second"};
    return "";
}

}  // namespace vplat::player
