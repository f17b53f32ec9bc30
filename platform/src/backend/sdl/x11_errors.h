// Errors on our own X connection (present_x11.cpp) kept from the rest of
// the process. Xlib's error handlers are the process's: the one in place
// before (SDL's or Xlib's, both of which end the program) still gets every
// error on any other connection, but for a wake-up sent to a window already
// destroyed (x11_errors.cpp).
#pragma once

#include <X11/Xlib.h>

namespace vplat::sdl {

// From now on errors on `ours` are noted instead of passed on (null: none).
void WatchX11Errors(Display* ours);
// Whether an error or the loss of the connection was noted on it since.
bool X11ErrorNoted();

}  // namespace vplat::sdl
