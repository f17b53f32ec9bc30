// Screenshots: the game's frame exactly, as an 8-bit indexed PNG with the
// palette in force, in the player's pictures folder. No SDL here.
#pragma once

#include <ctime>
#include <string>

#include <velmora_platform.h>

namespace vplat::player {

// $VELMORA_SCREENSHOT_DIR; else the player's pictures folder (PicturesFolder)
// with Velmora under it.
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
// What a screenshot key does, on every system: the frame saved in
// ScreenshotFolder() now, and what to tell the player of it: a line for the
// log and the words for the notice over the picture.
struct ScreenshotOutcome {
    std::string line;    // "velmora: screenshot PATH" or "velmora: no screenshot: WHY"
    std::string notice;  // "Screenshot saved: NAME" or "No screenshot: REASON"
};
ScreenshotOutcome TakeScreenshot(const Frame& frame);

}  // namespace vplat::player
