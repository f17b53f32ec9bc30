// Writing script lines: what a recording is made of, read back by parse.cpp.
#include <string>

#include "script/script.h"

namespace vplat::script {
std::string FormatLine(int64_t frame, const Event& event) {
    std::string line = std::to_string(frame) + " " + ActionName(event.action);
    if (event.action == Action::Down || event.action == Action::Up || event.action == Action::Tap) {
        const char* key = KeyName(event.key);
        if (key == nullptr) {
            return "";
        }
        line += std::string(" ") + key;
    } else if (event.action == Action::Idle) {
        line += " " + std::to_string(event.polls);
    } else if (event.action == Action::Tick) {
        line += " " + std::to_string(event.reading);
    }
    return line + "\n";
}

std::string HeaderLine(const char* writtenBy) {
    return std::string(kScriptHeader) + " " + std::to_string(kScriptVersion) + "  # recorded by " +
           writtenBy + "\n";
}

}  // namespace vplat::script
