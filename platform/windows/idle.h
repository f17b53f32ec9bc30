// A minimised game polls its queue without pause; the platform makes those
// polls wait for the window system instead, as on Linux.
#pragma once

namespace vplat::windows {

// A frame was presented: polls are the game's loop at work again.
void FramePresented();

}  // namespace vplat::windows
