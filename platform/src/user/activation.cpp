// Activation and focus, with the messages the real platform sends for a
// top-level window (the order follows Wine's message tests): coming to the
// front, WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, then WM_SETFOCUS;
// leaving it, WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, then WM_KILLFOCUS.
#include "core/entry.h"
#include "internal.h"
#include "user/user.h"

namespace vplat::user {
namespace {

HWND g_active = nullptr;
HWND g_focus = nullptr;
// The window that another program took the front from (SwitchAway), which
// RestoreWindow brings back.
HWND g_away = nullptr;

bool Alive(HWND window) {
    Window* record = FindWindowRecord(window);
    return record != nullptr && !record->destroying;
}

// Moves the focus, sending WM_KILLFOCUS and WM_SETFOCUS.
void MoveFocus(HWND window) {
    HWND previous = g_focus;
    if (previous == window) {
        return;
    }
    g_focus = window;
    if (previous != nullptr) {
        internal::SendToWindow(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    }
    if (window != nullptr) {
        internal::SendToWindow(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
}

}  // namespace

HWND ActiveWindow() {
    return g_active;
}

void ActivateWindow(HWND window) {
    HWND previous = g_active;
    if (window == nullptr || !Alive(window)) {
        g_active = nullptr;
        return;
    }
    if (previous == window) {
        return;
    }
    if (previous != nullptr) {
        internal::SendToWindow(previous, WM_NCACTIVATE, FALSE, 0);
        internal::SendToWindow(previous, WM_ACTIVATE, WA_INACTIVE,
                               reinterpret_cast<LPARAM>(window));
    }
    g_active = window;
    // The application itself becomes active only when none of its windows was.
    if (previous == nullptr) {
        internal::SendToWindow(window, WM_ACTIVATEAPP, TRUE, 0);
    }
    internal::SendToWindow(window, WM_NCACTIVATE, TRUE, 0);
    bool minimized = FindWindowRecord(window) && FindWindowRecord(window)->minimized;
    internal::SendToWindow(window, WM_ACTIVATE, MAKELONG(WA_ACTIVE, minimized ? 1 : 0),
                           reinterpret_cast<LPARAM>(previous));
    // A minimised window is active without the focus.
    if (!minimized && g_active == window && g_focus != window && Alive(window)) {
        MoveFocus(window);
    }
}

void DeactivateWindow(HWND window, bool minimized, bool toAnotherProgram) {
    if (window == nullptr) {
        return;
    }
    if (g_active == window) {
        internal::SendToWindow(window, WM_NCACTIVATE, FALSE, 0);
        internal::SendToWindow(window, WM_ACTIVATE, MAKELONG(WA_INACTIVE, minimized ? 1 : 0), 0);
        internal::SendToWindow(window, WM_ACTIVATEAPP, FALSE, 0);
        g_active = nullptr;
        // DirectDraw gives the desktop its mode back as the application
        // hears it is no longer active, before the focus leaves.
        if (toAnotherProgram && internal::GiveDisplayToDesktop()) {
            internal::SendToWindow(window, WM_DISPLAYCHANGE, 32, MAKELONG(640, 480));
        }
    }
    if (g_focus == window) {
        MoveFocus(nullptr);
    }
}

}  // namespace vplat::user

namespace vplat {

namespace internal {

HWND FocusWindow() {
    return user::g_focus;
}

HWND GameWindow() {
    return user::g_focus != nullptr    ? user::g_focus
           : user::g_active != nullptr ? user::g_active
                                       : user::g_away;
}

}  // namespace internal

void MinimizeWindow() {
    internal::LoseAllSurfacesNow();
    HWND window = user::g_active;
    user::Window* record = user::FindWindowRecord(window);
    if (record == nullptr) {
        return;
    }
    record->minimized = true;
    internal::SendToWindow(window, WM_ACTIVATE, MAKELONG(WA_INACTIVE, 1), 0);
    user::MoveFocus(nullptr);
}

void SwitchAway() {
    HWND window = user::g_active;
    user::Window* record = user::FindWindowRecord(window);
    if (record == nullptr) {
        internal::LoseAllSurfacesNow();
        return;
    }
    // Wine's order: the window is told it is inactive while it is not yet
    // minimised, so WM_ACTIVATE carries no minimised flag; the desktop's
    // mode comes back; only then is the window minimised.
    user::g_away = window;
    user::DeactivateWindow(window, /*minimized=*/false, /*toAnotherProgram=*/true);
    record = user::FindWindowRecord(window);
    if (record != nullptr) {
        record->minimized = true;
        internal::SendToWindow(window, WM_SIZE, SIZE_MINIMIZED, 0);
    }
}

void RestoreWindow() {
    HWND window = user::g_active != nullptr ? user::g_active : user::g_away;
    user::Window* record = user::FindWindowRecord(window);
    if (record == nullptr) {
        return;
    }
    // Back from another program: active again first, still minimised (as
    // Wine tells it), then restored.
    bool returning = user::g_active != window;
    if (returning) {
        user::ActivateWindow(window);
        record = user::FindWindowRecord(window);
        if (record == nullptr) {
            return;
        }
    }
    user::g_away = nullptr;
    record->minimized = false;
    if (returning) {
        internal::SendToWindow(window, WM_SIZE, SIZE_RESTORED, MAKELONG(640, 480));
    }
    internal::SendToWindow(window, WM_ACTIVATE, MAKELONG(WA_ACTIVE, 0), 0);
    user::MoveFocus(window);
}

namespace user {

void ResetActivation() {
    g_active = nullptr;
    g_focus = nullptr;
    g_away = nullptr;
}

}  // namespace user
}  // namespace vplat

namespace entry = vplat::entry;

HWND WINAPI SetFocus(HWND window) {
    HWND previous = nullptr;
    bool valid = false;
    // Recorded before the messages it sends, so the journal reads in order.
    return entry::RunThen(
        entry::Name::SetFocus,
        [&] { return vplat::internal::Format("hwnd=%p", static_cast<void*>(window)); },
        [&]() -> HWND {
            previous = vplat::user::g_focus;
            valid = window == nullptr || vplat::user::Alive(window);
            return valid ? previous : nullptr;
        },
        [&](HWND) -> HWND {
            if (!valid) {
                return nullptr;
            }
            // Focusing a window of an inactive top-level window activates it first.
            if (window != nullptr && vplat::user::g_active != window) {
                vplat::user::ActivateWindow(window);
            }
            vplat::user::MoveFocus(window);
            return previous;
        });
}

HWND WINAPI GetActiveWindow(void) {
    return entry::Run(entry::Name::GetActiveWindow, entry::NoArgs,
                      []() -> HWND { return vplat::user::g_active; });
}
