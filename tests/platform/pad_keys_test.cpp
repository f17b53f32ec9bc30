// The pad rule without a pad: which control is which key, and the stick's
// dead zone with its two thresholds.
#include <gtest/gtest.h>
#include <windows.h>

#include "player/pad_keys.h"

namespace {

using vplat::player::PadControl;
using vplat::player::StickDirectionHeld;

TEST(PadKeys, StickDirectionsAreTheArrows) {
    EXPECT_EQ(VK_LEFT, vplat::player::KeyOfPadControl(PadControl::kStickLeft));
    EXPECT_EQ(VK_RIGHT, vplat::player::KeyOfPadControl(PadControl::kStickRight));
    EXPECT_EQ(VK_UP, vplat::player::KeyOfPadControl(PadControl::kStickUp));
    EXPECT_EQ(VK_DOWN, vplat::player::KeyOfPadControl(PadControl::kStickDown));
    EXPECT_EQ(VK_UP, vplat::player::KeyOfPadControl(PadControl::kDpadUp));
    EXPECT_EQ(VK_DOWN, vplat::player::KeyOfPadControl(PadControl::kDpadDown));
    EXPECT_EQ(0, vplat::player::KeyOfPadControl(PadControl::kNone));
}

// Pressed past a third of the travel (10922), let go under a quarter (8191).
TEST(PadKeys, StickPressesPastAThirdAndLetsGoUnderAQuarter) {
    EXPECT_FALSE(StickDirectionHeld(10922, false, false)) << "a third exactly is no press";
    EXPECT_TRUE(StickDirectionHeld(10923, false, false)) << "just past a third is a press";
    EXPECT_TRUE(StickDirectionHeld(8192, false, true)) << "let go above a quarter";
    EXPECT_FALSE(StickDirectionHeld(8191, false, true)) << "held at a quarter exactly";
    EXPECT_TRUE(StickDirectionHeld(-10923, true, false)) << "left/up not pressed past a third";
    EXPECT_FALSE(StickDirectionHeld(-32768, false, true)) << "full left held the right";
    EXPECT_FALSE(StickDirectionHeld(32767, true, false)) << "full right pressed the left";
}

}  // namespace
