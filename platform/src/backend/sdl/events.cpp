// Window-system events into the platform: keys with their Windows
// virtual-key codes, the close button, minimising and restoring. The
// player's own keys (full screen, screenshot) are answered here and never
// reach the game.
#include <atomic>

#include "backend/driver.h"
#include "backend/sdl/pump_x11.h"
#include "backend/sdl/input.h"
#include "backend/sdl/player_window.h"
#include "backend/sdl/state.h"
#include "player/key_holders.h"
#include "player/playback.h"

namespace vplat::sdl {
namespace {

int VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return 'A' + (key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return '0' + (key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return VK_F1 + (key - SDLK_F1);
    }
    switch (key) {
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_RETURN:
            return VK_RETURN;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT:
            return VK_MENU;
        default:
            return 0;
    }
}

void Minimise(Screen& screen) {
    if (!screen.minimised) {
        screen.minimised = true;
        player::GiveActivation(false);
    }
}

// Back from minimised: the whole frame goes out again, since not every
// window system says so when what the window showed was dropped meanwhile
// (Wayland gives the focus back, and nothing more).
void Restore(Screen& screen) {
    if (screen.minimised) {
        screen.minimised = false;
        screen.repaintAll = true;
        player::GiveActivation(true);
    }
}

void WindowEvent(Screen& screen, const SDL_WindowEvent& event) {
    NoteWindowEvent(event);
    switch (event.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
            Minimise(screen);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (screen.fullscreen) {
                Minimise(screen);
            }
            break;
        case SDL_WINDOWEVENT_RESTORED:
            screen.repaintAll = true;  // restored from maximised too
            Restore(screen);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            Restore(screen);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            // What the window showed is gone or no longer in place.
            screen.repaintAll = true;
            break;
        default:
            break;
    }
}

// Set as SDL queues any event, from whichever thread: most polls pump
// nothing, and then the queue need not be asked.
std::atomic<bool> g_queued{false};

int NoteQueued(void* /*unused*/, SDL_Event* /*event*/) {
    g_queued = true;
    return 0;
}

bool g_keyboardHolds[256] = {};
// Enter went down with Alt: its release belongs to the switch too.
bool g_enterTaken = false;

bool IsEnter(SDL_Keycode key) {
    return key == SDLK_RETURN || key == SDLK_KP_ENTER;
}

// Alt+Enter, F11, and Print Screen or F9 (several desktops take Print Screen
// for their own screenshot tool; none of GNOME, KDE, Xfce and openbox binds
// F9 by default). True when the key was one of them (down or
// up), so the game does not see it; repeats do nothing.
bool PlayerKey(const SDL_KeyboardEvent& event) {
    SDL_Keycode key = event.keysym.sym;
    bool down = event.type == SDL_KEYDOWN;
    if (IsEnter(key) && !down && g_enterTaken) {
        g_enterTaken = false;
        return true;
    }
    bool toggle = key == SDLK_F11 || (IsEnter(key) && down && (event.keysym.mod & KMOD_ALT) != 0);
    if (!toggle && key != SDLK_PRINTSCREEN && key != SDLK_F9) {
        return false;
    }
    if (IsEnter(key)) {
        g_enterTaken = true;
    }
    if (down && event.repeat == 0) {
        if (toggle) {
            ToggleFullscreen();
        } else {
            AskForScreenshot();
        }
    }
    return true;
}

void KeyboardKey(const SDL_KeyboardEvent& event) {
    if (PlayerKey(event)) {
        return;
    }
    int key = VirtualKey(event.keysym.sym);
    bool down = event.type == SDL_KEYDOWN;
    if (key == 0 || g_keyboardHolds[key] == down || (down && event.repeat != 0)) {
        return;
    }
    g_keyboardHolds[key] = down;
    player::HoldKey(key, down);
}

void HandleEvent(Screen& screen, const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            player::GiveClose();
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            KeyboardKey(event.key);
            break;
        case SDL_WINDOWEVENT:
            WindowEvent(screen, event.window);
            break;
        case SDL_MOUSEMOTION:
            AskForCursor();
            break;
        default:
            GamepadEvent(event);
            break;
    }
}

}  // namespace

void WatchQueue() {
    g_queued = true;
    SDL_AddEventWatch(NoteQueued, nullptr);
}

void PumpEvents() {
    Screen& screen = TheScreen();
    if (!screen.started) {
        return;
    }
    // One pump, then the queue drained without pumping again: each pump asks
    // the X server, and polling event by event would ask once per event.
    if (PumpWanted(screen.window)) {
        SDL_PumpEvents();
    }
    if (QuitSignalled()) {
        player::GiveClose();
    }
    SDL_Event event;
    if (g_queued.exchange(false)) {
        while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
            HandleEvent(screen, event);
        }
    }
    SettleWindow();
    KeepTextInputOff();
}

}  // namespace vplat::sdl
