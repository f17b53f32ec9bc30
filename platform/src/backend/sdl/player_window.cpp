// The window follows the player's settings; a window is never larger than
// the usable desktop, and one that was left on a screen no longer there
// comes back centred.
#include "backend/sdl/player_window.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "player/settings.h"
#include "backend/sdl/state.h"
#include "player/window_place.h"

namespace vplat::sdl {
namespace {

player::Settings& Settings() {
    return player::CurrentSettings();
}

int DisplayOf(SDL_Window* window) {
    int index = window != nullptr ? SDL_GetWindowDisplayIndex(window) : 0;
    return index < 0 ? 0 : index;
}

SDL_Rect UsableArea(int display) {
    SDL_Rect area = {0, 0, 640, 480};
    if (SDL_GetDisplayUsableBounds(display, &area) != 0 || area.w <= 0 || area.h <= 0) {
        SDL_GetDisplayBounds(display, &area);
    }
    return area;
}

// Asks SDL for the usable areas; the rule itself lives in player/.
SDL_Rect WindowPlace(int display) {
    std::vector<player::Rect> displays;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect usable = UsableArea(i);
        displays.push_back({usable.x, usable.y, usable.w, usable.h});
    }
    SDL_Rect area = UsableArea(display);
    player::Rect place =
        player::WindowPlace(Settings(), {area.x, area.y, area.w, area.h}, displays);
    return SDL_Rect{place.x, place.y, place.w, place.h};
}

void KeepWindowRect(SDL_Window* window) {
    player::Settings& settings = Settings();
    SDL_GetWindowSize(window, &settings.windowWidth, &settings.windowHeight);
    SDL_GetWindowPosition(window, &settings.windowX, &settings.windowY);
    settings.windowPlaced = true;
}

}  // namespace

WindowPlan PlanWindow(int, int) {
    WindowPlan plan;
    plan.fullscreen = Settings().fullscreen;
    plan.place = WindowPlace(0);
    plan.flags = SDL_WINDOW_RESIZABLE;
    // Full screen: made at the desktop's own place and size from the start,
    // so that no window manager has to move it (without one, nobody would).
    SDL_Rect desktop;
    if (plan.fullscreen && SDL_GetDisplayBounds(0, &desktop) == 0) {
        plan.place = desktop;
        plan.flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    return plan;
}

void ToggleFullscreen() {
    Screen& screen = TheScreen();
    if (screen.window == nullptr) {
        return;
    }
    int display = DisplayOf(screen.window);
    if (screen.fullscreen) {
        SDL_SetWindowFullscreen(screen.window, 0);
        SDL_Rect place = WindowPlace(display);
        SDL_SetWindowSize(screen.window, place.w, place.h);
        SDL_SetWindowPosition(screen.window, place.x, place.y);
    } else {
        KeepWindowRect(screen.window);
        SDL_Rect desktop;
        if (SDL_GetDisplayBounds(display, &desktop) == 0) {
            // Where no window manager places full-screen windows, this does.
            SDL_SetWindowPosition(screen.window, desktop.x, desktop.y);
            SDL_SetWindowSize(screen.window, desktop.w, desktop.h);
        }
        SDL_SetWindowFullscreen(screen.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    screen.fullscreen = !screen.fullscreen;
    Settings().fullscreen = screen.fullscreen;
}

void NoteWindowEvent(const SDL_WindowEvent& event) {
    Screen& screen = TheScreen();
    bool sized =
        event.event == SDL_WINDOWEVENT_SIZE_CHANGED || event.event == SDL_WINDOWEVENT_MOVED;
    Uint32 flags = screen.window != nullptr ? SDL_GetWindowFlags(screen.window) : 0;
    if (sized && !screen.fullscreen && (flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == 0 &&
        (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED)) == 0) {
        KeepWindowRect(screen.window);
    }
}

void RememberWindow() {
    Screen& screen = TheScreen();
    if (screen.window == nullptr) {
        return;
    }
    Uint32 flags = SDL_GetWindowFlags(screen.window);
    if (!screen.fullscreen && (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED)) == 0) {
        KeepWindowRect(screen.window);
    }
    Settings().fullscreen = screen.fullscreen;
}

}  // namespace vplat::sdl
