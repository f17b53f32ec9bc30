// Counting holders means a pad letting go of Left does not release the Left
// arrow the keyboard still holds, and the other way round.
#include "player/key_holders.h"

#include "player/playback.h"

namespace vplat::player {
namespace {

int g_holders[256] = {};

}  // namespace

void HoldKey(int virtualKey, bool down) {
    if (virtualKey <= 0 || virtualKey > 255) {
        return;
    }
    int& holders = g_holders[virtualKey];
    if (down) {
        if (++holders == 1) {
            GiveKey(virtualKey, true);
        }
    } else if (holders > 0 && --holders == 0) {
        GiveKey(virtualKey, false);
    }
}

void ForgetHeldKeys() {
    for (int& holders : g_holders) {
        holders = 0;
    }
}

}  // namespace vplat::player
