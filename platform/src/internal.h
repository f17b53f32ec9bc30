// What the platform's services say to each other. Nothing here is Win32;
// the game never sees it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <ddraw.h>
#include <velmora_platform.h>

namespace vplat::internal {

// ---- core (core/journal.cpp; calls are journaled through core/entry.h) ----
// printf-style formatting into a std::string, for journal arguments.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- kernel ----
void ResetKernel();
// The resource table as the program sees it (hidden resources left out).
// Returns the packed DIB of a bitmap resource, or null.
const unsigned char* FindBitmapResource(const char* name, size_t* size);
void AppendDebugOutput(const char* text);
// A line of the platform's own among the debug output: shown where it is
// (--verbose), kept for tests.
void DebugNote(const char* text);
// A resource name as the journal shows it: "NAME", #number or NULL.
std::string ResourceNameText(const char* name);

// ---- user ----
void ResetUser();
// Sends (synchronously) a message to a window's procedure, as the platform
// does for WM_ACTIVATE and friends.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The window that has the focus (the game's one window), or null.
HWND FocusWindow();
// The game's window whether or not it has the focus (it has none while
// minimised or switched away): where the close button's WM_CLOSE goes.
HWND GameWindow();
std::string WindowTitle(HWND window);
// Key state as the back ends report it.
void SetKeyState(int virtualKey, bool down);

// ---- gdi ----
void ResetGdi();
// A device context over surface memory, for IDirectDrawSurface7::GetDC.
// palette: the 256 colours that pixel indices stand for (8-bit surfaces);
// GDI maps colours written through the DC onto them.
HDC CreateSurfaceDC(uint8_t* pixels, int width, int height, int pitch, int bitsPerPixel,
                    const PALETTEENTRY* palette);
void DestroySurfaceDC(HDC dc);

// ---- ddraw ----
void ResetDdraw();
// Every surface of every DirectDraw object becomes lost.
void LoseAllSurfacesNow();
// Every exclusive DirectDraw object gives the display back to the desktop's
// mode (its surfaces are lost); true when one did.
bool GiveDisplayToDesktop();

// ---- back end (backend/) ----
void ResetBackend();
// Reads window-system events into key state and window messages.
void PumpEvents();
// The cursor that SetCursor put in force: shown over the window, or none.
void ShowCursorImage(bool visible);
// Shows a message box and returns when it is dismissed (headless: at once).
void ShowMessageBox(const std::string& text, const std::string& caption);
// One frame as DirectDraw hands it to the back end: 8-bit indices shown
// through a palette. Everything a presenter needs travels in it.
struct IndexedFrame {
    const uint8_t* pixels = nullptr;  // rows `pitch` bytes apart
    int width = 0;
    int height = 0;
    int pitch = 0;
    const PALETTEENTRY* palette = nullptr;  // 256 entries, as the screen shows them
    // A new number whenever the palette differs from the last frame's, so a
    // presenter that skipped frames still knows its colours are stale.
    uint64_t paletteVersion = 0;
};
// Shows a frame (640 x 480 for the game) through the back end in force.
void PresentIndexed(const IndexedFrame& frame);
// Called once per poll of the message queue, so the headless script can run.
void OnMessagePoll(bool queueEmpty);
// Called by Sleep: one frame of the game has ended.
void OnSleep(DWORD milliseconds);
// A real-clock Sleep: true when the back end slept for it, as long as asked
// and up to the end of the presented frame's period where it paces presents.
bool SleepPaced(DWORD milliseconds);
// DirectDraw took the display for `window` (exclusive full screen at the
// given mode) or gave it back; the SDL back end opens or closes its window.
void TakeDisplay(HWND window, int width, int height);
void ReleaseDisplay();

}  // namespace vplat::internal
