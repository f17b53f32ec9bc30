// The SDL back end's window and renderer, shared by its files.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>

#include "present/convert.h"
#include "present/output.h"
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
void Present(const internal::IndexedFrame& frame);
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
    present::PaletteTable rendererTable;
    // The surface path: the output in use (null: none left), how many of the
    // list were tried, and what the window shows.
    std::unique_ptr<present::Output> output;
    size_t outputsTried = 0;
    present::OutputScreen shown;
    bool repaintAll = true;  // the window lost its contents (exposed, restored)
};

Screen& TheScreen();
// Opens the GPU renderer, vertical sync where it holds.
SDL_Renderer* OpenRenderer(SDL_Window* window);
void PresentThroughRenderer(Screen& screen, const internal::IndexedFrame& frame);
// The next output of the surface path in order (X11, Wayland, SDL's window
// surface) that the window can have, in place of the one in use.
void OpenNextOutput(Screen& screen);
// False when no output of the surface path is left for the window.
bool PresentToSurface(Screen& screen, const internal::IndexedFrame& frame);
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
// SIGHUP and SIGQUIT close the game, noted by a flag the pump reads
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
