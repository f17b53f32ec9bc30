// The headless run's script: one event a line, `FRAME ACTION [KEY]`, checked
// whole before the game starts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vplat::headless {

enum class Action { Down, Up, Tap, Capture, Minimize, Restore, Lose, Switch, Close, Idle };

struct Event {
    int64_t frame = 0;  // fires once this many frames have been presented
    Action action = Action::Close;
    int key = 0;        // virtual-key code for down, up and tap
    int64_t polls = 0;  // for idle: message polls to let pass
    int line = 0;       // where it stands in the script
};

// Events come out in the order they fire: by frame, and in script order
// within a frame. On a fault returns false and sets *error to one line naming
// the file, the line and what is wrong.
bool ParseScript(const std::string& text, const std::string& fileName, std::vector<Event>* events,
                 std::string* error);
// The virtual-key code of a script key name (SPACE, LEFT, ..., F12), or 0.
int KeyCode(const std::string& name);
// Runs `events` from now on (from the message polls), as a loaded script.
void UseScript(const std::vector<Event>& events, const std::string& fileName);
// Reads and checks a script file and runs it. On a fault, *error names the
// file and line.
bool LoadScript(const std::string& path, std::string* error);

}  // namespace vplat::headless
