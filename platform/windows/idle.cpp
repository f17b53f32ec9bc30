// The game's PeekMessageA, wrapped at link time (--wrap of its import slot),
// so that the game's loop, which never waits, is unchanged:
//  - after a presented frame, an empty poll waits out the display's refresh
//    period and polls again, so that what came meanwhile is handled first
//    (the key state the game reads is set from key messages): the next frame
//    starts on the refresh and reads the keys then, as late as it can. A
//    message does not end the wait: it would change no frame, and under Wine
//    each wake and poll is a round trip to the wineserver, for each of the
//    25 repeats a second of a held key;
//  - while the game's window is minimised, an empty poll waits for the next
//    message, without end: a frame would show nothing, and only a message
//    can bring the window back. The game stops its frames by itself when told
//    that its window was minimised, but a window manager may take the focus
//    first and minimise the window after (Wine then never says so), and the
//    game would run its frames for nothing;
//  - from the second empty poll in a row with no frame presented between,
//    the game has nothing to do: the poll waits for the next message, at
//    most 10 ms, because a game whose frames present nothing (a lost surface
//    that its restore path retries every frame) must go on retrying without
//    a message.
// Each poll is also where a recording plays (script_play.h), as on every
// other system; a replay goes on while the window is minimised.
#include "idle.h"

#include "pacing.h"

#include "internal.h"
#include "player/playback.h"

namespace vplat::windows {
namespace {

constexpr DWORD kLongestShownWaitMs = 10;
int g_emptyPolls = 0;
HWND g_window = nullptr;

}  // namespace

void WatchWindow(HWND window) {
    g_window = window;
}

void FramePresented() {
    g_emptyPolls = 0;
}

}  // namespace vplat::windows

using PeekMessageCall = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT, UINT);
extern "C" PeekMessageCall __real___imp_PeekMessageA;

namespace {

// Only while the player plays: a replay or a timed demo goes on minimised.
bool Minimised() {
    HWND window = vplat::windows::g_window;
    return window != nullptr && IsIconic(window) &&
           vplat::player::NowPlaying() == vplat::player::Playing::Live;
}

void WaitForMessage(DWORD ms) {
    MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

BOOL WINAPI PeekMessageWaiting(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    using namespace vplat::windows;
    BOOL found = __real___imp_PeekMessageA(message, window, first, last, remove);
    while (!found) {
        if (Minimised()) {
            WaitForMessage(INFINITE);
        } else if (!WaitForRefresh()) {
            break;
        }
        found = __real___imp_PeekMessageA(message, window, first, last, remove);
    }
    vplat::internal::OnMessagePoll(!found);
    if (found) {
        g_emptyPolls = 0;
    } else if (++g_emptyPolls >= 2) {
        WaitForMessage(kLongestShownWaitMs);
    }
    return found;
}

}  // namespace

// What the game's import slot is redirected to: a slot of ours.
extern "C" {
PeekMessageCall __wrap___imp_PeekMessageA = PeekMessageWaiting;
}
