// The game's PeekMessageA, wrapped at link time (--wrap of its import slot):
// from the second empty poll in a row with no frame presented between, the
// poll first waits for the next message, at most 10 ms. The game's loop is
// unchanged, and a minimised game costs next to nothing. Each poll is also
// where a recording plays (script_play.h), as on every other system.
#include "idle.h"

#include <windows.h>

#include "internal.h"

namespace vplat::windows {
namespace {

constexpr DWORD kLongestWaitMs = 10;
int g_emptyPolls = 0;

}  // namespace

void FramePresented() {
    g_emptyPolls = 0;
}

}  // namespace vplat::windows

using PeekMessageCall = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT, UINT);
extern "C" PeekMessageCall __real___imp_PeekMessageA;

namespace {

BOOL WINAPI PeekMessageWaiting(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    BOOL found = __real___imp_PeekMessageA(message, window, first, last, remove);
    vplat::internal::OnMessagePoll(!found);
    if (found) {
        vplat::windows::g_emptyPolls = 0;
        return found;
    }
    if (++vplat::windows::g_emptyPolls >= 2) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, vplat::windows::kLongestWaitMs, QS_ALLINPUT);
    }
    return found;
}

}  // namespace

// What the game's import slot is redirected to: a slot of ours.
extern "C" {
PeekMessageCall __wrap___imp_PeekMessageA = PeekMessageWaiting;
}
