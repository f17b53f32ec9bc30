// The pad module on the fake XInput under Wine: the state the test writes to
// the file VELMORA_FAKE_PAD names, polled with the time the test gives,
// and the keys that come out. One line a check; the status is the number that failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "xinput_pad.h"

namespace vplat::windows {

std::string g_keys;  // what the pads gave since the last check: "+25 -25"

void PadKey(int virtualKey, bool down) {
    char text[16];
    wsprintfA(text, "%s%s%02x", g_keys.empty() ? "" : " ", down ? "+" : "-", virtualKey);
    g_keys += text;
}

}  // namespace vplat::windows

namespace {

using vplat::windows::g_keys;
using vplat::windows::kLookForPadsMs;
using vplat::windows::PollPads;

int g_failed = 0;
DWORD g_now = 1000;
HWND g_window = nullptr;

// Four lines, one a slot; "-" for no pad.
void Pads(const char* slots) {
    FILE* file = fopen(getenv("VELMORA_FAKE_PAD"), "w");
    fputs(slots, file);
    fclose(file);
}

// The keys a poll `later` ms on gives.
void Expect(const char* name, const char* slots, DWORD later, const char* expected) {
    Pads(slots);
    g_now += later;
    g_keys.clear();
    PollPads(g_now);
    if (g_keys == expected) {
        printf("ok %s\n", name);
    } else {
        printf("FAILED %s: keys \"%s\", expected \"%s\"\n", name, g_keys.c_str(), expected);
        ++g_failed;
    }
}

LONG Asks(DWORD slot) {
    using AsksCall = LONG(WINAPI*)(DWORD);
    HMODULE fake = GetModuleHandleA("xinput1_4.dll");
    auto asks = fake ? reinterpret_cast<AsksCall>(
                           reinterpret_cast<void*>(GetProcAddress(fake, "FakeXInputAsks")))
                     : nullptr;
    return asks ? asks(slot) : -1;
}

void ExpectAsks(const char* name, DWORD slot, LONG expected) {
    LONG asks = Asks(slot);
    printf(asks == expected ? "ok %s\n" : "FAILED %s: asked %ld times, expected %ld\n", name, asks,
           expected);
    g_failed += asks == expected ? 0 : 1;
}

void Checks() {
    const char* none = "-\n-\n-\n-\n";
    Expect("no pads, no keys", none, 0, "");
    ExpectAsks("an empty slot asked at the first poll", 3, 1);
    Expect("a pad plugged in is not asked for at once", "-\n1000 0 0\n-\n-\n", 16, "");
    ExpectAsks("an empty slot not asked again at once", 3, 1);
    Expect("the pad found once the slots are looked at", "-\n1000 0 0\n-\n-\n", kLookForPadsMs,
           "+20");
    Expect("Start held with A keeps Space", "-\n1010 0 0\n-\n-\n", 16, "");
    Expect("A let go, Start still holds Space", "-\n0010 0 0\n-\n-\n", 16, "");
    ExpectAsks("a pad plugged in asked every frame", 1, 4);
    Expect("stick up is the Up arrow, d-pad left Left", "-\n0014 0 20000\n-\n-\n", 16, "+25 +26");
    Expect("stick left with the d-pad: Left once", "-\n0014 -20000 20000\n-\n-\n", 16, "");
    Expect("d-pad let go, the stick still holds Left", "-\n0010 -20000 20000\n-\n-\n", 16, "");
    Expect("a stick back inside a third but past a quarter holds", "-\n0010 -9000 9000\n-\n-\n", 16,
           "");
    Expect("a stick back inside a quarter lets go", "-\n0010 0 9000\n-\n-\n", 16, "-25");
    Expect("a second pad holds Up and Back", "-\n0010 0 9000\n-\n0020 0 20000\n", kLookForPadsMs,
           "+53");
    Expect("first pad unplugged: Space let go, Up kept", "-\n-\n-\n0020 0 20000\n", 16, "-20");
    Expect("second pad unplugged: all let go", none, 16, "-53 -26");
    Expect("stick right and down", "0 20000 -20000\n-\n-\n-\n", kLookForPadsMs, "+27 +28");
    vplat::windows::ForgetPadKeys();
    Expect("keys forgotten elsewhere given again", "0 20000 -20000\n-\n-\n-\n", 16, "+27 +28");
    DestroyWindow(g_window);
    Expect("no window of ours in front: all let go", "0 20000 -20000\n-\n-\n-\n", 16, "-27 -28");
}

}  // namespace

int main(int argc, char** argv) {
    // The pads count for the program in front only.
    g_window = CreateWindowA("STATIC", "pads", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr,
                             nullptr, nullptr, nullptr);
    SetForegroundWindow(g_window);
    if (argc > 1 && strcmp(argv[1], "none") == 0) {
        Expect("no XInput: no keys, and the game goes on", "1000 0 0\n-\n-\n-\n", 0, "");
    } else {
        Checks();
    }
    DestroyWindow(g_window);
    return g_failed;
}
