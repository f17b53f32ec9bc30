// DefWindowProcA: the default handling of the messages this program leaves
// to the platform.
#include "core/entry.h"
#include "internal.h"
#include "user/user.h"

namespace vplat::user {
namespace {

LRESULT DefaultHandling(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
            return TRUE;  // anything else would make CreateWindowExA fail
        case WM_NCACTIVATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindowNow(window);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                internal::SendToWindow(window, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_SYSKEYDOWN:
            // Alt+F4 asks the window to close.
            if (wParam == VK_F4 && (HIWORD(lParam) & KF_ALTDOWN)) {
                PostToQueue(window, WM_SYSCOMMAND, SC_CLOSE, 0, false);
            }
            return 0;
        default:
            return 0;
    }
}

}  // namespace
}  // namespace vplat::user

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto args = [&] { return vplat::user::MessageArgs(window, message, wParam, lParam); };
    return vplat::entry::Run(vplat::entry::Name::DefWindowProcA, args, [&]() -> LRESULT {
        return vplat::user::DefaultHandling(window, message, wParam, lParam);
    });
}
