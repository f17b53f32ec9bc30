// Whether a pump of SDL's events would find anything new (pump_x11.cpp).
#pragma once

#include <SDL.h>

namespace vplat::sdl {

// False when a pump of SDL's events would find nothing new.
bool PumpWanted(SDL_Window* window);
void ForgetPumpConnection();

}  // namespace vplat::sdl
