// The d-pad and left stick are the arrows, A and Start are Space, B and Back
// are S (back to the title), Guide is Escape: a pad alone plays the game.
#include "player/pad_keys.h"

#include <windows.h>

namespace vplat::player {
namespace {

struct PadKey {
    PadControl control;
    int virtualKey;
};

const PadKey kPadKeys[] = {
    {PadControl::kA, VK_SPACE},
    {PadControl::kStart, VK_SPACE},
    {PadControl::kB, 'S'},
    {PadControl::kBack, 'S'},
    {PadControl::kGuide, VK_ESCAPE},
    {PadControl::kDpadLeft, VK_LEFT},
    {PadControl::kDpadRight, VK_RIGHT},
    {PadControl::kDpadUp, VK_UP},
    {PadControl::kDpadDown, VK_DOWN},
    {PadControl::kStickLeft, VK_LEFT},
    {PadControl::kStickRight, VK_RIGHT},
    {PadControl::kStickUp, VK_UP},
    {PadControl::kStickDown, VK_DOWN},
};

// Past a third of the stick's travel counts as pressed; back under a
// quarter as released, so a stick resting near the edge does not flicker.
constexpr int kStickPress = 32767 / 3;
constexpr int kStickRelease = 32767 / 4;

}  // namespace

int KeyOfPadControl(PadControl control) {
    for (const PadKey& key : kPadKeys) {
        if (key.control == control) {
            return key.virtualKey;
        }
    }
    return 0;
}

bool StickDirectionHeld(int value, bool negative, bool held) {
    int travel = negative ? -value : value;
    return travel > (held ? kStickRelease : kStickPress);
}

}  // namespace vplat::player
