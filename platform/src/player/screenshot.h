// Screenshots: the game's frame exactly, as an 8-bit indexed PNG with the
// palette in force, in the player's pictures folder. No SDL here.
#pragma once

#include <ctime>
#include <string>

#include <velmora_platform.h>

namespace vplat::player {

// $VELMORA_SCREENSHOT_DIR; else the XDG pictures folder (XDG_PICTURES_DIR in
// $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Pictures) with Velmora/ under it.
std::string ScreenshotFolder();
// velmora-YYYYMMDD-HHMMSS.png for the first of a second, then -2, -3...
std::string ScreenshotName(const struct tm& local, int nth);
// Why a screenshot was not written: in full for standard error, and in a
// few words for the picture ("disk full").
struct ScreenshotFailure {
    std::string detail;
    std::string reason;
};
// Writes the frame into `folder` (made when missing) under the first free
// name for `when`. Returns the path, or "" with *failure saying why not.
std::string SaveScreenshot(const Frame& frame, const std::string& folder, time_t when,
                           ScreenshotFailure* failure);

}  // namespace vplat::player
