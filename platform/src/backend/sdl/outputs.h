// The surface path's outputs in the SDL window (present/output.h), one file
// each. Kept apart from state.h: the X11 headers they need define names that
// clash with the Win32 ones.
#pragma once

#include <SDL.h>

#include <memory>

#include "present/output.h"

namespace vplat::sdl {

// Each is null where the window is not of its kind or cannot have it.
// Pixels in shared memory of our own, put without waiting for the X server
// (present_x11.cpp).
std::unique_ptr<present::Output> OpenX11Output(SDL_Window* window);
// Buffers the Wayland compositor reads (present_wayland.cpp).
std::unique_ptr<present::Output> OpenWaylandOutput(SDL_Window* window);
// SDL's window surface, wherever SDL has one (present_surface.cpp).
std::unique_ptr<present::Output> OpenWindowSurfaceOutput(SDL_Window* window);

// For tests that meddle with or read back our X11 output: its shared
// segment as the X server names it (0: none), and a return once the server
// has carried out all we sent on our connection.
unsigned long X11SharedSegment();
void X11Finish();

}  // namespace vplat::sdl
