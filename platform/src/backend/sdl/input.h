// Keys from more than one source (the keyboard, every pad) feed the one key
// state the game reads: a key is down while any source holds it.
#pragma once

#include <SDL.h>

namespace vplat::sdl {

// One source took hold of, or let go of, a Windows virtual key.
void HoldKey(int virtualKey, bool down);
void ForgetHeldKeys();

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
