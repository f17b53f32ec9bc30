// The pad's buttons and left stick translated to the pad rule's controls.
// The Guide button is not in XInput's public state, and Windows gives it to
// its own game overlay: a Windows pad has no Escape, and the keyboard ends the game.
#include "xinput_pad.h"

#include <xinput.h>

#include "player/pad_keys.h"

namespace vplat::windows {
namespace {

using player::PadControl;
using GetStateCall = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

constexpr int kSlots = 4;  // XUSER_MAX_COUNT
constexpr int kControls = static_cast<int>(PadControl::kStickDown) + 1;

struct ButtonControl {
    WORD bit;
    PadControl control;
};

const ButtonControl kButtons[] = {
    {XINPUT_GAMEPAD_A, PadControl::kA},
    {XINPUT_GAMEPAD_B, PadControl::kB},
    {XINPUT_GAMEPAD_BACK, PadControl::kBack},
    {XINPUT_GAMEPAD_START, PadControl::kStart},
    {XINPUT_GAMEPAD_DPAD_LEFT, PadControl::kDpadLeft},
    {XINPUT_GAMEPAD_DPAD_RIGHT, PadControl::kDpadRight},
    {XINPUT_GAMEPAD_DPAD_UP, PadControl::kDpadUp},
    {XINPUT_GAMEPAD_DPAD_DOWN, PadControl::kDpadDown},
};

struct Slot {
    bool connected = false;
    bool held[kControls] = {};
};

Slot g_slots[kSlots];
// How many pad controls hold each virtual key.
int g_holders[256] = {};
GetStateCall g_getState = nullptr;
bool g_loaded = false;
DWORD g_lastLook = 0;
bool g_looked = false;

// The newest first: Windows 8 and later have 1.4, Windows 7 9.1.0, and 1.3
// comes with the DirectX runtime.
const char* const kXInputDlls[] = {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"};

// Only from the system folder: a DLL of that name in the current folder
// must not be loaded in its place.
GetStateCall LoadXInput() {
    char folder[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 20) {
        return nullptr;
    }
    for (const char* name : kXInputDlls) {
        char path[MAX_PATH];
        wsprintfA(path, "%s\\%s", folder, name);
        HMODULE module = LoadLibraryA(path);
        if (module == nullptr) {
            continue;
        }
        FARPROC call = GetProcAddress(module, "XInputGetState");
        if (call != nullptr) {
            return reinterpret_cast<GetStateCall>(reinterpret_cast<void*>(call));
        }
        FreeLibrary(module);
    }
    return nullptr;
}

void Hold(int virtualKey, bool down) {
    int& holders = g_holders[virtualKey];
    if (down && ++holders == 1) {
        PadKey(virtualKey, true);
    } else if (!down && --holders == 0) {
        PadKey(virtualKey, false);
    }
}

void Set(Slot& slot, PadControl control, bool down) {
    bool& held = slot.held[static_cast<int>(control)];
    if (held != down) {
        held = down;
        Hold(player::KeyOfPadControl(control), down);
    }
}

bool Held(const Slot& slot, PadControl control) {
    return slot.held[static_cast<int>(control)];
}

// XInput's stick counts up as positive, the pad rule's as negative.
void ReadStick(Slot& slot, const XINPUT_GAMEPAD& pad) {
    Set(slot, PadControl::kStickLeft,
        player::StickDirectionHeld(pad.sThumbLX, true, Held(slot, PadControl::kStickLeft)));
    Set(slot, PadControl::kStickRight,
        player::StickDirectionHeld(pad.sThumbLX, false, Held(slot, PadControl::kStickRight)));
    Set(slot, PadControl::kStickUp,
        player::StickDirectionHeld(-pad.sThumbLY, true, Held(slot, PadControl::kStickUp)));
    Set(slot, PadControl::kStickDown,
        player::StickDirectionHeld(-pad.sThumbLY, false, Held(slot, PadControl::kStickDown)));
}

void Read(Slot& slot, const XINPUT_GAMEPAD& pad) {
    for (const ButtonControl& button : kButtons) {
        Set(slot, button.control, (pad.wButtons & button.bit) != 0);
    }
    ReadStick(slot, pad);
}

void LetGo(Slot& slot) {
    Read(slot, XINPUT_GAMEPAD{});
}

void Ask(DWORD index) {
    Slot& slot = g_slots[index];
    XINPUT_STATE state = {};
    slot.connected = g_getState(index, &state) == ERROR_SUCCESS;
    if (slot.connected) {
        Read(slot, state.Gamepad);
    } else {
        LetGo(slot);
    }
}

// The pad plays the program in front: a game the player left for another
// program is not moved by it.
bool GameInFront() {
    DWORD process = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &process);
    return process == GetCurrentProcessId();
}

}  // namespace

void ForgetPadKeys() {
    for (Slot& slot : g_slots) {
        for (bool& held : slot.held) {
            held = false;
        }
    }
    for (int& holders : g_holders) {
        holders = 0;
    }
}

void PollPads(DWORD now) {
    if (!g_loaded) {
        g_loaded = true;
        g_getState = LoadXInput();
    }
    if (g_getState == nullptr) {
        return;
    }
    bool look = !g_looked || now - g_lastLook >= kLookForPadsMs;
    bool anyPad = false;
    for (const Slot& slot : g_slots) {
        anyPad = anyPad || slot.connected;
    }
    // With no pad and no look due there is nothing to read, and asking which
    // window is in front costs a call to the window system every frame.
    if (!anyPad && !look) {
        return;
    }
    if (!GameInFront()) {
        for (Slot& slot : g_slots) {
            LetGo(slot);
        }
        return;
    }
    if (look) {
        g_looked = true;
        g_lastLook = now;
    }
    for (DWORD index = 0; index < kSlots; ++index) {
        if (g_slots[index].connected || look) {
            Ask(index);
        }
    }
}

}  // namespace vplat::windows
