// libX11 and libXext as SDL loaded them (present_x11.cpp); never loaded
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
    decltype(&XIfEvent) ifEvent = nullptr;
    decltype(&XSetErrorHandler) setErrorHandler = nullptr;
    decltype(&XShmQueryExtension) shmQueryExtension = nullptr;
    decltype(&XShmGetEventBase) shmGetEventBase = nullptr;
    decltype(&XShmCreateImage) shmCreateImage = nullptr;
    decltype(&XShmAttach) shmAttach = nullptr;
    decltype(&XShmDetach) shmDetach = nullptr;
    decltype(&XShmPutImage) shmPutImage = nullptr;
    bool loaded = false;  // every one found
};

const X11Calls& X11();

}  // namespace vplat::sdl
