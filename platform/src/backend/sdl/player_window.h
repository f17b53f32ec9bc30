// The player's side of the SDL window: where it opens, full screen or not,
// the switch between the two, and what is remembered for the next run.
#pragma once

#include <SDL.h>

#include "player/window_place.h"

namespace vplat::sdl {

struct WindowPlan {
    SDL_Rect place;
    // The smallest size the player may make the window (w and h).
    SDL_Rect minimum;
    Uint32 flags;
    bool fullscreen;
};

// Where and how the window opens on the display it is on, inside the window
// manager's decoration `frame` (none is known before the window is shown).
WindowPlan PlanWindow(const player::Decoration& frame);
// The window just shown with `plan`: once the window manager says how large
// its decoration is (SettleWindow looks), a frame that would reach past the
// usable area is made to fit, and a --scale that did not fit is said.
void FitWhenDecorated(const WindowPlan& plan);
// Alt+Enter and F11: full screen to window and back.
void ToggleFullscreen();
// A window-system event about the window's size or place.
void NoteWindowEvent(const SDL_WindowEvent& event);
// Once per pump: a size or place that has settled is the player's choice.
void SettleWindow();
// The window is about to close: keep what it looked like.
void RememberWindow();

}  // namespace vplat::sdl
