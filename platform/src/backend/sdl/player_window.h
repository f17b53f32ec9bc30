// The player's side of the SDL window: where it opens, full screen or not,
// the switch between the two, and what is remembered for the next run.
#pragma once

#include <SDL.h>

namespace vplat::sdl {

struct WindowPlan {
    SDL_Rect place;
    // The smallest size the player may make the window (w and h).
    SDL_Rect minimum;
    Uint32 flags;
    bool fullscreen;
};

// Where and how the window opens on the display it is on.
WindowPlan PlanWindow(int frameWidth, int frameHeight);
// Alt+Enter and F11: full screen to window and back.
void ToggleFullscreen();
// A window-system event about the window's size or place.
void NoteWindowEvent(const SDL_WindowEvent& event);
// Once per pump: a size or place that has settled is the player's choice.
void SettleWindow();
// The window is about to close: keep what it looked like.
void RememberWindow();

}  // namespace vplat::sdl
