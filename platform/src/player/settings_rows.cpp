// The rows of velmora.ini, and reading and writing one value by its row.
#include "player/settings_rows.h"

#include <cerrno>
#include <cstdlib>
#include <iterator>

namespace vplat::player {
namespace {

// Large enough for any real desktop, small enough that sums cannot overflow.
constexpr long kMaxCoordinate = 100000;

const SettingRow kRows[] = {
    {"window", "fullscreen", &Settings::fullscreen, nullptr, 0, 0, nullptr},
    {"window", "integer_scale", &Settings::integerScale, nullptr, 0, 0, nullptr},
    {"window", "width", nullptr, &Settings::windowWidth, 1, kMaxCoordinate, nullptr},
    {"window", "height", nullptr, &Settings::windowHeight, 1, kMaxCoordinate, nullptr},
    {"window", "x", nullptr, &Settings::windowX, -kMaxCoordinate, kMaxCoordinate,
     &Settings::windowPlaced},
    {"window", "y", nullptr, &Settings::windowY, -kMaxCoordinate, kMaxCoordinate,
     &Settings::windowPlaced},
    {"window", "maximized", &Settings::windowMaximized, nullptr, 0, 0, nullptr},
};

bool ParseNumber(const std::string& text, long low, long high, int* value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    long number = strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || number < low || number > high) {
        return false;
    }
    *value = static_cast<int>(number);
    return true;
}

bool ParseBool(const std::string& text, bool* value) {
    if (text == "1" || text == "true" || text == "yes") {
        *value = true;
    } else if (text == "0" || text == "false" || text == "no") {
        *value = false;
    } else {
        return false;
    }
    return true;
}

}  // namespace

const SettingRow* SettingRows(size_t* count) {
    *count = std::size(kRows);
    return kRows;
}

const SettingRow* FindSettingRow(const std::string& section, const std::string& key) {
    for (const SettingRow& row : kRows) {
        if (section == row.section && key == row.key) {
            return &row;
        }
    }
    return nullptr;
}

bool SetSettingValue(const SettingRow& row, const std::string& text, Settings* settings) {
    if (row.flag != nullptr) {
        return ParseBool(text, &(settings->*row.flag));
    }
    return ParseNumber(text, row.low, row.high, &(settings->*row.number));
}

std::string SettingValueText(const SettingRow& row, const Settings& settings) {
    if (row.flag != nullptr) {
        return settings.*row.flag ? "1" : "0";
    }
    int value = settings.*row.number;
    return value >= row.low && value <= row.high ? std::to_string(value) : "";
}

std::string TrimSpace(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace vplat::player
