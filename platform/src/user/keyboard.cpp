// Key state as GetAsyncKeyState reports it (0x8000: down now; 0x0001:
// pressed since the last query of that key), and test input that also
// posts the key messages a real keyboard would.
#include "core/entry.h"
#include "internal.h"
#include "user/user.h"

namespace vplat::user {
namespace {

bool g_down[256];
bool g_pressedSinceQuery[256];

bool ValidKey(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256;
}

// Keys typed with Alt held (and F10) are system keys.
bool SystemKey(int virtualKey) {
    return g_down[VK_MENU] || virtualKey == VK_MENU || virtualKey == 0x79;  // VK_F10
}

void PostKeyMessage(int virtualKey, bool down, bool wasDown) {
    HWND focus = internal::FocusWindow();
    if (focus == nullptr) {
        return;
    }
    // lParam: repeat count 1; bit 29 Alt held; bit 30 previous state; bit 31 released.
    uint32_t lParam = 1;
    if (g_down[VK_MENU]) {
        lParam |= 1u << 29;
    }
    if (wasDown) {
        lParam |= 1u << 30;
    }
    if (!down) {
        lParam |= 1u << 31;
    }
    UINT message = SystemKey(virtualKey) ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP)
                                         : (down ? WM_KEYDOWN : WM_KEYUP);
    PostToQueue(focus, message, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(lParam),
                false);
}

}  // namespace

bool KeyDown(int virtualKey) {
    return ValidKey(virtualKey) && g_down[virtualKey];
}

void ResetKeyboard() {
    for (int i = 0; i < 256; ++i) {
        g_down[i] = false;
        g_pressedSinceQuery[i] = false;
    }
}

}  // namespace vplat::user

namespace vplat {

namespace internal {

void SetKeyState(int virtualKey, bool down) {
    if (!user::ValidKey(virtualKey)) {
        return;
    }
    if (down && !user::g_down[virtualKey]) {
        user::g_pressedSinceQuery[virtualKey] = true;
    }
    user::g_down[virtualKey] = down;
}

}  // namespace internal

void PressKey(int virtualKey) {
    if (!user::ValidKey(virtualKey)) {
        return;
    }
    bool wasDown = user::g_down[virtualKey];
    internal::SetKeyState(virtualKey, true);
    user::PostKeyMessage(virtualKey, true, wasDown);
}

void ReleaseKey(int virtualKey) {
    if (!user::ValidKey(virtualKey)) {
        return;
    }
    // The message is built while Alt still counts as down, as when typed.
    user::PostKeyMessage(virtualKey, false, user::g_down[virtualKey]);
    internal::SetKeyState(virtualKey, false);
}

}  // namespace vplat

SHORT WINAPI GetAsyncKeyState(int virtualKey) {
    auto args = [&] { return vplat::internal::Format("key=0x%02x", virtualKey); };
    return vplat::entry::Run(vplat::entry::Name::GetAsyncKeyState, args, [&]() -> SHORT {
        if (!vplat::user::ValidKey(virtualKey)) {
            return 0;
        }
        uint16_t bits = vplat::user::g_down[virtualKey] ? 0x8000 : 0;
        if (vplat::user::g_pressedSinceQuery[virtualKey]) {
            bits |= 0x0001;
            vplat::user::g_pressedSinceQuery[virtualKey] = false;
        }
        return static_cast<SHORT>(bits);
    });
}
