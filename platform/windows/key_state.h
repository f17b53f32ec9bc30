// The keys the game reads: one table, set by whoever plays (the player's
// keyboard, or a recording in a replay) through the shared player's
// GiveKey, PressKey and ReleaseKey. The game's GetAsyncKeyState, wrapped at
// link time, answers from it.
#pragma once

#include <windows.h>

namespace vplat::windows {

// A message of the game's window about a key. The keyboard's own go to the
// player and never straight to the game; what PressKey and ReleaseKey post
// reaches the game's procedure as the keyboard's message would. A window
// that loses the focus hears no more key releases: the keys held are
// released then. True when the message was handled here.
bool KeyMessage(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vplat::windows
