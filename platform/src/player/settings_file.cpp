// velmora.ini: sections of key=value lines, each key counting only in its
// own section (the rows of settings_rows.cpp). Unknown keys and sections are
// skipped; a line that is none of section, comment, blank or key=value, or a
// known key's value out of range, makes the whole file count as damaged.
#include "player/settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "player/settings_rows.h"

namespace vplat::player {
namespace {

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

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
        *section = Trim(line.substr(1, line.size() - 2));
        return true;
    }
    size_t equals = line.find('=');
    std::string key = equals == std::string::npos ? "" : Trim(line.substr(0, equals));
    if (key.empty()) {
        return false;
    }
    // Unknown keys and sections are skipped: a later version may add some.
    const SettingRow* row = FindSettingRow(*section, key);
    if (row == nullptr) {
        return true;
    }
    seen->insert(row);
    return SetSettingValue(*row, Trim(line.substr(equals + 1)), settings);
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

bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
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

bool ReadSettings(const std::string& path, Settings* settings, std::string* error) {
    // Only a regular file: a pipe or a device in its place would block the
    // start or read without end.
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT) {
            return true;
        }
        *error = strerror(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *error = "not a regular file";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = strerror(errno);
        return false;
    }
    Settings read = *settings;
    std::set<const SettingRow*> seen;
    std::string section;
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (number > 1000 || line.size() > 1000) {
            *error = "too long to be a settings file";
            return false;
        }
        line = Trim(line);
        if (!ReadLine(line, &section, &read, &seen)) {
            *error = "line " + std::to_string(number) + " is not a setting: " + Printable(line);
            return false;
        }
    }
    if (file.bad()) {
        *error = "cannot be read";
        return false;
    }
    if ((read.windowWidth == 0) != (read.windowHeight == 0)) {
        *error = "width and height go together";
        return false;
    }
    SettleFlags(seen, &read);
    *settings = read;
    return true;
}

bool WriteSettings(const std::string& path, const Settings& settings, std::string* error) {
    // A size is whole or none: half of one would make the file damaged.
    Settings shown = settings;
    if (shown.windowWidth <= 0 || shown.windowHeight <= 0) {
        shown.windowWidth = 0;
        shown.windowHeight = 0;
    }
    std::ostringstream text;
    text << "# Velmora's settings, written when the game ends.\n";
    std::string section;
    size_t count = 0;
    const SettingRow* rows = SettingRows(&count);
    for (size_t i = 0; i < count; ++i) {
        const SettingRow& row = rows[i];
        std::string value = SettingValueText(row, shown);
        if (value.empty() || (row.onlyWhile != nullptr && !(shown.*row.onlyWhile))) {
            continue;
        }
        if (section != row.section) {
            section = row.section;
            text << "[" << section << "]\n";
        }
        text << row.key << "=" << value << "\n";
    }
    std::string temporary = path + ".new";
    if (!MakeFolders(path)) {
        *error = std::string("cannot make its folder: ") + strerror(errno);
        return false;
    }
    FILE* file = fopen(temporary.c_str(), "w");
    if (file == nullptr) {
        *error = strerror(errno);
        return false;
    }
    std::string body = text.str();
    bool written = fwrite(body.data(), 1, body.size(), file) == body.size();
    written = fclose(file) == 0 && written;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        *error = strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace vplat::player
