// What the dispatcher (dispatch.cpp) needs from each back end, and what the
// platform's start-up needs to choose one. Private to the platform.
#pragma once

#include <string>

#include "../internal.h"

namespace vplat::headless {

void ShowMessageBox(const std::string& text, const std::string& caption);
void OnMessagePoll(bool queueEmpty);
void OnSleep(DWORD milliseconds);
// A frame has been presented (and kept): a capture the script asked for is written.
void OnPresent();
void Reset();
// Reads and checks a script file. On a fault, *error names the file and line.
bool LoadScript(const std::string& path, std::string* error);

}  // namespace vplat::headless

namespace vplat::sdl {

// Starts SDL's video; false (with the reason in *error) where there is no display.
bool Start(std::string* error);
void Stop();
void PumpEvents();
void ShowMessageBox(const std::string& text, const std::string& caption);
void Present(const uint8_t* pixels, int width, int height, int pitch, const PALETTEENTRY* palette);
void TakeDisplay(HWND window, int width, int height);
void ShowCursorImage(bool visible);
// Asks the window which cursor to show, as the system does when the mouse
// moves over it (WM_SETCURSOR; the class's arrow when the window leaves it).
void AskForCursor();
void ReleaseDisplay();
// Sleeps for a real-clock Sleep up to the end of the presented frame's
// period; false when no present is waiting to be paced.
bool SleepPaced(DWORD milliseconds);
// Print Screen was pressed: the next presented frame is to be written.
bool ScreenshotWanted();
void SaveScreenshot(const Frame& frame);

}  // namespace vplat::sdl

namespace vplat::backend {

// Keeps a copy of a presented frame for vplat::PresentedFrame.
void KeepFrame(const uint8_t* pixels, int width, int height, int pitch,
               const PALETTEENTRY* palette);
void ForgetFrames();
// The kept frame itself, for the platform's own reads: no copy of the pixels.
const Frame& KeptFrameView();
// The one line a message box leaves on standard error, in both back ends.
void PrintMessageBoxLine(const std::string& text, const std::string& caption);

}  // namespace vplat::backend
