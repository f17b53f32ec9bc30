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
    int windowX = 0;
    int windowY = 0;
};

// The start-up's choice; it also sets the scaling rule.
void UseSettings(const Settings& settings);
// The settings in force, which the window keeps up to date as the player
// moves, resizes and switches it. Without a choice from the start-up
// (benchmarks open the window directly), VELMORA_WINDOWED alone decides.
Settings& CurrentSettings();

}  // namespace vplat::player
