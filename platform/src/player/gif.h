// A recording made into an animated GIF, headless and as fast as the game
// runs: what the game presented, at the times the recording gives.
#pragma once

#include <string>

namespace vplat::player {

// Makes the GIF's file, before the game starts, and follows the frames the
// game presents from then on; false, with the one line to print, when the
// file cannot be made. Each game pixel becomes scale x scale.
bool StartGif(const std::string& path, int scale, std::string* error);
// Once the game has ended: the last picture written, the file put in place
// and one line saying what it holds. A GIF that cannot be written ends the
// run with one line and status 4, and leaves no file.
void FinishGif();

}  // namespace vplat::player
