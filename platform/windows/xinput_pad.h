// XInput pads as the keyboard, by the rule of player/pad_keys.h: any of the
// four slots, plugged in or out while the game runs. XInput is loaded when
// first asked for, so the game starts on a Windows without it.
#pragma once

#include <windows.h>

namespace vplat::windows {

// How long an empty slot is left before it is asked again: on Windows an
// empty slot is slow to answer, and a new pad need not be seen at once.
constexpr DWORD kLookForPadsMs = 500;

// Once a frame, `now` in milliseconds (GetTickCount): reads the pads plugged
// in, and the empty slots when kLookForPadsMs have passed since they were last
// asked. A pad unplugged, or the game no longer in front, lets go of what it held.
void PollPads(DWORD now);

// Every key was let go of elsewhere (the window lost the focus): what the
// pads still hold is given again at the next poll.
void ForgetPadKeys();

// Where the pads' keys go: a key goes down when the first pad control takes
// it and up when the last one lets go, so a key held by the d-pad and the stick
// at once stays down until both are let go.
void PadKey(int virtualKey, bool down);

}  // namespace vplat::windows
