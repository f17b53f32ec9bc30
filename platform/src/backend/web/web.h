// The browser back end's parts, shared by its files. Private to the platform.
// The game runs in a worker whose script (page/velmora-game.js) draws on the
// canvas the page handed it and passes keys in and what the game says out to
// the page's own script (page/velmora-page.js); these files call the worker's.
#pragma once

#include <cstdint>
#include <string>

#include "internal.h"

namespace vplat::web {

// Where the session's recording is written, in the worker's memory file
// system; the worker's script reads it from there for the page's button.
constexpr char kRecordingFile[] = "/velmora-recording.txt";

// Keys and the page's visibility into key state and window messages.
void PumpEvents();
void Present(const internal::IndexedFrame& frame);
// After a frame: waits for the browser's next animation frame.
void PaceAfterSleep(DWORD milliseconds);
void ShowMessageBox(const std::string& text, const std::string& caption);
void ShowCursorImage(bool visible);
void TakeDisplay(HWND window, int width, int height);
// The canvas was made anew (cleared): the next frame is drawn whole.
void ForgetCanvas();
void ReleaseDisplay();
// WinMain has returned: the page says so and offers to start again.
void GameEnded(int exitStatus);
void Reset();
void ResetEvents();
void ResetScreen();

}  // namespace vplat::web
