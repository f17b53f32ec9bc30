#include "backend/sdl/x11_calls.h"

#include <dlfcn.h>

namespace vplat::sdl {
namespace {

template <typename T>
bool Find(void* library, const char* name, T* call) {
    *call = library != nullptr ? reinterpret_cast<T>(dlsym(library, name)) : nullptr;
    return *call != nullptr;
}

X11Calls Load() {
    X11Calls c;
    void* x = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    void* ext = dlopen("libXext.so.6", RTLD_LAZY | RTLD_NOLOAD);
    const bool found[] = {Find(x, "XOpenDisplay", &c.openDisplay),
                          Find(x, "XCloseDisplay", &c.closeDisplay),
                          Find(x, "XCreateGC", &c.createGC),
                          Find(x, "XFreeGC", &c.freeGC),
                          Find(x, "XGetWindowAttributes", &c.windowAttributes),
                          Find(x, "XPutImage", &c.putImage),
                          Find(x, "XFlush", &c.flush),
                          Find(x, "XSync", &c.sync),
                          Find(x, "XCheckIfEvent", &c.checkIfEvent),
                          Find(x, "XEventsQueued", &c.eventsQueued),
                          Find(x, "XPeekEvent", &c.peekEvent),
                          Find(x, "XNextEvent", &c.nextEvent),
                          Find(x, "XLookupKeysym", &c.lookupKeysym),
                          Find(x, "XSetErrorHandler", &c.setErrorHandler),
                          Find(x, "XSetIOErrorHandler", &c.setIOErrorHandler),
                          Find(ext, "XShmQueryExtension", &c.shmQueryExtension),
                          Find(ext, "XShmGetEventBase", &c.shmGetEventBase),
                          Find(ext, "XShmCreateImage", &c.shmCreateImage),
                          Find(ext, "XShmAttach", &c.shmAttach),
                          Find(ext, "XShmDetach", &c.shmDetach),
                          Find(ext, "XShmPutImage", &c.shmPutImage)};
    c.loaded = true;
    for (bool one : found) {
        c.loaded = c.loaded && one;
    }
    Find(x, "XSetIOErrorExitHandler", &c.setIOErrorExitHandler);
    return c;
}

}  // namespace

const X11Calls& X11() {
    static const X11Calls calls = Load();
    return calls;
}

}  // namespace vplat::sdl
