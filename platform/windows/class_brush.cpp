// The game's RegisterClassA, wrapped at link time (--wrap of its import
// slot): its window class paints with a black brush instead of its white
// one. The window shows for a moment at its first size before DirectDraw
// makes it full screen, and around the picture after; black is what the
// player sees there either way, never a white flash.
#include <windows.h>

using RegisterClassCall = ATOM(WINAPI*)(const WNDCLASSA*);
extern "C" RegisterClassCall __real___imp_RegisterClassA;

namespace {

ATOM WINAPI RegisterBlackClass(const WNDCLASSA* windowClass) {
    if (windowClass == nullptr) {
        return __real___imp_RegisterClassA(windowClass);
    }
    WNDCLASSA black = *windowClass;
    black.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    return __real___imp_RegisterClassA(&black);
}

}  // namespace

// What the game's import slot is redirected to: a slot of ours.
extern "C" {
RegisterClassCall __wrap___imp_RegisterClassA = RegisterBlackClass;
}
