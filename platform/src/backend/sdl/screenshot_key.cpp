// Print Screen asks; the frame presented next is the one written, taken from
// the kept-frame copy, which SDL runs make only for this. The window says so
// for a moment, over the picture only.
#include <cstdio>
#include <ctime>
#include <string>

#include "backend/driver.h"
#include "player/playback.h"
#include "player/screenshot.h"
#include "backend/sdl/input.h"
#include "backend/sdl/state.h"

namespace vplat::sdl {
namespace {

bool g_screenshotWanted = false;

}  // namespace

void AskForScreenshot() {
    g_screenshotWanted = true;
    player::NoteScreenshot();
}

bool ScreenshotWanted() {
    return g_screenshotWanted;
}

void SaveScreenshot(const Frame& frame) {
    g_screenshotWanted = false;
    std::string error;
    std::string path =
        player::SaveScreenshot(frame, player::ScreenshotFolder(), time(nullptr), &error);
    if (path.empty()) {
        fprintf(stderr, "velmora: no screenshot: %s\n", error.c_str());
    } else {
        fprintf(stderr, "velmora: screenshot %s\n", path.c_str());
        ShowNotice("Screenshot saved: " + path.substr(path.find_last_of('/') + 1));
    }
    fflush(stderr);
}

}  // namespace vplat::sdl
