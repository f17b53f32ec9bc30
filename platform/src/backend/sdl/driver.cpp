// The SDL back end's table: a real window, events from the window system and
// pads, presents paced to the display, screenshots on Print Screen.
#include "backend/driver.h"
#include "backend/sdl/state.h"

namespace vplat::sdl {

const backend::Driver kDriver = [] {
    backend::Driver driver = {};
    driver.name = "sdl";
    driver.id = Backend::Sdl;
    driver.start = Start;
    driver.stop = Stop;
    // A test may leave a window open; a fresh process has none.
    driver.reset = ReleaseDisplay;
    driver.pumpEvents = PumpEvents;
    driver.onMessagePoll = OnMessagePoll;
    driver.sleepPaced = SleepPaced;
    driver.present = Present;
    driver.showMessageBox = ShowMessageBox;
    driver.showCursor = ShowCursorImage;
    driver.takeDisplay = TakeDisplay;
    driver.releaseDisplay = ReleaseDisplay;
    driver.screenshotWanted = ScreenshotWanted;
    driver.saveScreenshot = SaveScreenshot;
    return driver;
}();

}  // namespace vplat::sdl
