// The player's settings between runs: one small INI file.
#pragma once

#include <string>

#include "player/settings.h"

namespace vplat::player {

// $XDG_CONFIG_HOME/velmora/velmora.ini, else ~/.config/velmora/velmora.ini;
// empty when neither that variable nor HOME is set.
std::string SettingsPath();
// Fills *settings from the file. A missing file is no fault (true, nothing
// changed). A damaged or unreadable one: false, *settings untouched, *error
// saying what is wrong.
bool ReadSettings(const std::string& path, Settings* settings, std::string* error);
// Writes the whole file anew (through a temporary file, so a crash never
// leaves half of one), making its folder first.
bool WriteSettings(const std::string& path, const Settings& settings, std::string* error);

}  // namespace vplat::player
