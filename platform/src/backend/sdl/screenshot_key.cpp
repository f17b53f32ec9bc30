// Print Screen asks; the frame presented next is the one written, taken from
// the last-frame copy, which SDL runs make only for this. The window says
// so, or why not, for a moment, over the picture only.
#include <cstdio>
#include <ctime>
#include <string>

#include "backend/driver.h"
#include "player/playback.h"
#include "player/screenshot.h"
#include "backend/sdl/input.h"
#include "backend/sdl/state.h"
#include "present/notice.h"

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
    player::ScreenshotOutcome outcome = player::TakeScreenshot(frame);
    fputs(outcome.line.c_str(), stderr);
    fflush(stderr);
    present::ShowNotice(outcome.notice);
}

}  // namespace vplat::sdl
