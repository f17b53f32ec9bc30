// Sending small changes of the window surface without waiting for the
// window system (present_x11.cpp). Kept apart from state.h: the X11 headers
// it needs define names that clash with the Win32 ones.
#pragma once

#include <SDL.h>

namespace vplat::sdl {

// Sends the rectangles of the window's surface to the window; false where
// this cannot (not X11, another pixel format), and the caller sends them
// through SDL.
bool PutDirect(SDL_Window* window, SDL_Surface* surface, const SDL_Rect* rects, int count);
// The window is going: what was set up for it is let go.
void ForgetDirectPut();

}  // namespace vplat::sdl
