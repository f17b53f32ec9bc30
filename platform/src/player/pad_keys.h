// Game pads as the keyboard: which pad control is which Windows virtual key,
// and when the stick counts as pushed. The names are the pad's own, so that
// the rule needs no SDL; a driver translates its controls to these.
#pragma once

namespace vplat::player {

enum class PadControl {
    kNone,  // a control with no key
    kA,
    kB,
    kBack,
    kGuide,
    kStart,
    kDpadLeft,
    kDpadRight,
    kDpadUp,
    kDpadDown,
    kStickLeft,
    kStickRight,
    kStickUp,
    kStickDown,
};

// The virtual key a control holds; 0 for kNone.
int KeyOfPadControl(PadControl control);

// One direction of a stick axis: `value` from -32768 to 32767, `negative` for
// the direction of negative values (left, up), `held` whether it is held now.
// Whether it is held after this value.
bool StickDirectionHeld(int value, bool negative, bool held);

}  // namespace vplat::player
