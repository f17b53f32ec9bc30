// What the player chose for the window (settings file, then environment,
// then command line), in force while the game runs and read back when it
// ends so the next start looks the same. No SDL here.
#pragma once

namespace vplat::player {

struct Settings {
    bool fullscreen = true;
    bool integerScale = true;
    // The window's size; 0 x 0 means the largest whole multiple of the frame
    // that fits the desktop.
    int windowWidth = 0;
    int windowHeight = 0;
    // Where the window was; centred when not placed.
    bool windowPlaced = false;
    // The window frame's top-left corner (the window manager's decoration
    // included), so that putting it back there never moves it.
    int windowX = 0;
    int windowY = 0;
    // A maximised window comes back maximised; the size and place above are
    // then the ones it had before.
    bool windowMaximized = false;
    // --scale N for this run only: a window of N x 640 x 480, never saved.
    int scale = 0;
};

// The start-up's choice: the settings in force for this run (file,
// environment and command line), and the file's own, which is all a run
// writes back apart from what the player changes in the game. It also sets
// the scaling rule.
void UseSettings(const Settings& inForce, const Settings& saved);
void UseSettings(const Settings& settings);
// The settings in force, which the window keeps up to date as the player
// moves, resizes and switches it. Without a choice from the start-up
// (benchmarks open the window directly), VELMORA_WINDOWED alone decides.
Settings& CurrentSettings();
// What the run writes back when it ends.
const Settings& SavedSettings();

// The player's own choices in the game, kept in force and for the next run.
void ChooseFullscreen(bool fullscreen);
void ChooseWindowRect(int x, int y, int width, int height);
void ChooseMaximized(bool maximized);

}  // namespace vplat::player
