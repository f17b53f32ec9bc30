// Parsing the headless script.
#include "backend/headless/script.h"

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

struct Parser {
    const std::string& fileName;
    std::vector<Command>* commands;
    std::string* error;
    int line = 0;

    bool Fail(const std::string& what) {
        *error = fileName + ":" + std::to_string(line) + ": " + what;
        return false;
    }

    void Add(Op op, int64_t number = 0, int key = 0, const std::string& name = "") {
        Command command{op, number, key, name, line};
        commands->push_back(command);
    }

    bool Number(const std::vector<std::string>& words, size_t at, int64_t* number) {
        if (at >= words.size()) {
            return Fail("'" + words[0] + "' needs a number");
        }
        if (!ParseNumber(words[at], number)) {
            return Fail("bad number '" + words[at] + "'");
        }
        return true;
    }

    bool Key(const std::vector<std::string>& words, int* key) {
        if (words.size() < 2) {
            return Fail("'" + words[0] + "' needs a key");
        }
        *key = KeyCode(words[1]);
        return *key != 0 || Fail("unknown key '" + words[1] + "'");
    }

    bool Line(const std::vector<std::string>& words);
};

bool Parser::Line(const std::vector<std::string>& words) {
    const std::string& verb = words[0];
    size_t most = 1;  // words the command may have
    int64_t number = 0;
    int key = 0;
    bool ok = true;
    if (verb == "frames" || verb == "polls" || verb == "wait") {
        most = 2;
        ok = Number(words, 1, &number);
        if (ok) {
            Add(verb == "frames" ? Op::Frames : verb == "polls" ? Op::Polls : Op::Wait, number);
        }
    } else if (verb == "down" || verb == "up") {
        most = 2;
        ok = Key(words, &key);
        if (ok) {
            Add(verb == "down" ? Op::Down : Op::Up, 0, key);
        }
    } else if (verb == "press") {
        most = 3;
        number = 2;
        ok = Key(words, &key) && (words.size() < 3 || Number(words, 2, &number));
        if (ok) {
            Add(Op::Down, 0, key);
            Add(Op::Frames, number);
            Add(Op::Up, 0, key);
        }
    } else if (verb == "capture") {
        most = 2;
        if (words.size() < 2) {
            return Fail("'capture' needs a name");
        }
        Add(Op::Capture, 0, 0, words[1]);
    } else if (verb == "lose" || verb == "minimize" || verb == "restore" || verb == "close") {
        Add(verb == "lose"       ? Op::Lose
            : verb == "minimize" ? Op::Minimize
            : verb == "restore"  ? Op::Restore
                                 : Op::Close);
    } else {
        return Fail("unknown command '" + verb + "'");
    }
    return ok && (words.size() <= most || Fail("too many words after '" + verb + "'"));
}

}  // namespace

int KeyCode(const std::string& given) {
    std::string name;
    for (char c : given) {
        name += static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    if (name.size() == 1 && ((name[0] >= 'a' && name[0] <= 'z') || isdigit(name[0]))) {
        return toupper(name[0]);
    }
    static const struct {
        const char* name;
        int code;
    } kNamed[] = {{"space", VK_SPACE}, {"left", VK_LEFT}, {"right", VK_RIGHT},
                  {"up", VK_UP},       {"down", VK_DOWN}, {"escape", VK_ESCAPE}};
    for (const auto& named : kNamed) {
        if (name == named.name) {
            return named.code;
        }
    }
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'f') {
        int64_t number = 0;
        if (ParseNumber(name.substr(1), &number) && number >= 1 && number <= 12) {
            return VK_F1 + static_cast<int>(number) - 1;
        }
    }
    return 0;
}

bool ParseScript(const std::string& text, const std::string& fileName,
                 std::vector<Command>* commands, std::string* error) {
    Parser parser{fileName, commands, error};
    std::istringstream lines(text);
    std::string lineText;
    while (std::getline(lines, lineText)) {
        ++parser.line;
        std::istringstream wordStream(lineText);
        std::vector<std::string> words;
        for (std::string word; wordStream >> word;) {
            words.push_back(word);
        }
        if (words.empty() || words[0][0] == '#') {
            continue;
        }
        if (!parser.Line(words)) {
            return false;
        }
    }
    return true;
}

}  // namespace vplat::headless
