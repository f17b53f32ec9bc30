// The command line, read before the game's WinMain (which reads none) as the
// Linux program's start-up reads it: the same options, meanings and refusals.
#pragma once

#include "player/options.h"

namespace vplat::windows {

// The options of this run; --help, --version and a bad option have ended
// the process before the game started.
const player::Options& RunOptions();

}  // namespace vplat::windows
