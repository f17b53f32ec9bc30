// The pads' keys on their way to the game.
#include "xinput_pad.h"

namespace vplat::windows {

void PadKey(int /*virtualKey*/, bool /*down*/) {}

}  // namespace vplat::windows
