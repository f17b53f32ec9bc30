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
// What a row of a frame is known to hold. Two rows whose tags match hold
// the same pixels: the same whole-row copy of the same source row (`write`
// names the source memory as it was, and is never reused), or the same
// whole-row fill. A tag made any other way is unknown and matches nothing.
struct RowTag {
    uint64_t write = 0;  // 0: unknown
    uint32_t x = 0;      // a copy's source column; 0 for a fill
    uint32_t y = 0;      // a copy's source row, or a fill's colour
    static RowTag Copy(uint64_t write, int x, int y) {
        return RowTag{write, static_cast<uint32_t>(x), static_cast<uint32_t>(y)};
    }
    static RowTag Fill(uint32_t colour) { return RowTag{kFill, 0, colour}; }
    bool Matches(const RowTag& other) const {
        return write != 0 && write == other.write && x == other.x && y == other.y;
    }
    static constexpr uint64_t kFill = ~uint64_t{0};  // no write reaches it
};
// The tags of the frame PresentIndexed is showing, one a row; null where
// nothing is known.
const RowTag* PresentedRowTags();
// Shows a 640 x 480 8-bit frame through its palette.
void PresentIndexed(const uint8_t* pixels, int width, int height, int pitch,
                    const PALETTEENTRY* palette);
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
