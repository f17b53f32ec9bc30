// Parsing the headless script.
#include "backend/headless/script.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include <windows.h>

namespace vplat::headless {
namespace {

// Large enough for any run, small enough that arithmetic on it cannot overflow.
constexpr int64_t kMaxNumber = 1000000000;

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

std::string Lower(const std::string& word) {
    std::string lower;
    for (char c : word) {
        lower += static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return lower;
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
};

struct Parser {
    const std::string& fileName;
    std::vector<Event>* events;
    std::string* error;
    int line = 0;

    bool Fail(const std::string& what) {
        *error = fileName + ":" + std::to_string(line) + ": " + what;
        return false;
    }

    bool Line(const std::vector<std::string>& words);
    bool Argument(const std::string& actionName, bool takesKey,
                  const std::vector<std::string>& words, Event* event);
};

bool Parser::Argument(const std::string& actionName, bool takesKey,
                      const std::vector<std::string>& words, Event* event) {
    bool idle = event->action == Action::Idle;
    size_t wanted = takesKey || idle ? 3 : 2;
    if (words.size() < wanted) {
        return Fail("'" + actionName + "' needs " + (idle ? "a number of polls" : "a key"));
    }
    if (words.size() > wanted) {
        return Fail("too many words after '" + actionName + "'");
    }
    if (takesKey) {
        event->key = KeyCode(words[2]);
        return event->key != 0 || Fail("unknown key '" + words[2] + "'");
    }
    if (idle && !ParseNumber(words[2], &event->polls)) {
        return Fail("bad number of polls '" + words[2] + "'");
    }
    return true;
}

bool Parser::Line(const std::vector<std::string>& words) {
    Event event;
    event.line = line;
    if (!ParseNumber(words[0], &event.frame)) {
        return Fail("expected a frame number, not '" + words[0] + "'");
    }
    if (words.size() < 2) {
        return Fail("frame " + words[0] + " needs an action");
    }
    std::string name = Lower(words[1]);
    for (const auto& action : kActions) {
        if (name == action.name) {
            event.action = action.action;
            if (!Argument(name, action.takesKey, words, &event)) {
                return false;
            }
            events->push_back(event);
            return true;
        }
    }
    return Fail("unknown action '" + words[1] + "'");
}

}  // namespace

int KeyCode(const std::string& given) {
    static const struct {
        const char* name;
        int code;
    } kKeys[] = {{"space", VK_SPACE}, {"left", VK_LEFT}, {"right", VK_RIGHT},   {"up", VK_UP},
                 {"down", VK_DOWN},   {"s", 'S'},        {"escape", VK_ESCAPE}, {"f12", VK_F12}};
    std::string name = Lower(given);
    for (const auto& key : kKeys) {
        if (name == key.name) {
            return key.code;
        }
    }
    return 0;
}

bool ParseScript(const std::string& text, const std::string& fileName, std::vector<Event>* events,
                 std::string* error) {
    Parser parser{fileName, events, error};
    std::istringstream lines(text);
    std::string lineText;
    while (std::getline(lines, lineText)) {
        ++parser.line;
        std::istringstream wordStream(lineText.substr(0, lineText.find('#')));
        std::vector<std::string> words;
        for (std::string word; wordStream >> word;) {
            words.push_back(word);
        }
        if (!words.empty() && !parser.Line(words)) {
            return false;
        }
    }
    std::stable_sort(events->begin(), events->end(),
                     [](const Event& a, const Event& b) { return a.frame < b.frame; });
    return true;
}

}  // namespace vplat::headless
