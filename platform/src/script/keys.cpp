// The names a script gives keys: every key the game's key state can be
// given, so that a recording can name whatever the player pressed.
#include <array>
#include <cctype>
#include <string>

#include <windows.h>

#include "script/script.h"

namespace vplat::script {
namespace {

const struct {
    const char* name;
    int code;
} kNamedKeys[] = {
    {"SPACE", VK_SPACE},    {"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT},     {"UP", VK_UP},
    {"DOWN", VK_DOWN},      {"ESCAPE", VK_ESCAPE}, {"RETURN", VK_RETURN},   {"TAB", VK_TAB},
    {"BACKSPACE", VK_BACK}, {"SHIFT", VK_SHIFT},   {"CONTROL", VK_CONTROL}, {"ALT", VK_MENU},
};

std::string Upper(const std::string& word) {
    std::string upper;
    for (char c : word) {
        upper += static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

// F1 to F12, by their number.
int FunctionKey(const std::string& name) {
    if (name.size() < 2 || name.size() > 3 || name[0] != 'F' || name[1] == '0') {
        return 0;
    }
    int number = 0;
    for (size_t i = 1; i < name.size(); ++i) {
        if (!isdigit(static_cast<unsigned char>(name[i]))) {
            return 0;
        }
        number = number * 10 + (name[i] - '0');
    }
    return number >= 1 && number <= 12 ? VK_F1 + number - 1 : 0;
}

}  // namespace

int KeyCode(const std::string& given) {
    std::string name = Upper(given);
    for (const auto& key : kNamedKeys) {
        if (name == key.name) {
            return key.code;
        }
    }
    // Letters and digits are their own names, as their virtual keys are.
    if (name.size() == 1 && isalnum(static_cast<unsigned char>(name[0]))) {
        return name[0];
    }
    return FunctionKey(name);
}

const char* KeyName(int virtualKey) {
    static const char* const kFunctionNames[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                                 "F7", "F8", "F9", "F10", "F11", "F12"};
    // Each letter and digit as a name of its own.
    static const auto kSingles = [] {
        std::array<std::array<char, 2>, 128> singles{};
        for (size_t c = 0; c < singles.size(); ++c) {
            singles[c][0] = static_cast<char>(c);
        }
        return singles;
    }();
    for (const auto& key : kNamedKeys) {
        if (virtualKey == key.code) {
            return key.name;
        }
    }
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
        return kSingles[static_cast<size_t>(virtualKey)].data();
    }
    if (virtualKey >= VK_F1 && virtualKey <= VK_F1 + 11) {
        return kFunctionNames[virtualKey - VK_F1];
    }
    return nullptr;
}

}  // namespace vplat::script
