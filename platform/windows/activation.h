// The game's window minimised and back, as the game hears it: only from
// whoever plays, as a key is. The window's own WM_ACTIVATE never reaches the
// game; a minimise goes to the player (and a recording of it), which tells
// the game as on every other system: surfaces lost, then WM_ACTIVATE.
#pragma once

#include <windows.h>

namespace vplat::windows {

// The window's WM_SIZE: minimised, or back from it.
void WindowSized(WPARAM kind);

}  // namespace vplat::windows
