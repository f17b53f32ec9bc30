// libX11 and libXext as SDL loaded them (present_x11.cpp, pump_x11.cpp); never loaded
// here, so a system without X11 runs the same program.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

namespace vplat::sdl {

struct X11Calls {
    decltype(&XOpenDisplay) openDisplay = nullptr;
    decltype(&XCloseDisplay) closeDisplay = nullptr;
    decltype(&XCreateGC) createGC = nullptr;
    decltype(&XFreeGC) freeGC = nullptr;
    decltype(&XGetWindowAttributes) windowAttributes = nullptr;
    decltype(&XPutImage) putImage = nullptr;
    decltype(&XFlush) flush = nullptr;
    decltype(&XSync) sync = nullptr;
    decltype(&XCheckIfEvent) checkIfEvent = nullptr;
    decltype(&XEventsQueued) eventsQueued = nullptr;
    decltype(&XPeekEvent) peekEvent = nullptr;
    decltype(&XNextEvent) nextEvent = nullptr;
    decltype(&XLookupKeysym) lookupKeysym = nullptr;
    decltype(&XSetErrorHandler) setErrorHandler = nullptr;
    decltype(&XSetIOErrorHandler) setIOErrorHandler = nullptr;
    decltype(&XShmQueryExtension) shmQueryExtension = nullptr;
    decltype(&XShmGetEventBase) shmGetEventBase = nullptr;
    decltype(&XShmCreateImage) shmCreateImage = nullptr;
    decltype(&XShmAttach) shmAttach = nullptr;
    decltype(&XShmDetach) shmDetach = nullptr;
    decltype(&XShmPutImage) shmPutImage = nullptr;
    bool loaded = false;  // every one above found
    // Only in libX11 1.7 and later: null before, where a lost connection of
    // ours ends the program as Xlib always did.
    decltype(&XSetIOErrorExitHandler) setIOErrorExitHandler = nullptr;
};

const X11Calls& X11();

}  // namespace vplat::sdl
