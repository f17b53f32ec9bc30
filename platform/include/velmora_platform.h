// Control of the Linux platform layer that is not part of Win32: the call
// journal and fault injection that tests use, the virtual clock and input of
// the headless back end, and a view of what the display shows. The game never
// includes this header; tests, benchmarks and the platform's start-up do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <ddraw.h>

namespace vplat {

// ---- Journal: every platform call the game makes, in order. ----
struct CallRecord {
    std::string name;    // the call's Win32 name: "BltFast", "Release", "MessageBoxA", ...
    const void* object;  // the interface the method was called on (null for free functions)
    std::string args;    // the arguments, formatted for reading ("x=0 y=100 flags=0x1")
    int64_t result;      // the result as a number (HRESULT, BOOL, handle or pointer value)
};
std::vector<CallRecord> Journal();
void ClearJournal();
// Off by default and after ResetPlatform, so that a run of the game does not
// grow it without end; tests that read it turn it on.
void EnableJournal(bool enabled);
// Names only, in order, optionally only those calls whose name is in `filter`.
std::vector<std::string> JournalNames(const std::vector<std::string>& filter = {});

// ---- Fault injection ----
// The next `times` calls named `name` (on `object`, when it is not null) that
// come after `skip` matching calls answer `result` and do nothing else.
// times < 0 means always.
void InjectFault(const std::string& name, int64_t result, int times = -1,
                 const void* object = nullptr, int skip = 0);
void ClearFaults();
// The resource `name` is no longer found (FindResourceA, LoadImageA).
void HideResource(const std::string& name);

// ---- Clock ----
// The virtual clock advances only through Sleep (and SetVirtualTime); the
// real clock reads CLOCK_MONOTONIC. Tests and the headless back end use the
// virtual one.
void UseVirtualClock(uint32_t startMs);
void SetVirtualTime(uint32_t nowMs);
void UseRealClock();

// ---- Input ----
// Key state as GetAsyncKeyState reports it; a press also posts WM_KEYDOWN to
// the focus window, a release WM_KEYUP.
void PressKey(int virtualKey);
void ReleaseKey(int virtualKey);
// The exclusive window is minimised (every surface is lost and WM_ACTIVATE
// with the minimised flag is sent) or restored (WM_ACTIVATE, active).
void MinimizeWindow();
void RestoreWindow();
// The display is taken away: every surface of every DirectDraw object is lost.
void LoseAllSurfaces();
// Another program takes the front from the exclusive window, as Wine does it:
// the window is deactivated (WM_ACTIVATE inactive, but without the minimised
// flag), the desktop's display mode comes back (every surface lost), and
// the window is minimised (WM_SIZE only). The primary surface's Restore then
// answers DDERR_WRONGMODE until SetDisplayMode sets the mode again: the mode
// does not come back by itself. RestoreWindow brings the window back.
void SwitchAway();

// How many DirectDraw objects, surfaces and palettes are still alive.
int LiveDirectDrawObjects();

// ---- Message boxes ----
// Message boxes never block in tests; this is what they said.
struct MessageBoxRecord {
    std::string text;
    std::string caption;
    unsigned type;
};
std::vector<MessageBoxRecord> MessageBoxes();

// ---- What the screen shows ----
// The last frame presented headless, as 8-bit indices (640 x 480 in this game) and the
// palette it was shown with (entries 0 and 255 as the platform shows them).
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    PALETTEENTRY palette[256] = {};
    uint64_t number = 0;  // how many frames had been presented when this one was
};
// The frame kept last: a headless run keeps one only when its script asks
// for a capture, unless a test has asked to read every frame back (off by
// default and after ResetPlatform: the copy is most of a headless frame's cost).
Frame PresentedFrame();
void KeepPresentedFrames(bool keep);
// What WritePng does with a file already at its path: a capture of a run made
// again replaces it; a screenshot never does.
enum class Existing { Replace, Keep };
// Writes a frame as an 8-bit palette PNG: its indices and the palette it was
// shown with, so the file holds the frame without loss and reads as its
// colours anywhere. Returns false when the file cannot be written, with errno
// saying why (EEXIST: a file Existing::Keep left alone); nothing is left at
// `path` then but such a file.
bool WritePng(const Frame& frame, const std::string& path, Existing existing = Existing::Replace);

// ---- Debug output ----
// Everything written with OutputDebugStringA since the last reset.
std::string DebugOutput();
// Whether OutputDebugStringA also writes to standard error (on by default).
void EchoDebugOutput(bool toStandardError);

// ---- Back ends ----
enum class Backend { Headless, Sdl, Web, Windows };
// Chosen once before WinMain runs; the default is Headless.
void SelectBackend(Backend backend);
Backend SelectedBackend();

// Back to the state of a freshly started process: no windows, classes or
// messages, no DirectDraw objects, keys up, virtual clock at 0, empty
// journal (turned off), no frames kept, no faults, no hidden resources, no message boxes.
void ResetPlatform();

}  // namespace vplat
