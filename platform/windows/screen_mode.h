// Full screen or a window, and the keys that switch between them.
#pragma once

#include <windows.h>

namespace vplat::windows {

// An ordinary window's style: a frame the player can size and maximise.
constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

// The window covers its monitor without a border; the monitor keeps its mode.
void EnterFullScreen(HWND window);
bool InFullScreen();
// The window was moved or sized: in full screen, a size the window manager
// put back is asked again, a few times at most.
void HoldFullScreen(HWND window);
// An ordinary window: at `where` (its outer rectangle) when given, else where
// the player left it, else the largest whole multiple of the frame that fits,
// centred.
void EnterWindow(HWND window, const RECT* where = nullptr);
// Alt+Enter and F11 switch between full screen and an ordinary window, which
// comes back where it was; true when the message was one of them (or the
// character Alt+Enter leaves, which would beep), and so is handled.
bool SwitchOnKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vplat::windows
