// Ctrl+C (SIGINT), SIGTERM, a closed terminal (SIGHUP) or its quit key
// (SIGQUIT) ends the game as the window's close button does, so that what
// the player chose in the run is saved. The handler only sets a flag that
// the event pump reads: little else is safe inside one. SDL's own handlers
// for SIGINT and SIGTERM are kept out (window.cpp): they stay in place for
// ever, and a game whose X server stopped answering waits in poll, never
// pumps, and so could not be ended by a second Ctrl+C.
#include <signal.h>

#include <iterator>

#include "backend/sdl/state.h"

namespace vplat::sdl {
namespace {

constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile sig_atomic_t g_quitAsked = 0;
struct sigaction g_previous[std::size(kQuitSignals)];

void AskToQuit(int /*unused*/) {
    g_quitAsked = 1;
}

}  // namespace

void WatchQuitSignals() {
    struct sigaction action = {};
    action.sa_handler = AskToQuit;
    sigemptyset(&action.sa_mask);
    // A second one ends the game at once, as it would have without us, even
    // while the game waits on a window system that does not answer.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    for (size_t i = 0; i < std::size(kQuitSignals); ++i) {
        sigaction(kQuitSignals[i], &action, &g_previous[i]);
        // Started with the signal ignored (nohup): it stays ignored.
        if (g_previous[i].sa_handler == SIG_IGN) {
            sigaction(kQuitSignals[i], &g_previous[i], nullptr);
        }
    }
}

void ForgetQuitSignals() {
    for (size_t i = 0; i < std::size(kQuitSignals); ++i) {
        sigaction(kQuitSignals[i], &g_previous[i], nullptr);
    }
    g_quitAsked = 0;
}

bool QuitSignalled() {
    bool asked = g_quitAsked != 0;
    g_quitAsked = 0;
    return asked;
}

}  // namespace vplat::sdl
