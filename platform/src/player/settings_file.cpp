// velmora.ini: sections of key=value lines, each key counting only in its
// own section (the rows of settings_rows.cpp). Unknown keys and sections are
// skipped; a line that is none of section, comment, blank or key=value, or a
// known key's value out of range, makes the whole file count as damaged.
#include "player/settings_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>

#include "player/settings_rows.h"

namespace vplat::player {
namespace {

// A line quoted in a message: short, and nothing that a terminal would act on.
std::string Printable(const std::string& line) {
    std::string shown = line.substr(0, 60);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) {
            c = '?';
        }
    }
    return shown;
}

// One line of the file, already trimmed: a section heading switches *section;
// a key=value line of a known key in that section sets its row's value and
// marks the row seen. False for a line that is none of those forms, or a
// known key with a bad value.
bool ReadLine(const std::string& line, std::string* section, Settings* settings,
              std::set<const SettingRow*>* seen) {
    if (line.empty() || line[0] == '#' || line[0] == ';') {
        return true;
    }
    if (line[0] == '[') {
        if (line.back() != ']') {
            return false;
        }
        *section = TrimSpace(line.substr(1, line.size() - 2));
        return true;
    }
    size_t equals = line.find('=');
    std::string key = equals == std::string::npos ? "" : TrimSpace(line.substr(0, equals));
    if (key.empty()) {
        return false;
    }
    // Unknown keys and sections are skipped: a later version may add some.
    const SettingRow* row = FindSettingRow(*section, key);
    if (row == nullptr) {
        return true;
    }
    seen->insert(row);
    return SetSettingValue(*row, TrimSpace(line.substr(equals + 1)), settings);
}

// A flag that rows depend on holds when every row naming it was read.
void SettleFlags(const std::set<const SettingRow*>& seen, Settings* settings) {
    size_t count = 0;
    const SettingRow* rows = SettingRows(&count);
    for (size_t i = 0; i < count; ++i) {
        if (rows[i].onlyWhile != nullptr) {
            settings->*rows[i].onlyWhile = true;
        }
    }
    for (size_t i = 0; i < count; ++i) {
        if (rows[i].onlyWhile != nullptr && seen.count(&rows[i]) == 0) {
            settings->*rows[i].onlyWhile = false;
        }
    }
}

}  // namespace

std::string SettingsPath() {
    const char* config = getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        return std::string(config) + "/velmora/velmora.ini";
    }
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.config/velmora/velmora.ini";
    }
    return "";
}

SettingsFound ReadSettings(const std::string& path, Settings* settings, std::string* error,
                           std::vector<std::string>* lines) {
    // Only a regular file: a pipe or a device in its place would block the
    // start or read without end.
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT) {
            return SettingsFound::Fine;
        }
        *error = strerror(errno);
        return SettingsFound::Unreadable;
    }
    if (!S_ISREG(status.st_mode)) {
        *error = "not a regular file";
        return SettingsFound::Unreadable;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = strerror(errno);
        return SettingsFound::Unreadable;
    }
    Settings read = *settings;
    std::set<const SettingRow*> seen;
    std::vector<std::string> kept;
    std::string section;
    std::string line;
    while (std::getline(file, line)) {
        kept.push_back(line);
        size_t number = kept.size();
        if (number > 1000 || line.size() > 1000) {
            *error = "too long to be a settings file";
            return SettingsFound::Damaged;
        }
        line = TrimSpace(line);
        if (!ReadLine(line, &section, &read, &seen)) {
            *error = "line " + std::to_string(number) + " is not a setting: " + Printable(line);
            return SettingsFound::Damaged;
        }
    }
    if (file.bad()) {
        *error = "cannot be read";
        return SettingsFound::Unreadable;
    }
    if ((read.windowWidth == 0) != (read.windowHeight == 0)) {
        *error = "width and height go together";
        return SettingsFound::Damaged;
    }
    SettleFlags(seen, &read);
    *settings = read;
    if (lines != nullptr) {
        *lines = kept;
    }
    return SettingsFound::Fine;
}

}  // namespace vplat::player
