// The window follows the player's settings; a window is never larger than
// the usable desktop, and one that was left on a screen no longer there
// comes back centred.
//
// Places are the frame's: under a window manager the window's own area sits
// inside a decoration, and a window asked to open at (x, y) has its frame's
// corner put there. Keeping the area's place instead and giving it back as
// the frame's would move the window down by the title bar on every start.
// Only what the player does in the game is kept for the next run: the window
// opening where the settings or a one-off option put it is no choice.
#include "backend/sdl/player_window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "backend/sdl/state.h"
#include "player/settings.h"
#include "player/window_place.h"
#include "player/window_size.h"

namespace vplat::sdl {
namespace {

// A size or place seen this long before the window was maximised is the
// player's; a newer one is the maximise's own first step (the window
// manager may resize before it says the window is maximised).
constexpr Uint32 kSettleMs = 300;
// Attempts to put a window back where it was after full screen, while the
// window manager's decoration comes and goes.
constexpr int kPlaceTries = 3;
// After this long a move is the player's own, not the window manager's
// answer to the switch.
constexpr Uint32 kPlaceMs = 1000;

struct Tracking {
    // The decoration's left and top last seen around the window.
    int left = 0;
    int top = 0;
    // Where the window's area should come to rest after full screen.
    bool pending = false;
    int tries = 0;
    Uint32 pendingSince = 0;
    player::Rect wanted = {0, 0, 0, 0};
    // A size or place not yet taken as the player's.
    bool candidate = false;
    player::Rect rect = {0, 0, 0, 0};
    Uint32 since = 0;
    // Where the window opened: a rect equal to it is nobody's choice.
    player::Rect opened = {0, 0, 0, 0};
};

Tracking& TheTracking() {
    static Tracking tracking;
    return tracking;
}

player::Settings& Settings() {
    return player::CurrentSettings();
}

bool Same(const player::Rect& a, const player::Rect& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

bool OnWayland() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && strcmp(driver, "wayland") == 0;
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
player::Rect WindowPlace(int display, const player::Decoration& frame = {0, 0, 0, 0}) {
    std::vector<player::Rect> displays;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect usable = UsableArea(i);
        displays.push_back({usable.x, usable.y, usable.w, usable.h});
    }
    SDL_Rect area = UsableArea(display);
    return player::WindowPlace(Settings(), {area.x, area.y, area.w, area.h}, displays, frame);
}

bool Normal(SDL_Window* window) {
    Uint32 flags = SDL_GetWindowFlags(window);
    return !TheScreen().fullscreen && (flags & (SDL_WINDOW_FULLSCREEN_DESKTOP |
                                                SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED)) == 0;
}

// Its size and place are the player's, minimised or not: a window moved and
// then minimised at once is often minimised by the time SDL tells of the
// move, and then closed from the window manager.
bool Placeable(SDL_Window* window) {
    Uint32 flags = SDL_GetWindowFlags(window);
    return !TheScreen().fullscreen &&
           (flags & (SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_MAXIMIZED)) == 0;
}

// The frame's place and the area's size; the decoration is noted on the way.
player::Rect FrameRect(SDL_Window* window) {
    Tracking& tracking = TheTracking();
    int top = 0;
    int left = 0;
    if (SDL_GetWindowBordersSize(window, &top, &left, nullptr, nullptr) == 0 &&
        (top > 0 || left > 0)) {
        tracking.top = top;
        tracking.left = left;
    }
    player::Rect rect = {0, 0, 0, 0};
    SDL_GetWindowPosition(window, &rect.x, &rect.y);
    SDL_GetWindowSize(window, &rect.w, &rect.h);
    rect.x -= tracking.left;
    rect.y -= tracking.top;
    return rect;
}

// The candidate becomes the player's choice, unless it is where the window
// opened. Read afresh from a window that is still normal: the decoration
// may have been unknown when the event came.
void TakeCandidate(SDL_Window* window) {
    Tracking& tracking = TheTracking();
    if (tracking.candidate && window != nullptr && Normal(window)) {
        tracking.rect = FrameRect(window);
    }
    if (tracking.candidate && !Same(tracking.rect, tracking.opened)) {
        player::ChooseWindowRect(tracking.rect.x, tracking.rect.y, tracking.rect.w,
                                 tracking.rect.h);
        tracking.opened = {0, 0, 0, 0};  // moved once: every later place is chosen
    }
    tracking.candidate = false;
}

// The window's area where the frame should be, once the decoration is known.
void PlaceAfterFullscreen(SDL_Window* window) {
    Tracking& tracking = TheTracking();
    FrameRect(window);
    int x = tracking.wanted.x + tracking.left;
    int y = tracking.wanted.y + tracking.top;
    int nowX = 0;
    int nowY = 0;
    SDL_GetWindowPosition(window, &nowX, &nowY);
    if (nowX == x && nowY == y) {
        tracking.pending = false;
        return;
    }
    if (tracking.tries-- <= 0) {
        tracking.pending = false;
        return;
    }
    SDL_SetWindowPosition(window, x, y);
}

// Where the frame would reach past the usable area, the window made to fit
// now that the decoration is known; the plan it follows.
WindowPlan FitDecoration(SDL_Window* window, const WindowPlan& plan) {
    player::Decoration frame = {0, 0, 0, 0};
    if (plan.fullscreen || (SDL_GetWindowFlags(window) & SDL_WINDOW_MAXIMIZED) != 0 ||
        SDL_GetWindowBordersSize(window, &frame.top, &frame.left, &frame.bottom, &frame.right) !=
            0 ||
        frame.top + frame.left + frame.bottom + frame.right == 0) {
        return plan;
    }
    WindowPlan fitted = PlanWindow(frame);
    const SDL_Rect& was = plan.place;
    const SDL_Rect& now = fitted.place;
    if (now.x != was.x || now.y != was.y || now.w != was.w || now.h != was.h) {
        // The smallest size first: the window manager holds the window to it.
        SDL_SetWindowMinimumSize(window, fitted.minimum.w, fitted.minimum.h);
        SDL_SetWindowSize(window, now.w, now.h);
        // SDL places the window's own area; the place is the frame's.
        SDL_SetWindowPosition(window, now.x + frame.left, now.y + frame.top);
    }
    return fitted;
}

// A --scale that does not fit: one line with what the window is instead.
void SayScaleUsed(const WindowPlan& plan) {
    int scale = Settings().scale;
    if (scale <= 0 || plan.fullscreen || plan.place.w == 640 * scale) {
        return;
    }
    SDL_Rect area = UsableArea(0);
    if (plan.place.w % 640 == 0 && plan.place.h == 480 * (plan.place.w / 640)) {
        fprintf(stderr, "velmora: --scale %d does not fit the %dx%d desktop; using --scale %d\n",
                scale, area.w, area.h, plan.place.w / 640);
    } else {
        fprintf(stderr,
                "velmora: --scale %d does not fit the %dx%d desktop; using a %dx%d window\n", scale,
                area.w, area.h, plan.place.w, plan.place.h);
    }
    fflush(stderr);
}

// How long a shown window waits for the window manager to say how large its
// decoration is; without one, nobody ever says.
constexpr Uint32 kDecorationMs = 1000;

struct Fitting {
    bool waiting = false;
    Uint32 since = 0;
    WindowPlan plan = {};
};

Fitting& TheFitting() {
    static Fitting fitting;
    return fitting;
}

}  // namespace

WindowPlan PlanWindow(const player::Decoration& frame) {
    WindowPlan plan;
    plan.fullscreen = Settings().fullscreen;
    player::Rect place = WindowPlace(0, frame);
    plan.place = SDL_Rect{place.x, place.y, place.w, place.h};
    plan.flags = SDL_WINDOW_RESIZABLE;
    if (!plan.fullscreen && Settings().windowMaximized) {
        plan.flags |= SDL_WINDOW_MAXIMIZED;
    }
    SDL_Rect area = UsableArea(0);
    player::WindowSize least = player::MinimumWindowSize(area.w - frame.left - frame.right,
                                                         area.h - frame.top - frame.bottom);
    plan.minimum = SDL_Rect{0, 0, least.width, least.height};
    TheTracking() = Tracking();
    TheTracking().opened = place;
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
    Tracking& tracking = TheTracking();
    if (screen.fullscreen) {
        SDL_SetWindowFullscreen(screen.window, 0);
        screen.fullscreen = false;
        if (Settings().windowMaximized) {
            SDL_MaximizeWindow(screen.window);
        } else {
            player::Rect place = WindowPlace(display);
            SDL_SetWindowSize(screen.window, place.w, place.h);
            tracking.wanted = place;
            tracking.pending = true;
            tracking.tries = kPlaceTries;
            tracking.pendingSince = SDL_GetTicks();
            // Under a window manager the decoration is not back yet, and SDL
            // would place the area where the frame goes; the window manager
            // puts the window back itself, and the check after its events
            // puts right what is still off.
            int top = 0;
            int left = 0;
            SDL_GetWindowBordersSize(screen.window, &top, &left, nullptr, nullptr);
            if ((tracking.left == 0 && tracking.top == 0) || top > 0 || left > 0) {
                PlaceAfterFullscreen(screen.window);
            }
        }
    } else {
        tracking.candidate = Normal(screen.window);
        TakeCandidate(screen.window);
        tracking.pending = false;
        SDL_Rect desktop;
        // Where no window manager places full-screen windows, this does. A
        // Wayland compositor always does, and a size asked for on the way
        // would stay the window's less its decoration.
        if (!OnWayland() && SDL_GetDisplayBounds(display, &desktop) == 0) {
            SDL_SetWindowPosition(screen.window, desktop.x, desktop.y);
            SDL_SetWindowSize(screen.window, desktop.w, desktop.h);
        }
        SDL_SetWindowFullscreen(screen.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        screen.fullscreen = true;
    }
    player::ChooseFullscreen(screen.fullscreen);
    // Whether vertical sync holds presents back can change with the switch
    // (a compositor steps aside for a full-screen window): measured again.
    ResetPacing();
}

void NoteWindowEvent(const SDL_WindowEvent& event) {
    Screen& screen = TheScreen();
    Tracking& tracking = TheTracking();
    if (event.event == SDL_WINDOWEVENT_DISPLAY_CHANGED) {
        ResetPacing();  // another output, perhaps another refresh rate
    }
    if (screen.window == nullptr || screen.fullscreen) {
        return;
    }
    Uint32 flags = SDL_GetWindowFlags(screen.window);
    switch (event.event) {
        case SDL_WINDOWEVENT_MAXIMIZED:
            // What it was before is the size and place to keep.
            if (tracking.candidate && SDL_GetTicks() - tracking.since < kSettleMs) {
                tracking.candidate = false;
            }
            TakeCandidate(nullptr);
            player::ChooseMaximized(true);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            if ((flags & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED)) == 0) {
                player::ChooseMaximized(false);
            }
            break;
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (tracking.pending && SDL_GetTicks() - tracking.pendingSince > kPlaceMs) {
                tracking.pending = false;
            }
            if (tracking.pending) {
                PlaceAfterFullscreen(screen.window);
            } else if (Placeable(screen.window)) {
                tracking.rect = FrameRect(screen.window);
                tracking.candidate = true;
                tracking.since = SDL_GetTicks();
            }
            break;
        default:
            break;
    }
}

void FitWhenDecorated(const WindowPlan& plan) {
    TheFitting() = Fitting{true, SDL_GetTicks(), plan};
}

void SettleWindow() {
    Fitting& fitting = TheFitting();
    SDL_Window* window = TheScreen().window;
    if (fitting.waiting && window != nullptr) {
        int top = 0;
        int left = 0;
        int bottom = 0;
        int right = 0;
        SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right);
        if (top + left + bottom + right > 0 || SDL_GetTicks() - fitting.since >= kDecorationMs) {
            fitting.waiting = false;
            SayScaleUsed(FitDecoration(window, fitting.plan));
        }
    }
    Tracking& tracking = TheTracking();
    if (tracking.candidate && SDL_GetTicks() - tracking.since >= kSettleMs &&
        TheScreen().window != nullptr && Normal(TheScreen().window)) {
        TakeCandidate(TheScreen().window);
    }
}

void RememberWindow() {
    Screen& screen = TheScreen();
    if (screen.window == nullptr) {
        return;
    }
    // Closed before a size or place settled: it counts, minimised too,
    // unless the window is maximised now.
    if (Placeable(screen.window)) {
        TakeCandidate(screen.window);
    }
    TheTracking() = Tracking();
}

}  // namespace vplat::sdl
