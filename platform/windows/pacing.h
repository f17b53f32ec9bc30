// One frame per display refresh.
#pragma once

namespace vplat::windows {

// Returns at the start of the next refresh period of the display the game
// is on (60 Hz where the system reports no rate, as Wine does); a frame that
// came late starts a new count rather than hurrying to catch up.
void WaitForRefresh();

}  // namespace vplat::windows
