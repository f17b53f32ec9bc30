#include "backend/sdl/x11_errors.h"

#include "backend/sdl/x11_calls.h"

#include <SDL.h>
#include <X11/Xproto.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vplat::sdl {
namespace {

struct Watch {
    bool installed = false;
    XErrorHandler previous = nullptr;
    XIOErrorHandler previousLost = nullptr;
    Display* ours = nullptr;
    bool noted = false;
    void (*farewell)() = nullptr;
};

Watch& TheWatch() {
    static Watch watch;
    return watch;
}

// While the game waits for events, SDL wakes itself by sending an event to
// its window on a second connection of its own. When the wake-up is for the
// close that destroys that window, the server may take the destroy first,
// and the event then names a window that is gone. Nothing is lost: the
// window it was to wake is no more, and every other error still ends the
// program as before.
bool ToAWindowGone(const XErrorEvent& error) {
    return error.error_code == BadWindow && error.request_code == X_SendEvent;
}

int OnError(Display* display, XErrorEvent* error) {
    Watch& w = TheWatch();
    if (display != nullptr && display == w.ours) {
        w.noted = true;
        return 0;
    }
    if (error != nullptr && ToAWindowGone(*error)) {
        return 0;
    }
    return w.previous != nullptr ? w.previous(display, error) : 0;
}

int OnLost(Display* display) {
    Watch& w = TheWatch();
    if (display != nullptr && display == w.ours) {
        w.noted = true;
        return 0;
    }
    // Xlib's message below names the failed call's errno: saving must not
    // change it, or the player reads of a file that exists.
    int cause = errno;
    if (w.farewell != nullptr) {
        w.farewell();
    }
    fprintf(stderr, "velmora: the display %s was lost\n",
            display != nullptr ? DisplayString(display) : "");
    fflush(stderr);
    errno = cause;
    return w.previousLost != nullptr ? w.previousLost(display) : 0;
}

// Xlib ends the process after a lost connection unless that connection has
// a handler of its own for the end: ours keeps the game on SDL's.
void KeepRunning(Display* /*unused*/, void* /*unused*/) {}

void Install(Watch& w) {
    if (!w.installed) {
        w.previous = X11().setErrorHandler(OnError);
        w.previousLost = X11().setIOErrorHandler(OnLost);
        w.installed = true;
    }
}

}  // namespace

void WatchX11Errors(Display* ours) {
    Watch& w = TheWatch();
    const X11Calls& x = X11();
    Install(w);
    if (ours != nullptr && x.setIOErrorExitHandler != nullptr) {
        x.setIOErrorExitHandler(ours, KeepRunning, nullptr);
    }
    w.ours = ours;
    w.noted = false;
}

void BeforeX11LossEnds(void (*farewell)()) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && strcmp(driver, "x11") == 0 && X11().loaded) {
        Install(TheWatch());
        TheWatch().farewell = farewell;
    }
}

bool X11ErrorNoted() {
    return TheWatch().noted;
}

}  // namespace vplat::sdl
