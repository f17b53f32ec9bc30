// Whether a pump would find anything. SDL's pump asks the X connection
// three times over when nothing came (a read that finds nothing, a flush,
// a read again), every frame of the game. Whatever the window system sends
// makes the connection readable, so one look at it says whether there is
// anything to pump; SDL's other sources (pads, signals, its own timers)
// are pumped for whenever a pad is open, and at least every tenth of a
// second.
#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>

#include "backend/sdl/direct_put.h"

namespace vplat::sdl {
namespace {

constexpr Uint32 kLongestWithoutPumpMs = 100;

struct Connection {
    SDL_Window* window = nullptr;  // the window it was looked up for
    Display* display = nullptr;    // SDL's own; null where it is not X11
};

Connection& TheConnection() {
    static Connection connection;
    return connection;
}

Display* DisplayOf(SDL_Window* window) {
    Connection& c = TheConnection();
    if (c.window != window) {
        c = Connection{window, nullptr};
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (window != nullptr && SDL_GetWindowWMInfo(window, &info) &&
            info.subsystem == SDL_SYSWM_X11) {
            c.display = info.info.x11.display;
        }
    }
    return c.display;
}

bool Readable(Display* display) {
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    return poll(&connection, 1, 0) != 0;
}

}  // namespace

bool PumpWanted(SDL_Window* window) {
    static Uint32 lastPump = 0;
    Uint32 now = SDL_GetTicks();
    Display* display = DisplayOf(window);
    bool wanted = display == nullptr || now - lastPump >= kLongestWithoutPumpMs ||
                  SDL_NumJoysticks() > 0 || QLength(display) > 0 || Readable(display);
    if (wanted) {
        lastPump = now;
    }
    return wanted;
}

void ForgetPumpConnection() {
    TheConnection() = Connection();
}

}  // namespace vplat::sdl
