#include "backend/sdl/x11_errors.h"

#include "backend/sdl/x11_calls.h"

#include <SDL.h>

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

int OnError(Display* display, XErrorEvent* error) {
    Watch& w = TheWatch();
    if (display != nullptr && display == w.ours) {
        w.noted = true;
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
    if (w.farewell != nullptr) {
        w.farewell();
    }
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
