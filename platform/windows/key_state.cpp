// GetAsyncKeyState's bits (0x8000: down now; 0x0001: pressed since the last
// query of that key) from the one table the player or a recording sets, so
// that a recording sees every key the game sees and a replay sets them all.
#include "key_state.h"

#include <velmora_platform.h>

#include "gdi_output.h"
#include "internal.h"
#include "player/key_holders.h"
#include "player/playback.h"
#include "xinput_pad.h"

namespace vplat::windows {
namespace {

// A key for the game, posted so that it keeps its place among the game's
// other messages: the key in the low word of wParam, the keyboard message
// (less WM_KEYFIRST) in the high word, lParam as a keyboard's.
constexpr UINT kPlayedKey = WM_APP + 0x564B;  // a number the game's messages do not use

bool g_down[256];
bool g_pressedSinceQuery[256];

bool ValidKey(int virtualKey) {
    return virtualKey > 0 && virtualKey < 256;
}

void SetKey(int virtualKey, bool down) {
    if (down && !g_down[virtualKey]) {
        g_pressedSinceQuery[virtualKey] = true;
    }
    g_down[virtualKey] = down;
}

// Keys typed with Alt held (and F10) are system keys, as the keyboard sends
// them: Alt+F4 still closes through the default procedure.
void PostKey(int virtualKey, bool down, bool wasDown) {
    bool alt = g_down[VK_MENU];
    bool system = alt || virtualKey == VK_MENU || virtualKey == VK_F10;
    UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    // Repeat count 1; bit 29 Alt held; bit 30 previous state; bit 31 released.
    uint32_t bits = 1u | (alt ? 1u << 29 : 0) | (wasDown ? 1u << 30 : 0) | (down ? 0 : 1u << 31);
    PostMessageA(internal::GameWindow(), kPlayedKey, MAKEWPARAM(virtualKey, message - WM_KEYFIRST),
                 static_cast<LPARAM>(bits));
}

bool IsKeyboardMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

// The pads' keys too: a pad still held when the window is back gives them again.
void ReleaseHeldKeys() {
    for (int key = 1; key < 256; ++key) {
        if (g_down[key]) {
            player::GiveKey(key, false);
        }
    }
    player::ForgetHeldKeys();
    ForgetPadKeys();
}

SHORT WINAPI KeyStateFromTable(int virtualKey) {
    if (!ValidKey(virtualKey)) {
        return 0;
    }
    uint16_t bits = g_down[virtualKey] ? 0x8000 : 0;
    if (g_pressedSinceQuery[virtualKey]) {
        bits |= 0x0001;
        g_pressedSinceQuery[virtualKey] = false;
    }
    return static_cast<SHORT>(bits);
}

}  // namespace

bool KeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPlayedKey) {
        ToGame(WM_KEYFIRST + HIWORD(wParam), LOWORD(wParam), lParam);
        return true;
    }
    if (message == WM_KILLFOCUS) {
        ReleaseHeldKeys();
        return false;
    }
    if (!IsKeyboardMessage(message)) {
        return false;
    }
    bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    bool repeat = down && (lParam & (1L << 30)) != 0;
    if (!repeat) {
        player::HoldKey(static_cast<int>(wParam), down);
    }
    return true;
}

}  // namespace vplat::windows

namespace vplat {

void PressKey(int virtualKey) {
    if (!windows::ValidKey(virtualKey)) {
        return;
    }
    bool wasDown = windows::g_down[virtualKey];
    windows::SetKey(virtualKey, true);
    windows::PostKey(virtualKey, true, wasDown);
}

void ReleaseKey(int virtualKey) {
    if (!windows::ValidKey(virtualKey)) {
        return;
    }
    // The message is made while Alt still counts as down, as when typed.
    windows::PostKey(virtualKey, false, windows::g_down[virtualKey]);
    windows::SetKey(virtualKey, false);
}

}  // namespace vplat

// What the game's import slot is redirected to: a slot of ours.
using GetAsyncKeyStateCall = SHORT(WINAPI*)(int);
extern "C" {
GetAsyncKeyStateCall __wrap___imp_GetAsyncKeyState = vplat::windows::KeyStateFromTable;
}
