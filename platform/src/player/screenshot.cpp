// Where screenshots go and how they are named. A name already taken is never
// overwritten: the file there is kept and the next number tried.
#include "player/screenshot.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "player/system_files.h"

namespace vplat::player {
namespace {

// A failure the system numbered, in the notice's few lower-case words.
std::string ReasonOf(int error) {
    switch (error) {
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
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
    std::string chosen = EnvironmentText("VELMORA_SCREENSHOT_DIR");
    if (!chosen.empty()) {
        return chosen;
    }
    std::string pictures = PicturesFolder();
    return pictures.empty() ? "" : InFolder(pictures, "Velmora");
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
        *failure = {std::string("no folder for screenshots (") + kNoPicturesFolder + ")",
                    "no folder for screenshots"};
        return "";
    }
    if (!MakeFolders(folder)) {
        return Failed(failure, "cannot make " + folder, errno);
    }
    struct tm local = LocalTime(when);
    for (int nth = 1; nth < 1000; ++nth) {
        std::string path = InFolder(folder, ScreenshotName(local, nth));
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

ScreenshotOutcome TakeScreenshot(const Frame& frame) {
    ScreenshotFailure failure;
    std::string path = SaveScreenshot(frame, ScreenshotFolder(), time(nullptr), &failure);
    if (path.empty()) {
        return {"velmora: no screenshot: " + failure.detail + "\n",
                "No screenshot: " + failure.reason};
    }
    // The name alone: the folder may be long, and is in the log line.
    return {"velmora: screenshot " + path + "\n",
            "Screenshot saved: " + path.substr(path.find_last_of("\\/") + 1)};
}

}  // namespace vplat::player
