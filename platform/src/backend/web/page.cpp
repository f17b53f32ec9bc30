// What the game says to the player, on the page: message boxes, debug output,
// the cursor, the display taken and given back, the end of the game.
#include <emscripten.h>

#include <cstdio>

#include "backend/driver.h"
#include "backend/web/web.h"

EM_JS(void, velmora_page_message_box, (const char* text, const char* caption),
      { VelmoraPage.messageBox(UTF8ToString(caption), UTF8ToString(text)); });
EM_JS(void, velmora_page_show_cursor, (int visible), { VelmoraPage.showCursor(visible != 0); });
EM_JS(void, velmora_page_display, (int taken, int width, int height),
      { VelmoraPage.display(taken != 0, width, height); });
EM_JS(void, velmora_page_ended, (int status), { VelmoraPage.ended(status); });

namespace vplat::web {

void ShowMessageBox(const std::string& text, const std::string& caption) {
    // The same line the other builds leave on standard error, for the console.
    fprintf(stderr, "MessageBoxA: %s: %s\n", caption.c_str(), text.c_str());
    velmora_page_message_box(text.c_str(), caption.c_str());
}

void ShowCursorImage(bool visible) {
    velmora_page_show_cursor(visible ? 1 : 0);
}

void TakeDisplay(HWND, int width, int height) {
    velmora_page_display(1, width, height);
    ForgetCanvas();
}

void ReleaseDisplay() {
    velmora_page_display(0, 0, 0);
}

void GameEnded(int exitStatus) {
    velmora_page_ended(exitStatus);
}

void Reset() {
    ResetEvents();
    ResetScreen();
}

// The page is the only screen this build has: frames go onto its canvas, the
// page's own events are pumped, and each frame waits for the browser's next
// animation frame.
const backend::Driver kDriver = [] {
    backend::Driver driver = {};
    driver.name = "web";
    driver.id = Backend::Web;
    driver.reset = Reset;
    driver.pumpEvents = PumpEvents;
    driver.onSleep = PaceAfterSleep;
    driver.present = Present;
    driver.showMessageBox = ShowMessageBox;
    driver.showCursor = ShowCursorImage;
    driver.takeDisplay = TakeDisplay;
    driver.releaseDisplay = ReleaseDisplay;
    return driver;
}();

}  // namespace vplat::web
