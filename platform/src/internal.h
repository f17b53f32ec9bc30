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
// Shows a 640 x 480 8-bit frame through its palette.
// What a row of a frame being presented is known to hold: the whole row
// copied unchanged from row sourceY (from column sourceX) of a surface as it
// was after write number `write`. Write numbers are never reused, so equal
// tags mean equal rows; write 0 means nothing is known of the row.
struct RowTag {
    uint64_t write = 0;
    int sourceX = 0;
    int sourceY = 0;
    bool operator==(const RowTag& other) const {
        return write == other.write && sourceX == other.sourceX && sourceY == other.sourceY;
    }
};
// Rows known to hold tags, `count` of them from `top`: with `step`, each row
// holds the source row after the one the row above holds (a copy of many
// rows); without, the same tag (a list of paints that every row repeats).
// `base` is what the row's first paint, which covers it whole, is known as
// alone, and the rest of its paints stay within columns left to right (one
// past the last): two rows with the same base differ only there. A row of
// one paint is its own base, with no columns.
struct TagRun {
    int top = 0;
    int count = 0;
    RowTag first;
    bool step = false;
    RowTag base;
    int left = 0;
    int right = 0;
    RowTag At(int row) const { return Stepped(first, row); }
    RowTag BaseAt(int row) const { return Stepped(base, row); }
    RowTag Stepped(RowTag tag, int row) const {
        tag.sourceY += step ? row - top : 0;
        return tag;
    }
};
// A run of rows that each hold one paint: their own bases.
inline TagRun PlainRun(int top, int count, const RowTag& first, bool step) {
    return TagRun{top, count, first, step, first, 0, 0};
}
// Adds a run, grown into the last one where it continues it.
inline void AddTagRun(std::vector<TagRun>* runs, const TagRun& run) {
    if (!runs->empty()) {
        TagRun& last = runs->back();
        if (last.top + last.count == run.top && last.step == run.step && last.left == last.right &&
            run.left == run.right && last.At(run.top) == run.first &&
            last.BaseAt(run.top) == run.base) {
            last.count += run.count;
            return;
        }
    }
    runs->push_back(run);
}
// What is known of a frame being presented.
struct FrameTags {
    std::vector<TagRun> runs;  // from the top, known rows only
    // Changes with every change to any palette's entries, and is never 0:
    // the same palette entries at the same address under the same stamp
    // hold the same colours.
    uint64_t paletteStamp = 0;
};
// What is known of the frame PresentIndexed is showing; null where nothing is.
const FrameTags* PresentedRowTags();
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
