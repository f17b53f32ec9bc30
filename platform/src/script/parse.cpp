// Parsing a script or recording.
#include "script/script.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include <windows.h>

namespace vplat::script {
namespace {

// Large enough for any run, small enough that arithmetic on it cannot overflow.
constexpr int64_t kMaxNumber = 1000000000;
// Past what any real session reaches (77 hours at 60 frames a second): a
// frame number, or idle polls all told, beyond it is a damaged file, which
// played would keep a run busy for hours.
constexpr int64_t kMostFrames = int64_t{1} << 24;

bool ParseNumber(const std::string& word, int64_t* number) {
    if (word.empty() || word.size() > 10) {
        return false;
    }
    int64_t value = 0;
    for (char c : word) {
        if (!isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    *number = value;
    return value <= kMaxNumber;
}

// A clock reading: any value the 32-bit millisecond counter can hold.
bool ParseReading(const std::string& word, uint32_t* reading) {
    if (word.empty() || word.size() > 10) {
        return false;
    }
    uint64_t value = 0;
    for (char c : word) {
        if (!isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    *reading = static_cast<uint32_t>(value);
    return value <= UINT32_MAX;
}

std::string Lower(const std::string& word) {
    std::string lower;
    for (char c : word) {
        lower += static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// A word of the file as a message quotes it: a damaged or hostile file must
// not fill the terminal or send it control sequences.
std::string Quote(const std::string& word) {
    constexpr size_t kLongest = 24;
    std::string shown;
    for (char c : word.substr(0, kLongest)) {
        shown += isprint(static_cast<unsigned char>(c)) ? c : '?';
    }
    return "'" + shown + (word.size() > kLongest ? "...'" : "'");
}

const struct {
    const char* name;
    Action action;
    bool takesKey;
} kActions[] = {
    {"down", Action::Down, true},
    {"up", Action::Up, true},
    {"tap", Action::Tap, true},
    {"capture", Action::Capture, false},
    {"minimize", Action::Minimize, false},
    {"restore", Action::Restore, false},
    {"lose", Action::Lose, false},
    {"switch", Action::Switch, false},
    {"close", Action::Close, false},
    {"idle", Action::Idle, false},
    {"tick", Action::Tick, false},
};

}  // namespace

bool Parser::Fail(const std::string& what) {
    error_ = fileName_ + ":" + std::to_string(line_) + ": " + what;
    return false;
}

bool Parser::Argument(const std::string& actionName, bool takesKey, Event* event) {
    const std::vector<std::string>& words = words_;
    bool idle = event->action == Action::Idle;
    bool tick = event->action == Action::Tick;
    size_t wanted = takesKey || idle || tick ? 3 : 2;
    if (words.size() < wanted) {
        return Fail("'" + actionName + "' needs " +
                    (idle   ? "a number of polls"
                     : tick ? "a clock reading"
                            : "a key"));
    }
    if (words.size() > wanted) {
        return Fail("too many words after '" + actionName + "'");
    }
    if (takesKey) {
        event->key = KeyCode(words[2]);
        return event->key != 0 || Fail("unknown key " + Quote(words[2]));
    }
    if (idle && !ParseNumber(words[2], &event->polls)) {
        return Fail("bad number of polls " + Quote(words[2]));
    }
    idlePolls_ += event->polls;
    if (idlePolls_ > kMostFrames) {
        return Fail("idle polls come to " + std::to_string(idlePolls_) +
                    ", more than any session has (at most " + std::to_string(kMostFrames) + ")");
    }
    if (tick && !ParseReading(words[2], &event->reading)) {
        return Fail("bad clock reading " + Quote(words[2]) + " (0 to 4294967295 ms)");
    }
    return true;
}

// `velmora-script VERSION`: only on the first line, and only a version this
// build knows how to play.
bool Parser::Header() {
    const std::vector<std::string>& words = words_;
    if (line_ != 1) {
        return Fail("the header " + Quote(words[0]) + " belongs on the first line");
    }
    int64_t version = 0;
    if (words.size() != 2 || !ParseNumber(words[1], &version) || version == 0) {
        return Fail("expected '" + std::string(kScriptHeader) + " " +
                    std::to_string(kScriptVersion) + "' as the header");
    }
    if (version > kScriptVersion) {
        return Fail("written by a newer Velmora (format version " + std::to_string(version) +
                    "; this one plays up to " + std::to_string(kScriptVersion) + ")");
    }
    recording_ = true;
    return true;
}

bool Parser::Line(std::vector<Event>* events) {
    const std::vector<std::string>& words = words_;
    if (words[0] == kScriptHeader) {
        return Header();
    }
    Event event;
    event.line = line_;
    if (!ParseNumber(words[0], &event.frame)) {
        return Fail("expected a frame number, not " + Quote(words[0]));
    }
    if (event.frame > kMostFrames) {
        return Fail("frame " + words[0] + " is past any session (at most " +
                    std::to_string(kMostFrames) + ")");
    }
    if (words.size() < 2) {
        return Fail("frame " + words[0] + " needs an action");
    }
    // A recording is written as the frames go by: a frame that goes back is
    // a damaged file, not events to reorder.
    if (event.frame < lastFrame_) {
        if (recording_) {
            return Fail("frame " + words[0] + " comes after frame " + std::to_string(lastFrame_));
        }
        inFrameOrder_ = false;
    }
    lastFrame_ = std::max(lastFrame_, event.frame);
    std::string name = Lower(words[1]);
    for (const auto& action : kActions) {
        if (name == action.name) {
            event.action = action.action;
            if (!Argument(name, action.takesKey, &event)) {
                return false;
            }
            events->push_back(event);
            return true;
        }
    }
    return Fail("unknown action " + Quote(words[1]));
}

const char* ActionName(Action action) {
    for (const auto& entry : kActions) {
        if (entry.action == action) {
            return entry.name;
        }
    }
    return "?";
}

Parser::Parser(std::string fileName) : fileName_(std::move(fileName)) {}

// One byte of the file: lines end at a newline, words at white space (as C's
// isspace has it), and `#` starts a comment to the line's end. Only the first
// few words are kept, each cut short: that is all a message or a check of a
// line reads, and it keeps a hostile line of any length to a few bytes.
bool Parser::Take(char c, std::vector<Event>* events) {
    if (c == '\n') {
        return EndLine(events);
    }
    lineStarted_ = true;
    if (comment_ || c == '#') {
        comment_ = true;
        inWord_ = false;
    } else if (isspace(static_cast<unsigned char>(c))) {
        inWord_ = false;
    } else {
        if (!inWord_ && words_.size() < kWordsKept) {
            words_.emplace_back();
        }
        if (!inWord_) {
            ++wordCount_;
        }
        inWord_ = true;
        if (wordCount_ <= kWordsKept && words_.back().size() < kWordBytesKept) {
            words_.back() += c;
        }
    }
    return true;
}

bool Parser::EndLine(std::vector<Event>* events) {
    ++line_;
    bool ok = words_.empty() || Line(events);
    words_.clear();
    wordCount_ = 0;
    inWord_ = comment_ = lineStarted_ = false;
    return ok;
}

bool Parser::Feed(std::string_view bytes, std::vector<Event>* events) {
    for (char c : bytes) {
        if (!Take(c, events)) {
            return false;
        }
    }
    return true;
}

bool Parser::Finish(std::vector<Event>* events) {
    if (!lineStarted_) {
        return true;
    }
    // The recorder writes whole lines only: a recording whose last line has
    // no end was cut short by something else (a crash, a full disk
    // elsewhere), and plays up to the line before.
    if (recording_) {
        warning_ = fileName_ + ":" + std::to_string(line_ + 1) +
                   ": the file ends inside this line (cut short); it plays up to the line before";
        return true;
    }
    return EndLine(events);
}

bool ParseScript(const std::string& text, const std::string& fileName, std::vector<Event>* events,
                 std::string* error, std::string* warning) {
    Parser parser(fileName);
    if (!parser.Feed(text, events) || !parser.Finish(events)) {
        *error = parser.Error();
        return false;
    }
    if (warning != nullptr) {
        *warning = parser.Warning();
    }
    std::stable_sort(events->begin(), events->end(),
                     [](const Event& a, const Event& b) { return a.frame < b.frame; });
    return true;
}

}  // namespace vplat::script
