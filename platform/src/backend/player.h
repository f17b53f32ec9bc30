// What the player chose for the SDL window (settings file, then environment,
// then command line), handed to the back end before WinMain, and read back
// after it so the next start looks the same. No SDL here: the start-up
// includes it.
#pragma once

namespace vplat::backend {

struct PlayerSettings {
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

}  // namespace vplat::backend

namespace vplat::sdl {

void UsePlayerSettings(const backend::PlayerSettings& settings);
// The settings as the window is now (or was when it closed).
backend::PlayerSettings CurrentPlayerSettings();

}  // namespace vplat::sdl
