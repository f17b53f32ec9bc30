// A pad for the Wine suite, in place of the system's XInput: the four slots
// are read from the file VELMORA_FAKE_PAD names, one line a slot, either
// "BUTTONS LX LY" (the buttons in hexadecimal) or anything else for no pad.
// No file, no pads. Each slot counts how often it was asked
// (FakeXInputAsks), so that a test can see how often empty slots are.
#include <windows.h>

#include <xinput.h>

#include <cstdio>
#include <cstdlib>

namespace {

LONG g_asks[XUSER_MAX_COUNT];

bool ReadSlot(DWORD slot, XINPUT_GAMEPAD* pad) {
    const char* path = getenv("VELMORA_FAKE_PAD");
    FILE* file = path != nullptr ? fopen(path, "r") : nullptr;
    if (file == nullptr) {
        return false;
    }
    char line[128];
    bool found = false;
    for (DWORD index = 0; index <= slot && fgets(line, sizeof line, file) != nullptr; ++index) {
        unsigned buttons = 0;
        int x = 0;
        int y = 0;
        if (index == slot && sscanf(line, "%x %d %d", &buttons, &x, &y) == 3) {
            pad->wButtons = static_cast<WORD>(buttons);
            pad->sThumbLX = static_cast<SHORT>(x);
            pad->sThumbLY = static_cast<SHORT>(y);
            found = true;
        }
    }
    fclose(file);
    return found;
}

}  // namespace

// Exported by fake_xinput.def under XInput's own name.
extern "C" DWORD WINAPI XInputGetState(DWORD slot, XINPUT_STATE* state) {
    if (slot >= XUSER_MAX_COUNT || state == nullptr) {
        return ERROR_BAD_ARGUMENTS;
    }
    InterlockedIncrement(&g_asks[slot]);
    ZeroMemory(state, sizeof *state);
    return ReadSlot(slot, &state->Gamepad) ? ERROR_SUCCESS : ERROR_DEVICE_NOT_CONNECTED;
}

extern "C" LONG WINAPI FakeXInputAsks(DWORD slot) {
    return slot < XUSER_MAX_COUNT ? g_asks[slot] : -1;
}
