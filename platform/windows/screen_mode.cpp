// A window of ours is restyled in place: the game keeps its one window and
// its procedure, and only hears the size change.
#include "screen_mode.h"

#include <algorithm>

namespace vplat::windows {
namespace {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;
// A window manager busy with the window's old frame can answer the switch to
// full screen with the old size; a few more asks settle it, and a manager
// that refuses for good is not fought.
constexpr int kFullScreenAsks = 3;

struct Mode {
    bool fullScreen = false;
    bool placed = false;  // `windowed` holds where the player left the window
    int asksLeft = 0;     // how often a full screen the window manager undid is asked again
    RECT windowed = {};
};

Mode& State() {
    static Mode mode;
    return mode;
}

MONITORINFO Monitor(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor;
}

void Place(HWND window, DWORD style, const RECT& where) {
    SetWindowLongPtrA(window, GWL_STYLE, style);
    SetWindowLongPtrA(window, GWL_EXSTYLE, 0);
    SetWindowPos(window, HWND_NOTOPMOST, where.left, where.top, where.right - where.left,
                 where.bottom - where.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

// The first window: the largest whole multiple of the frame whose window
// fits the monitor's work area, centred on it.
RECT FirstWindow(HWND window) {
    RECT work = Monitor(window).rcWork;
    int workWidth = work.right - work.left;
    int workHeight = work.bottom - work.top;
    RECT outer = {};
    for (int scale = std::max(1, std::min(workWidth / kFrameWidth, workHeight / kFrameHeight));
         scale >= 1; --scale) {
        outer = RECT{0, 0, kFrameWidth * scale, kFrameHeight * scale};
        AdjustWindowRectEx(&outer, kWindowedStyle, FALSE, 0);
        if (outer.right - outer.left <= workWidth && outer.bottom - outer.top <= workHeight) {
            break;
        }
    }
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    int left = work.left + std::max(0, (workWidth - width) / 2);
    int top = work.top + std::max(0, (workHeight - height) / 2);
    return RECT{left, top, left + width, top + height};
}

}  // namespace

void EnterWindow(HWND window, const RECT* where) {
    Mode& mode = State();
    if (where != nullptr) {
        mode.windowed = *where;
        mode.placed = true;
    } else if (!mode.placed) {
        mode.windowed = FirstWindow(window);
        mode.placed = true;
    }
    mode.fullScreen = false;
    Place(window, kWindowedStyle, mode.windowed);
}

namespace {

bool IsSwitchKey(UINT message, WPARAM wParam, LPARAM lParam) {
    bool repeat = (lParam & (1L << 30)) != 0;
    bool alt = (lParam & (1L << 29)) != 0;
    return !repeat && ((message == WM_KEYDOWN && wParam == VK_F11) ||
                       (message == WM_SYSKEYDOWN && wParam == VK_RETURN && alt));
}

}  // namespace

void EnterFullScreen(HWND window) {
    Mode& mode = State();
    if (!mode.fullScreen && mode.placed) {
        GetWindowRect(window, &mode.windowed);
    }
    mode.fullScreen = true;
    mode.asksLeft = kFullScreenAsks;
    Place(window, WS_POPUP | WS_VISIBLE, Monitor(window).rcMonitor);
}

void HoldFullScreen(HWND window) {
    Mode& mode = State();
    RECT monitor = Monitor(window).rcMonitor;
    RECT now = {};
    if (!mode.fullScreen || IsIconic(window) || !GetWindowRect(window, &now) ||
        EqualRect(&now, &monitor) || mode.asksLeft <= 0) {
        return;
    }
    --mode.asksLeft;
    Place(window, WS_POPUP | WS_VISIBLE, monitor);
}

bool InFullScreen() {
    return State().fullScreen;
}

bool SwitchOnKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCHAR && wParam == VK_RETURN) {
        return true;
    }
    if (!IsSwitchKey(message, wParam, lParam)) {
        return false;
    }
    if (State().fullScreen) {
        EnterWindow(window);
    } else {
        EnterFullScreen(window);
    }
    return true;
}

}  // namespace vplat::windows
