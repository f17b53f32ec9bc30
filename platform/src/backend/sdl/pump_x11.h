// Whether a pump of SDL's events would find anything new (pump_x11.cpp).
#pragma once

#include <SDL.h>

namespace vplat::sdl {

// False when a pump of SDL's events would find nothing new.
bool PumpWanted(SDL_Window* window);
void ForgetPumpConnection();
// Waits up to `milliseconds` for SDL's X connection to bring an event, read
// by the next pump; false, at once, where SDL is not on X11.
bool WaitOnX11(SDL_Window* window, int milliseconds);

}  // namespace vplat::sdl
