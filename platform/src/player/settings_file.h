// The player's settings between runs: one small INI file.
#pragma once

#include <string>
#include <vector>

#include "player/settings.h"

namespace vplat::player {

// $XDG_CONFIG_HOME/velmora/velmora.ini, else ~/.config/velmora/velmora.ini;
// empty when neither that variable nor HOME is set.
std::string SettingsPath();

enum class SettingsFound {
    Fine,        // read, or no file at all
    Damaged,     // a regular file that holds something other than settings
    Unreadable,  // not a regular file, or one that cannot be opened or read
};
// Fills *settings from the file and *lines (when given) with its lines as
// they are. A missing file is no fault (Fine, nothing changed). Otherwise
// than Fine: *settings untouched, *error saying what is wrong.
SettingsFound ReadSettings(const std::string& path, Settings* settings, std::string* error,
                           std::vector<std::string>* lines = nullptr);
// Writes the file anew through a temporary file of this process's own,
// renamed over it (so a crash never leaves half of one, and of two games
// ending together the last wins whole), making its folder first. A symbolic
// link is followed to the file it names. `lines`, the file as it was read,
// are kept where they say what `settings` say, and so are the keys, sections
// and comments this version does not know.
bool WriteSettings(const std::string& path, const Settings& settings, std::string* error,
                   const std::vector<std::string>& lines = {});

// The settings file of this run: read at the start, with a file that cannot
// be read set aside as velmora.ini.bad (or left alone where it cannot be,
// and then never written), said once on standard error.
Settings LoadSettingsFile(const std::string& path);
// Writes what the run saved (SavedSettings) to the file LoadSettingsFile
// read; nothing before that.
void SaveSettingsFile();

}  // namespace vplat::player
