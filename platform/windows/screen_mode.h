// Full screen or a window, and the keys that switch between them.
#pragma once

#include <windows.h>

namespace vplat::windows {

// The window covers its monitor without a border; the monitor keeps its mode.
void EnterFullScreen(HWND window);
bool InFullScreen();
// Alt+Enter and F11 switch between full screen and an ordinary window, which
// comes back where it was; true when the message was one of them (or the
// character Alt+Enter leaves, which would beep), and so is handled.
bool SwitchOnKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vplat::windows
