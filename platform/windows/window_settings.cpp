// Only the Windows glue: reading, merging and writing velmora.ini is the
// shared player code's.
#include "window_settings.h"

#include "player/settings.h"
#include "player/system_files.h"
#include "screen_mode.h"
#include "start_options.h"

namespace vplat::windows {
namespace {

// Where the window opened: a window the player never moved or sized keeps no
// place in the file, and so opens centred next time too.
RECT g_opened = {};

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

// The outer rectangle of a window whose frame's top-left corner is at x, y
// and whose picture area is width x height.
RECT OuterRect(int x, int y, int width, int height) {
    RECT outer = {0, 0, width, height};
    AdjustWindowRectEx(&outer, kWindowedStyle, FALSE, 0);
    return RECT{x, y, x + (outer.right - outer.left), y + (outer.bottom - outer.top)};
}

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != 0;
}

MONITORINFO MonitorOf(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor;
}

// The placement's normal rectangle is in work-area coordinates: where a
// taskbar sits at the top or left, they are not the screen's, and a window
// put back at them would move by the taskbar's size on every run.
RECT OnScreen(HWND window, RECT normal) {
    MONITORINFO monitor = MonitorOf(window);
    OffsetRect(&normal, monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top);
    return normal;
}

// --scale N: a window of N times the frame, centred on the work area; the
// largest multiple that fits where N does not.
RECT ScaledWindow(HWND window, int scale) {
    const RECT work = MonitorOf(window).rcWork;
    RECT outer = OuterRect(0, 0, kFrameWidth * scale, kFrameHeight * scale);
    while (scale > 1 &&
           (outer.right > work.right - work.left || outer.bottom > work.bottom - work.top)) {
        --scale;
        outer = OuterRect(0, 0, kFrameWidth * scale, kFrameHeight * scale);
    }
    int x = work.left + ((work.right - work.left) - outer.right) / 2;
    int y = work.top + ((work.bottom - work.top) - outer.bottom) / 2;
    return OuterRect(x, y, kFrameWidth * scale, kFrameHeight * scale);
}

}  // namespace

void ShowAsSaved(HWND window) {
    player::Settings settings =
        player::SettingsForRun(player::LoadSettingsFile(player::SettingsPath()), RunOptions());
    player::UseSettings(settings);
    if (settings.fullscreen) {
        EnterFullScreen(window);
        return;
    }
    if (settings.scale > 0) {
        RECT where = ScaledWindow(window, settings.scale);
        EnterWindow(window, &where);
    } else if (settings.windowPlaced && settings.windowWidth > 0 && settings.windowHeight > 0) {
        RECT where = OuterRect(settings.windowX, settings.windowY, settings.windowWidth,
                               settings.windowHeight);
        EnterWindow(window, &where);
    } else {
        EnterWindow(window);
    }
    GetWindowRect(window, &g_opened);
    if (settings.windowMaximized) {
        ShowWindow(window, SW_MAXIMIZE);
    }
}

void NoteWindowChoice(HWND window) {
    player::ChooseFullscreen(InFullScreen());
    if (InFullScreen()) {
        return;
    }
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) {
        return;
    }
    bool maximized =
        placement.showCmd == SW_SHOWMAXIMIZED ||
        (placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED) != 0);
    player::ChooseMaximized(maximized);
    const RECT normal = OnScreen(window, placement.rcNormalPosition);
    if (SameRect(normal, g_opened)) {
        return;
    }
    RECT frame = OuterRect(0, 0, 0, 0);
    player::ChooseWindowRect(normal.left, normal.top,
                             (normal.right - normal.left) - (frame.right - frame.left),
                             (normal.bottom - normal.top) - (frame.bottom - frame.top));
    g_opened = RECT{};  // moved once: every later place is the player's
}

void KeepSettings(HWND window) {
    NoteWindowChoice(window);
    player::SaveSettingsFile();
}

}  // namespace vplat::windows
