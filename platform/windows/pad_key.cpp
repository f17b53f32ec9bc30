// The pads, all together, are one holder of the game's keys beside the keyboard.
#include "key_holders.h"
#include "xinput_pad.h"

namespace vplat::windows {

void PadKey(int virtualKey, bool down) {
    HoldKey(virtualKey, down);
}

}  // namespace vplat::windows
