// MinimizeWindow and RestoreWindow for the game's real window: what the
// game hears of a minimise, the player's or a recording's.
#include "activation.h"

#include <velmora_platform.h>

#include "gdi_output.h"
#include "internal.h"
#include "player/playback.h"

namespace vplat::windows {
namespace {

bool g_minimised = false;

}  // namespace

void WindowSized(WPARAM kind) {
    if (kind == SIZE_MINIMIZED && !g_minimised) {
        g_minimised = true;
        player::GiveActivation(false);
    } else if ((kind == SIZE_RESTORED || kind == SIZE_MAXIMIZED) && g_minimised) {
        g_minimised = false;
        player::GiveActivation(true);
    }
}

}  // namespace vplat::windows

namespace vplat {

// A minimised game has lost its display, as an exclusive DirectDraw game
// does: back in front, it runs its own restore path.
void MinimizeWindow() {
    internal::LoseAllSurfacesNow();
    windows::ToGame(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, TRUE), 0);
}

void RestoreWindow() {
    windows::ToGame(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, FALSE), 0);
}

// A script's other program in front: the display lost, the window inactive
// but not minimised.
void SwitchAway() {
    internal::LoseAllSurfacesNow();
    windows::ToGame(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, FALSE), 0);
}

}  // namespace vplat
