// Whether a pump would find anything. SDL's pump asks the X connection
// three times over when nothing came (a read that finds nothing, a flush,
// a read again), every frame of the game. Whatever the window system sends
// makes the connection readable, so one look at it says whether there is
// anything to pump; SDL's other sources (pads, signals, its own timers)
// are pumped for whenever a pad is open, and at least four times a second:
// a pad plugged in or a signal to stop is seen within a quarter of a second,
// and the pump, which looks at every device SDL watches, costs a frame's
// worth of work.
//
// A held key comes again as one more press some 25 times a second (SDL
// asks for repeats without releases). Nothing in the game or the player's
// keys acts on a repeat, and SDL's handling of one (the input method's
// filter, the window's user time set and the change read back) costs more
// than a whole frame of play, so a repeat at the head of the queue is taken
// off before SDL pumps.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/keysym.h>
#include <poll.h>

#include "kernel/kernel.h"
#include "backend/sdl/pump_x11.h"
#include "backend/sdl/input.h"
#include "backend/sdl/x11_calls.h"

namespace vplat::sdl {
namespace {

constexpr double kLongestWithoutPump = 0.25;  // seconds

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

// SDL's key for the keys the game and the player use; unknown for others,
// whose repeats go through SDL as they come.
SDL_Keycode KeyOf(KeySym sym) {
    if (sym >= XK_space && sym <= XK_asciitilde) {
        return static_cast<SDL_Keycode>(sym);  // the same codes, letters in lower case
    }
    if (sym >= XK_F1 && sym <= XK_F12) {
        return SDLK_F1 + static_cast<SDL_Keycode>(sym - XK_F1);
    }
    static const struct {
        KeySym sym;
        SDL_Keycode key;
    } kKeys[] = {
        {XK_Left, SDLK_LEFT},        {XK_Right, SDLK_RIGHT},         {XK_Up, SDLK_UP},
        {XK_Down, SDLK_DOWN},        {XK_Return, SDLK_RETURN},       {XK_Escape, SDLK_ESCAPE},
        {XK_Tab, SDLK_TAB},          {XK_BackSpace, SDLK_BACKSPACE}, {XK_Shift_L, SDLK_LSHIFT},
        {XK_Shift_R, SDLK_RSHIFT},   {XK_Control_L, SDLK_LCTRL},     {XK_Control_R, SDLK_RCTRL},
        {XK_Alt_L, SDLK_LALT},       {XK_Alt_R, SDLK_RALT},          {XK_Print, SDLK_PRINTSCREEN},
        {XK_KP_Enter, SDLK_KP_ENTER}};
    for (const auto& known : kKeys) {
        if (known.sym == sym) {
            return known.key;
        }
    }
    return SDLK_UNKNOWN;
}

// A press of a key SDL already holds down: a repeat. Only the head of the
// queue is looked at, so a release before a new press has reached SDL.
bool IsRepeat(XEvent& event) {
    if (event.type != KeyPress) {
        return false;
    }
    SDL_Keycode key = KeyOf(X11().lookupKeysym(&event.xkey, 0));
    return key != SDLK_UNKNOWN && SDL_GetKeyboardState(nullptr)[SDL_GetScancodeFromKey(key)] != 0;
}

void DropRepeats(Display* display) {
    const X11Calls& x = X11();
    if (!x.loaded) {
        return;
    }
    if (QLength(display) == 0) {
        if (!Readable(display)) {
            return;
        }
        x.eventsQueued(display, QueuedAfterReading);
    }
    // Neither waits: there is an event queued to peek at and to take.
    XEvent event;
    while (QLength(display) > 0) {
        x.peekEvent(display, &event);
        if (!IsRepeat(event)) {
            return;
        }
        x.nextEvent(display, &event);
    }
}

}  // namespace

bool PumpWanted(SDL_Window* window) {
    static double lastPump = 0;
    double now = kernel::Seconds();
    Display* display = DisplayOf(window);
    if (display != nullptr) {
        DropRepeats(display);
    }
    bool wanted = display == nullptr || now - lastPump >= kLongestWithoutPump || GamepadsOpen() ||
                  QLength(display) > 0;
    if (wanted) {
        lastPump = now;
    }
    return wanted;
}

void ForgetPumpConnection() {
    TheConnection() = Connection();
}

}  // namespace vplat::sdl
