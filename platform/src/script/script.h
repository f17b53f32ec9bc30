// The script format: one event a line, `FRAME ACTION [ARGUMENT]`, checked
// whole before the game starts. A recording is a script too: it starts with
// the header line `velmora-script VERSION` and adds the clock's readings.
// This is its one parser and its one writer: the headless run, the player's
// recordings and the browser's all go through here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

// The one parser of the format: a text taken in parts of any size (a whole
// file, or a block at a time as it plays), checked line by line.
class Parser {
public:
    explicit Parser(std::string fileName);
    // Adds the events of each line `bytes` ends to *events, in the file's
    // order; false at a fault, which Error() names (file, line, what).
    bool Feed(std::string_view bytes, std::vector<Event>* events);
    // The text has ended. A last line with no end is read too, except in a
    // recording, where it was cut short: Warning() then says it is left out.
    bool Finish(std::vector<Event>* events);
    const std::string& FileName() const { return fileName_; }
    const std::string& Error() const { return error_; }
    const std::string& Warning() const { return warning_; }
    // Whether no event so far comes before one above it (a recording's never do).
    bool InFrameOrder() const { return inFrameOrder_; }

private:
    static constexpr size_t kWordsKept = 4;  // one more than any line has
    static constexpr size_t kWordBytesKept = 32;

    bool Take(char c, std::vector<Event>* events);
    bool EndLine(std::vector<Event>* events);
    bool Line(std::vector<Event>* events);
    bool Header();
    bool Argument(const std::string& actionName, bool takesKey, Event* event);
    bool Fail(const std::string& what);

    std::string fileName_;
    std::string error_;
    std::string warning_;
    int line_ = 0;            // lines ended so far
    bool recording_ = false;  // the file has the header line
    bool inFrameOrder_ = true;
    int64_t lastFrame_ = 0;
    int64_t idlePolls_ = 0;
    // The line being read: its first words, cut short, and how many it has.
    std::vector<std::string> words_;
    size_t wordCount_ = 0;
    bool inWord_ = false;
    bool comment_ = false;
    bool lineStarted_ = false;
};

// A whole text. Events come out in the order they fire: by frame, and in script order
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
