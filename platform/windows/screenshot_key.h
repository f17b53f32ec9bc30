// F9 and Print Screen write the game's next frame as a PNG, and the picture
// says so for a moment.
#pragma once

#include <windows.h>

#include <velmora_platform.h>

namespace vplat::windows {

// True when the message was one of the screenshot keys, down or up: the
// game never sees them. Windows sends Print Screen's release alone (its press
// is the system's), so the release asks; F9 asks when pressed.
bool ScreenshotOnKey(UINT message, WPARAM wParam, LPARAM lParam);
bool ScreenshotWanted();
// Writes the frame, and puts "Screenshot saved: NAME" or "No screenshot:
// REASON" over the picture (never into the file).
void SaveScreenshot(const Frame& frame);

}  // namespace vplat::windows
