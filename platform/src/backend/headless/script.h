// The headless run's script: one command a line, checked whole before the
// game starts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vplat::headless {

enum class Op { Frames, Polls, Wait, Down, Up, Capture, Lose, Minimize, Restore, Close };

struct Command {
    Op op;
    int64_t number = 0;  // frames, polls or milliseconds
    int key = 0;         // virtual-key code for down and up
    std::string name;    // capture file name, without ".png"
    int line = 0;        // where it stands in the script
};

// `press KEY N` comes out as down, frames N, up. On a fault returns false and
// sets *error to one line naming the file and the line.
bool ParseScript(const std::string& text, const std::string& fileName,
                 std::vector<Command>* commands, std::string* error);
// The virtual-key code of a script key name, or 0.
int KeyCode(const std::string& name);
// Runs `commands` from now on (from the message polls), as a loaded script.
void UseScript(const std::vector<Command>& commands, const std::string& fileName);

}  // namespace vplat::headless
