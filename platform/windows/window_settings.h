// The player's choice of full screen or a window, its size and place, kept
// in velmora.ini from one run to the next, as on every other system.
#pragma once

#include <windows.h>

namespace vplat::windows {

// The window is first shown as the settings file (and VELMORA_WINDOWED) say.
void ShowAsSaved(HWND window);
// Notes what the player chose, from the window as it is now: its size and
// place (those it comes back to when maximised or minimised), maximised or
// not, full screen or not.
void NoteWindowChoice(HWND window);
// The choices noted and written to the settings file: when the game's window
// goes or gives up the screen, and when Windows ends the session (the
// process may then end without either).
void KeepSettings(HWND window);

}  // namespace vplat::windows
