// The settings file of this run: what it held at the start, and whether it
// may be written at the end.
#include <cstdio>
#include <cstdlib>

#include "player/settings_file.h"

namespace vplat::player {
namespace {

struct Store {
    std::string path;  // empty: nothing read, nothing to write
    // A file that could not be read and could not be set aside either: the
    // player's, not to be overwritten.
    bool leaveAlone = false;
    std::vector<std::string> lines;
};

Store& TheStore() {
    static Store store;
    return store;
}

// The damaged file renamed to velmora.ini.bad beside the file it is (a link
// at the path stays, and the file written at the end goes where it points).
bool SetAside(const std::string& path, std::string* aside) {
    char target[4096];
    if (realpath(path.c_str(), target) == nullptr) {
        return false;
    }
    *aside = std::string(target) + ".bad";
    return rename(target, aside->c_str()) == 0;
}

}  // namespace

Settings LoadSettingsFile(const std::string& path) {
    Store& store = TheStore();
    store = Store();
    store.path = path;
    Settings settings;
    std::string error;
    if (path.empty()) {
        return settings;
    }
    SettingsFound found = ReadSettings(path, &settings, &error, &store.lines);
    std::string aside;
    if (found == SettingsFound::Damaged && SetAside(path, &aside)) {
        fprintf(stderr, "velmora: settings file %s ignored: %s; kept as %s\n", path.c_str(),
                error.c_str(), aside.c_str());
    } else if (found != SettingsFound::Fine) {
        store.leaveAlone = true;
        fprintf(stderr, "velmora: settings file %s ignored: %s; left as it is, and not written\n",
                path.c_str(), error.c_str());
    }
    return settings;
}

void SaveSettingsFile() {
    const Store& store = TheStore();
    std::string error;
    if (!store.path.empty() && !store.leaveAlone &&
        !WriteSettings(store.path, SavedSettings(), &error, store.lines)) {
        fprintf(stderr, "velmora: settings not saved to %s: %s\n", store.path.c_str(),
                error.c_str());
    }
}

}  // namespace vplat::player
