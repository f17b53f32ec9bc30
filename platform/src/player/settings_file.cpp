// velmora.ini: a [window] section of key=value lines. Unknown keys are
// skipped (a later version may add some); a line that is none of section,
// comment, blank or key=value, or a value out of range, makes the whole file
// count as damaged.
#include "player/settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vplat::player {
namespace {

// Large enough for any real desktop, small enough that sums cannot overflow.
constexpr long kMaxCoordinate = 100000;

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

bool ApplySetting(const std::string& key, const std::string& value, Settings* settings,
                  bool* placedX, bool* placedY) {
    if (key == "fullscreen") {
        return ParseBool(value, &settings->fullscreen);
    }
    if (key == "integer_scale") {
        return ParseBool(value, &settings->integerScale);
    }
    if (key == "width") {
        return ParseNumber(value, 1, kMaxCoordinate, &settings->windowWidth);
    }
    if (key == "height") {
        return ParseNumber(value, 1, kMaxCoordinate, &settings->windowHeight);
    }
    if (key == "x") {
        *placedX = true;
        return ParseNumber(value, -kMaxCoordinate, kMaxCoordinate, &settings->windowX);
    }
    if (key == "y") {
        *placedY = true;
        return ParseNumber(value, -kMaxCoordinate, kMaxCoordinate, &settings->windowY);
    }
    return true;
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
    bool placedX = false;
    bool placedY = false;
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (number > 1000 || line.size() > 1000) {
            *error = "too long to be a settings file";
            return false;
        }
        line = Trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[') {
            continue;
        }
        size_t equals = line.find('=');
        std::string key = equals == std::string::npos ? "" : Trim(line.substr(0, equals));
        if (key.empty() ||
            !ApplySetting(key, Trim(line.substr(equals + 1)), &read, &placedX, &placedY)) {
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
    read.windowPlaced = placedX && placedY;
    *settings = read;
    return true;
}

bool WriteSettings(const std::string& path, const Settings& settings, std::string* error) {
    std::ostringstream text;
    text << "# Velmora's settings, written when the game ends.\n"
         << "[window]\n"
         << "fullscreen=" << (settings.fullscreen ? 1 : 0) << "\n"
         << "integer_scale=" << (settings.integerScale ? 1 : 0) << "\n";
    if (settings.windowWidth > 0 && settings.windowHeight > 0) {
        text << "width=" << settings.windowWidth << "\nheight=" << settings.windowHeight << "\n";
    }
    if (settings.windowPlaced) {
        text << "x=" << settings.windowX << "\ny=" << settings.windowY << "\n";
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
