// One frame per display refresh.
#pragma once

namespace vplat::windows {

// A frame was shown: the next one starts at the next refresh period of the
// display the game is on (60 Hz where the system reports no rate, as Wine
// does); a frame that came late starts a new count rather than hurrying to
// catch up.
void FrameShown();

// Waits, while the shown frame's refresh period runs, until it ends; false at
// once when no period runs.
bool WaitForRefresh();

}  // namespace vplat::windows
