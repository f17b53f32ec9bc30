// Weak stand-ins for window-service calls that the back ends make, until the
// window service itself is in the tree. The real definitions override these.
#include "internal.h"

#define VELMORA_WEAK __attribute__((weak))

VELMORA_WEAK BOOL WINAPI PostMessageA(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

namespace vplat {
VELMORA_WEAK void PressKey(int) {}
VELMORA_WEAK void ReleaseKey(int) {}
VELMORA_WEAK void MinimizeWindow() {
    internal::LoseAllSurfacesNow();
}
VELMORA_WEAK void RestoreWindow() {}
namespace internal {
VELMORA_WEAK HWND FocusWindow() {
    return nullptr;
}
VELMORA_WEAK std::string WindowTitle(HWND) {
    return std::string();
}
}  // namespace internal
}  // namespace vplat
