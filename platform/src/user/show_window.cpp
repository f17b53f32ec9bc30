// ShowWindow: showing a hidden top-level window sends WM_SHOWWINDOW and
// then activates it; minimising commands set the minimised flag that
// WM_ACTIVATE carries in its high word.
#include "core/entry.h"
#include "internal.h"
#include "user/user.h"

namespace vplat::user {
namespace {

enum class Activation { None, Activate, Deactivate };

struct ShowEffect {
    bool show;
    bool minimize;
    bool restore;  // leaves the minimised state
    Activation activation;
};

ShowEffect EffectOf(int showCommand) {
    switch (showCommand) {
        case SW_HIDE:
            return {false, false, false, Activation::Deactivate};
        case SW_SHOWMINIMIZED:
            return {true, true, false, Activation::Activate};
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE:
            return {true, true, false, Activation::Deactivate};
        case SW_SHOWNOACTIVATE:
            return {true, false, true, Activation::None};
        case SW_SHOWNA:
            return {true, false, false, Activation::None};
        default:  // SW_SHOWNORMAL, SW_SHOW, SW_MAXIMIZE, SW_RESTORE, SW_SHOWDEFAULT, ...
            return {true, false, true, Activation::Activate};
    }
}

}  // namespace

bool ShowWindowNow(HWND window, int showCommand) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr || record->destroying) {
        return false;
    }
    bool wasVisible = record->visible;
    ShowEffect effect = EffectOf(showCommand);
    if (effect.show != wasVisible) {
        internal::SendToWindow(window, WM_SHOWWINDOW, effect.show ? TRUE : FALSE, 0);
    }
    record = FindWindowRecord(window);
    if (record == nullptr) {
        return wasVisible;
    }
    record->visible = effect.show;
    bool wasMinimized = record->minimized;
    if (effect.minimize) {
        record->minimized = true;
    } else if (effect.restore) {
        record->minimized = false;
    }
    if (effect.activation == Activation::Deactivate) {
        // An active window that is minimised or hidden stops being active.
        DeactivateWindow(window, record->minimized, /*toAnotherProgram=*/false);
    } else if (effect.activation == Activation::Activate) {
        if (ActiveWindow() == window && wasMinimized != record->minimized) {
            ActivateWindow(nullptr);  // activate again, with the new flag
        }
        ActivateWindow(window);
    }
    return wasVisible;
}

}  // namespace vplat::user

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
    auto args = [&] {
        return vplat::internal::Format("hwnd=%p cmd=%d", static_cast<void*>(window), showCommand);
    };
    // Recorded before the messages it sends, so the journal reads in order.
    return vplat::entry::RunThen(
        vplat::entry::Name::ShowWindow, args,
        [&]() -> BOOL {
            vplat::user::Window* record = vplat::user::FindWindowRecord(window);
            return record && record->visible ? TRUE : FALSE;
        },
        [&](BOOL) -> BOOL {
            return vplat::user::ShowWindowNow(window, showCommand) ? TRUE : FALSE;
        });
}
