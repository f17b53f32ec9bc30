// The command line, read before the game's WinMain (which reads none) as the
// Linux program's start-up reads it: the same options, meanings and refusals.
#pragma once

#include <windows.h>

#include <string>

#include "player/options.h"

namespace vplat::windows {

// The options of this run; --help, --version and a bad option have ended
// the process before the game started.
const player::Options& RunOptions();
// Says `text` where the player sees it: standard output (or error) where the
// caller gave one (a pipe or a file), else the console the program was
// started from, else a message box.
void SayToPlayer(const std::string& text, bool error);
[[noreturn]] void SayAndEnd(const std::string& text, bool error, UINT status);

}  // namespace vplat::windows
