// What the player chose for the window (settings file, then environment,
// then command line), in force while the game runs, and velmora.ini, which
// keeps the player's own choices for the next run. No SDL here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "player/system_files.h"

namespace vplat::player {

// A new Settings holds the defaults of velmora.ini's keys (settings.cpp).
struct Settings {
    Settings();
    bool fullscreen;
    bool integerScale;
    // The window's size; 0 x 0 means the largest whole multiple of the frame
    // that fits the desktop.
    int windowWidth;
    int windowHeight;
    // Where the window was; centred when not placed.
    bool windowPlaced = false;
    // The window frame's top-left corner (the window manager's decoration
    // included), so that putting it back there never moves it.
    int windowX;
    int windowY;
    // A maximised window comes back maximised; the size and place above are
    // then the ones it had before.
    bool windowMaximized;
    // --scale N for this run only: a window of N x 640 x 480, never saved.
    int scale = 0;
};

// Reads the settings file of this run and returns what it holds. A value
// this version cannot use is ignored alone, with one line naming it; a file
// that is not text is set aside under a name of its own (velmora.ini.bad,
// then velmora.ini.bad-2...), said on standard error; one that cannot be
// read is left alone and never written. An empty path (no home folder) is
// said once: nothing is kept.
Settings LoadSettingsFile(const std::string& path);
struct Options;
// The settings file's, with VELMORA_WINDOWED and the command line over them:
// those count for this run only, the later winning.
Settings SettingsForRun(Settings saved, const Options& options);
// The settings in force for this run (the file's, with the environment and
// the command line over them). It also sets the scaling rule.
void UseSettings(const Settings& inForce);
// The settings in force, which the window keeps up to date as the player
// moves, resizes and switches it. Without a choice from the start-up
// (benchmarks open the window directly), VELMORA_WINDOWED alone decides.
Settings& CurrentSettings();

// The player's own choices in the game, in force and kept for the next run.
void ChooseFullscreen(bool fullscreen);
void ChooseWindowRect(int x, int y, int width, int height);
void ChooseMaximized(bool maximized);

// Writes the player's choices into the file LoadSettingsFile read, read
// again now so that the player's own edits during the run stay: only the
// keys the player changed in the game are set (a new file gets every key).
// A read-only file is left as it is, with one line. errno is kept, for a
// caller that is about to report it.
void SaveSettingsFile();

// The settings velmora.ini's text holds, over the defaults; each value
// ignored is said in *ignored. False, with *settings untouched, for a text
// that is no text at all (control bytes: another kind of file).
bool ReadSettingsText(const std::string& text, Settings* settings,
                      std::vector<std::string>* ignored);

}  // namespace vplat::player
