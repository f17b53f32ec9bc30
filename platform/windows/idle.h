// The waits of the game's polls of its message queue: the game's loop, which
// never waits for anything, keeps to the display's refresh and costs next to
// nothing while it has no frames to run.
#pragma once

#include <windows.h>

namespace vplat::windows {

// The window whose being minimised means that only a message can give the
// game something to do.
void WatchWindow(HWND window);

// A frame was presented: polls are the game's loop at work again.
void FramePresented();

}  // namespace vplat::windows
