// The SDL window: opened when the game takes the display, full screen at the
// desktop's own mode or a window, as the player chose (player_window.cpp).
#include <cstdlib>
#include <cstring>

#include "backend/driver.h"
#include "backend/sdl/input.h"
#include "backend/sdl/player_window.h"
#include "backend/sdl/pump_x11.h"
#include "backend/sdl/state.h"
#include "player/key_holders.h"
#include "player/settings.h"

namespace vplat::sdl {
namespace {

constexpr char kApplicationId[] = "org.velmora.Velmora";

void OpenWindow(HWND owner) {
    Screen& screen = TheScreen();
    WindowPlan plan = PlanWindow(player::Decoration{0, 0, 0, 0});
    screen.fullscreen = plan.fullscreen;
    SDL_Rect place = plan.place;
    Uint32 flags = plan.flags;
    screen.path = ResolvePresentPath(player::PresentChoice());
    std::string title = internal::WindowTitle(owner);
    // Hidden until the smallest size is set: setting it on a shown window
    // moves the window by what SDL knows of the decoration at that moment.
    screen.window = SDL_CreateWindow(title.c_str(), place.x, place.y, place.w, place.h,
                                     flags | SDL_WINDOW_HIDDEN);
    if (screen.window == nullptr) {
        SDL_Log("velmora: cannot open a window: %s", SDL_GetError());
        return;
    }
    SDL_SetWindowMinimumSize(screen.window, plan.minimum.w, plan.minimum.h);
    SetWindowIcon(screen.window);
    SDL_ShowWindow(screen.window);
    FitWhenDecorated(plan);
    if (screen.path == PresentPath::Gpu) {
        screen.renderer = OpenRenderer(screen.window);
    } else {
        OpenNextOutput(screen);
    }
    screen.minimised = false;
    ResetPacing();
    ResetIdle();
    AskForCursor();
}

}  // namespace

Screen& TheScreen() {
    static Screen screen;
    return screen;
}

bool Start(std::string* error) {
    // A full-screen game steps aside when the player switches away.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // SIGINT and SIGTERM are ours, as SIGHUP and SIGQUIT are (quit_signals.cpp).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window surface is the X server's own image, not a texture drawn by
    // yet another renderer.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Without an X or Wayland display there is nothing to try, and SDL's own
    // probing would add its complaints to our one line.
    if (getenv("SDL_VIDEODRIVER") == nullptr && getenv("DISPLAY") == nullptr &&
        getenv("WAYLAND_DISPLAY") == nullptr) {
        *error = "neither DISPLAY nor WAYLAND_DISPLAY is set";
        return false;
    }
    if (getenv("SDL_VIDEODRIVER") == nullptr && getenv("WAYLAND_DISPLAY") == nullptr) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    // The window's class is the application id that the desktop entry is
    // named by, so the desktop matches the window to its launcher (X11's
    // WM_CLASS, Wayland's app id). Someone who set them keeps theirs.
    setenv("SDL_VIDEO_X11_WMCLASS", kApplicationId, 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", kApplicationId, 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        *error = SDL_GetError();
        return false;
    }
    // SDL falls back to drivers that draw nowhere when no display answers;
    // they count as a display only when asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    bool invisible =
        driver != nullptr && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0);
    if (SDL_GetNumVideoDisplays() < 1 || (invisible && getenv("SDL_VIDEODRIVER") == nullptr)) {
        *error = "no display found";
        SDL_Quit();
        return false;
    }
    // Without pads the game is still played: their part of SDL is optional.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {
        StartGamepads();
    }
    WatchTextInput();
    WatchQueue();
    WatchQuitSignals();
    BeforeX11LossEnds(player::SaveSettingsFile);
    TheScreen().started = true;
    return true;
}

void Stop() {
    ReleaseDisplay();
    StopGamepads();
    player::ForgetHeldKeys();
    if (TheScreen().started) {
        ForgetQuitSignals();
        SDL_Quit();
        TheScreen().started = false;
    }
}

void ShowCursorImage(bool visible) {
    if (TheScreen().started) {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }
}

void AskForCursor() {
    HWND window = internal::FocusWindow();
    const WORD kClientArea = 1;  // HTCLIENT
    if (window != nullptr &&
        internal::SendToWindow(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                               MAKELONG(kClientArea, WM_MOUSEMOVE)) == 0) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    }
}

// The game's display mode is not the window's size: the picture is scaled
// to whatever size the player's window has.
void TakeDisplay(HWND owner, int /*width*/, int /*height*/) {
    Screen& screen = TheScreen();
    if (!screen.started) {
        return;
    }
    if (screen.window == nullptr) {
        OpenWindow(owner);
    }
}

void ReleaseDisplay() {
    RememberWindow();
    Screen& screen = TheScreen();
    if (screen.texture != nullptr) {
        SDL_DestroyTexture(screen.texture);
    }
    if (screen.renderer != nullptr) {
        SDL_DestroyRenderer(screen.renderer);
    }
    if (screen.window != nullptr) {
        screen.output.reset();
        ForgetPumpConnection();
        SDL_DestroyWindow(screen.window);
    }
    bool started = screen.started;
    screen = Screen();
    screen.started = started;
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
    backend::PrintMessageBoxLine(text, caption);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(),
                             TheScreen().window);
}

}  // namespace vplat::sdl
