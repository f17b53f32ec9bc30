// The SDL window's input beside the keyboard: pads and the screenshot key.
// Both hold keys through player/key_holders.h, as the keyboard does.
#pragma once

#include <SDL.h>

namespace vplat::sdl {

// The game controller API: pads are opened as they are plugged in.
void StartGamepads();
void StopGamepads();
// True when the event was a pad's.
bool GamepadEvent(const SDL_Event& event);
// Whether any pad is open: its events come only when SDL pumps.
bool GamepadsOpen();

// Print Screen: the next presented frame is written as a screenshot.
void AskForScreenshot();

}  // namespace vplat::sdl
