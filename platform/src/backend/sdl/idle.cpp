// Waiting while the game has nothing to do. The game's loop polls the
// message queue without pause while it is inactive (minimised, or switched
// away from full screen); on Windows each of those polls is cheap, here each
// one asks the X server, and a minimised game would keep a core busy. So a
// poll that finds the queue empty when the one before it did too, with no
// frame presented between them, waits for the window system's next event
// instead: the game's own loop never changes, and a running game presents
// between its polls, so it never waits here.
#include "backend/sdl/pump_x11.h"
#include "backend/sdl/state.h"

namespace vplat::sdl {
namespace {

// Long enough that a waiting game wakes rarely, short enough that whatever
// no window-system event announces (a pad on a system where SDL must poll
// it) is still seen within a frame or so.
constexpr int kIdleWaitMs = 10;

struct Idle {
    // Presents since the last poll of the message queue.
    int presents = 0;
    // Polls in a row that found nothing and had no present before them.
    int emptyPolls = 0;
};

Idle& TheIdle() {
    static Idle idle;
    return idle;
}

}  // namespace

void NotePresented() {
    ++TheIdle().presents;
}

void OnMessagePoll(bool queueEmpty) {
    Idle& idle = TheIdle();
    bool presented = idle.presents > 0;
    idle.presents = 0;
    if (!queueEmpty || presented || !TheScreen().started) {
        idle.emptyPolls = 0;
        return;
    }
    // The first empty poll is the running game's own, between two frames.
    if (++idle.emptyPolls < 2) {
        return;
    }
    // Returns as soon as an event is waiting; it stays for the next pump. On
    // X11 the wait is on SDL's connection itself: SDL's own wait wakes itself
    // with an event sent on a second connection, and when the event that
    // woke the game was the close, the server may take the window's
    // destruction first and answer the wake-up with an X error that ends
    // the game before its settings are saved.
    if (!WaitOnX11(TheScreen().window, kIdleWaitMs)) {
        SDL_WaitEventTimeout(nullptr, kIdleWaitMs);
    }
}

void ResetIdle() {
    TheIdle() = Idle();
}

}  // namespace vplat::sdl
