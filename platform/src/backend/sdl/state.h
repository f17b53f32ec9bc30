// The SDL back end's window and renderer, shared by its files.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "present/changes.h"
#include "present/convert.h"
#include "present/scale.h"
#include "player/present_choice.h"
#include "internal.h"

namespace vplat::sdl {

using player::PresentPath;

// The driver's operations (driver.cpp lists them in its table).
// Starts SDL's video; false (with the reason in *error) where there is no display.
bool Start(std::string* error);
void Stop();
void PumpEvents();
// A poll of the message queue: waits for the next event while the game is
// idle (polls finding nothing, no frame presented between them).
void OnMessagePoll(bool queueEmpty);
void ShowMessageBox(const std::string& text, const std::string& caption);
void Present(const uint8_t* pixels, int width, int height, int pitch, const PALETTEENTRY* palette);
void TakeDisplay(HWND window, int width, int height);
void ShowCursorImage(bool visible);
void ReleaseDisplay();
// Sleeps for a real-clock Sleep up to the end of the presented frame's
// period; false when no present is waiting to be paced.
bool SleepPaced(DWORD milliseconds);
// Print Screen was pressed: the next presented frame is to be written.
bool ScreenshotWanted();
void SaveScreenshot(const Frame& frame);

// Asks the window which cursor to show, as the system does when the mouse
// moves over it (WM_SETCURSOR; the class's arrow when the window leaves it).
void AskForCursor();

struct Screen {
    bool started = false;
    SDL_Window* window = nullptr;
    PresentPath path = PresentPath::Auto;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    bool fullscreen = false;
    bool minimised = false;
    // The GPU path's table, XRGB as its streaming texture holds it.
    present::PaletteTable rendererTable{present::BuildXrgbTable};
    // The surface path's table, in the window surface's own pixel format.
    uint32_t surfaceTable[256] = {};
    // The surface path: what the window shows, so that only changes are sent.
    SDL_Surface* surface = nullptr;  // the window surface the kept frame is on
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    bool repaintAll = true;  // the window lost its contents (exposed, restored)
    present::KeptFrame kept;
    present::ScaleMap scale;
    std::vector<present::ChangedRect> changed;
    std::vector<SDL_Rect> sent;
};

Screen& TheScreen();
// Opens the GPU renderer, vertical sync where it holds.
SDL_Renderer* OpenRenderer(SDL_Window* window);
void PresentThroughRenderer(Screen& screen, const uint8_t* pixels, int width, int height, int pitch,
                            const PALETTEENTRY* palette);
// False when the window has no surface of a format the path can draw.
bool PresentToSurface(Screen& screen, const uint8_t* pixels, int width, int height, int pitch,
                      const PALETTEENTRY* palette);
// Auto becomes Surface where the GPU renderer would draw on the processor.
PresentPath ResolvePresentPath(PresentPath choice);
// Waits for the display's next refresh where vertical sync does not.
void PaceAfterPresent(Screen& screen);
// Waits out what is left of the last presented frame's period, if anything.
void PaceBeforePresent();
void ResetPacing();
// A frame reached the window: the game is running, not idle.
void NotePresented();
// Keeps keys out of the input method: WatchTextInput once SDL's video has
// started (SDL_Quit ends the watch), KeepTextInputOff after each pump.
void WatchTextInput();
// Lets the pump skip SDL's queue when nothing was queued: once SDL's video
// has started.
void WatchQueue();
void KeepTextInputOff();
void ResetIdle();
// Waits up to `milliseconds` for SDL's X connection to bring an event, read
// by the next pump (pump_x11.cpp); false, at once, where SDL is not on X11.
bool WaitOnX11(SDL_Window* window, int milliseconds);
// A notice over the picture for about two seconds ("Screenshot saved: ...").
void ShowNotice(const std::string& text);
// The surface path's window shows another notice (or none) than it should:
// the frame under it is to be sent again.
bool NoticeChangedOnSurface();
// After the frame's changes are drawn (screen.sent): the notice over them.
void DrawNoticeOnSurface(Screen& screen, SDL_Surface* surface);
// After the frame's copy to `picture`, before the renderer presents.
void DrawNoticeThroughRenderer(Screen& screen, const SDL_Rect& picture);
// SIGINT, SIGTERM, SIGHUP and SIGQUIT close the game, noted by a flag the pump reads
// (quit_signals.cpp).
void WatchQuitSignals();
void ForgetQuitSignals();
bool QuitSignalled();
// From now on the loss of SDL's X connection (the X server went away) first
// calls `farewell`; Xlib's handler then says so and ends the process with
// status 1, as before (x11_errors.cpp). Nothing where X11 is not in use.
void BeforeX11LossEnds(void (*farewell)());
// The game's icon on the window, where the window system shows one.
void SetWindowIcon(SDL_Window* window);

}  // namespace vplat::sdl
