// The headless run's script: one event a line, `FRAME ACTION [KEY]`, checked
// whole before the game starts. A recording is a script too: it starts with
// the header line `velmora-script VERSION` and adds the clock's readings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vplat::headless {

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
// the file, the line and what is wrong.
bool ParseScript(const std::string& text, const std::string& fileName, std::vector<Event>* events,
                 std::string* error);
// The virtual-key code of a script key name (SPACE, LEFT, ..., F12), or 0.
int KeyCode(const std::string& name);
// The script's name of a virtual key, or null for a key scripts cannot name.
const char* KeyName(int virtualKey);

// How a loaded script plays: headless it writes its captures as fast as the
// game runs; in the window it shows a recording at the pace it was recorded.
struct Playback {
    bool captures = true;
    bool paced = false;
};
// Runs `events` from now on (from the message polls), as a loaded script.
void UseScript(const std::vector<Event>& events, const std::string& fileName,
               Playback playback = {});
// Reads and checks a script file and runs it. On a fault, *error names the
// file and line.
bool LoadScript(const std::string& path, std::string* error, Playback playback = {});
// A recording's clock readings: from now on the game's clock readings are
// answered with these, in order; paced, each waits until as much real time has
// passed since the first as had when it was recorded.
void ReplayReadings(const std::vector<uint32_t>& readings, bool paced);
// The script's part of a poll of the message queue: fires what is due, and
// closes the window once the script has ended.
void PlayScript(bool queueEmpty);

}  // namespace vplat::headless
