// The frame and its file are the shared player code's; only the keys and
// where the detail of a failure goes (a GUI program's debug output, where a
// player's DebugView reads it) are Windows'.
#include "screenshot_key.h"

#include <ctime>
#include <string>

#include "internal.h"
#include "player/playback.h"
#include "player/screenshot.h"
#include "present/notice.h"

namespace vplat::windows {
namespace {

bool g_wanted = false;

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

bool Pressed(UINT message, LPARAM lParam) {
    bool repeat = (lParam & (1L << 30)) != 0;
    return (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && !repeat;
}

}  // namespace

bool ScreenshotOnKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsKeyMessage(message) || (wParam != VK_F9 && wParam != VK_SNAPSHOT)) {
        return false;
    }
    bool released = message == WM_KEYUP || message == WM_SYSKEYUP;
    if (wParam == VK_SNAPSHOT ? released : Pressed(message, lParam)) {
        g_wanted = true;
        player::NoteScreenshot();
    }
    return true;
}

bool ScreenshotWanted() {
    return g_wanted;
}

void SaveScreenshot(const Frame& frame) {
    g_wanted = false;
    // A program without a console says it on the debug output.
    player::ScreenshotOutcome outcome = player::TakeScreenshot(frame);
    OutputDebugStringA(outcome.line.c_str());
    present::ShowNotice(outcome.notice);
}

}  // namespace vplat::windows
