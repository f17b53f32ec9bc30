// The game's window as the screen: borderless over its whole monitor or an
// ordinary window, the frame at the viewport rule's size in the middle,
// black around it, drawn with GDI.
#pragma once

#include <windows.h>

#include "internal.h"

namespace vplat::windows {

// Where a DirectDraw program takes the display: its window is made to cover
// the monitor it is on instead (full screen, until the player switches), and
// the monitor keeps its mode.
void CoverMonitor(HWND window);
// The window is the game's again (exclusive mode ended).
void ReleaseOutput();
// The game's Restore answered. Its first success after full screen gave way
// is said on the debug output, as the giving way is: a player (DebugView)
// and the tests see the game's own restore path run.
void NoteRestore(HRESULT result);
// A message for the game's own window procedure, past ours: what the game
// hears of the player's input (keys, activation). Nothing before DirectDraw
// took the window.
LRESULT ToGame(UINT message, WPARAM wParam, LPARAM lParam);
// Sends the rectangles of the frame that differ from what the window shows.
void ShowFrame(const internal::IndexedFrame& frame);

}  // namespace vplat::windows
