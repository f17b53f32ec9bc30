// The script format: one event a line, `FRAME ACTION [ARGUMENT]`, checked
// whole before the game starts. A recording is a script too: it starts with
// the header line `velmora-script VERSION` and adds the clock's readings.
// This is its one parser and its one writer: the headless run, the player's
// recordings and the browser's all go through here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vplat::script {

enum class Action { Down, Up, Tap, Capture, Minimize, Restore, Lose, Switch, Close, Idle, Tick };

// The header a recording starts with, and the newest version this build reads.
constexpr char kScriptHeader[] = "velmora-script";
constexpr int kScriptVersion = 1;

struct Event {
    int64_t frame = 0;  // fires once this many frames have been presented
    Action action = Action::Close;
    int key = 0;           // virtual-key code for down, up and tap
    int64_t polls = 0;     // for idle: message polls to let pass
    uint32_t reading = 0;  // for tick: what the game's clock reading answered
    int line = 0;          // where it stands in the script
};

// Events come out in the order they fire: by frame, and in script order
// within a frame. On a fault returns false and sets *error to one line naming
// the file, the line and what is wrong. A recording whose last line has no
// end gives the events before it, and *warning (where given) says so.
bool ParseScript(const std::string& text, const std::string& fileName, std::vector<Event>* events,
                 std::string* error, std::string* warning = nullptr);
// The virtual-key code of a script key name (SPACE, LEFT, ..., F12), or 0.
int KeyCode(const std::string& name);
// The script's name of a virtual key, or null for a key scripts cannot name.
const char* KeyName(int virtualKey);

// The word a script gives an action ("down", "tick", ...).
const char* ActionName(Action action);
// One line as ParseScript reads it back, ending in a newline: the frame, the
// action and its key (down, up, tap), polls (idle) or clock reading (tick).
// Empty for a key no script can name.
std::string FormatLine(int64_t frame, const Event& event);
// The line a recording starts with, naming the build that wrote it.
std::string HeaderLine(const char* writtenBy);

}  // namespace vplat::script
