// The window's pixels drawn where they are sent from without waiting for
// the window system (present_x11.cpp, present_wayland.cpp). Kept apart from
// state.h: the X11 headers it needs define names that clash with the Win32
// ones.
#pragma once

#include <SDL.h>

namespace vplat::sdl {

// A surface of the window's size to draw the window's pixels on, or null
// where there is none (not X11, no shared memory) and SDL's window surface
// is to be used. *fresh: it holds nothing yet, and is all to be drawn.
SDL_Surface* X11Canvas(SDL_Window* window, bool* fresh);
// Waits until the server has read what was last sent from the canvas; false
// when it has not in time or our connection failed: the canvas is given up,
// and SDL's window surface is to be drawn on instead from now on.
bool X11BeforeWrite();
// The canvas's shared segment as the X server names it (0: none), for tests
// that take it away under us.
unsigned long X11SharedSegment();
// Returns once the server has carried out all we sent on our connection,
// for tests that read the window back.
void X11Finish();
// Why the canvas was given up, the first time it is asked; null otherwise.
const char* X11GivenUpUnsaid();
// Sends the rectangles of the canvas to the window.
void X11Send(const SDL_Rect* rects, int count);
// The window is going: what was set up for it is let go.
void ForgetX11Canvas();
// The same on Wayland, in buffers the compositor reads (wl_shm): null where
// the window is not a Wayland one or has no shared memory. Each frame's
// rectangles are sent once drawn; nothing waits for the compositor.
SDL_Surface* WaylandCanvas(SDL_Window* window, bool* fresh);
void WaylandSend(const SDL_Rect* rects, int count);
void ForgetWaylandCanvas();
// False when a pump of SDL's events would find nothing new (pump_x11.cpp).
bool PumpWanted(SDL_Window* window);
void ForgetPumpConnection();

}  // namespace vplat::sdl
