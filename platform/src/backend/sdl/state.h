// The SDL back end's window and renderer, shared by its files.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "internal.h"

namespace vplat::sdl {

struct Screen {
    bool started = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    bool fullscreen = false;
    bool minimised = false;
    // The palette the table was built from; rebuilt only when it changes.
    PALETTEENTRY tablePalette[256] = {};
    bool tableValid = false;
    uint32_t table[256] = {};
};

Screen& TheScreen();
// Opens the renderer that is fast where the player is.
SDL_Renderer* OpenRenderer(SDL_Window* window);
// Waits for the display's next refresh where vertical sync does not.
void PaceAfterPresent(Screen& screen);
void ResetPacing();

}  // namespace vplat::sdl
