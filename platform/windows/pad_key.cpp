// The pads, all together, are one holder of the game's keys beside the keyboard.
#include "xinput_pad.h"

#include "player/key_holders.h"

namespace vplat::windows {

void PadKey(int virtualKey, bool down) {
    player::HoldKey(virtualKey, down);
}

}  // namespace vplat::windows
