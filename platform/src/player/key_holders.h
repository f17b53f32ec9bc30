// Keys from more than one source (the keyboard, the pads) feed the one key
// table the game reads: a key is down while any source holds it.
#pragma once

namespace vplat::player {

// One source took hold of, or let go of, a Windows virtual key.
void HoldKey(int virtualKey, bool down);
// Every key was let go of at once (the window lost the focus): no source
// holds anything now.
void ForgetHeldKeys();

}  // namespace vplat::player
