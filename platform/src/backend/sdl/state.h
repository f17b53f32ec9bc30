// The SDL back end's window and renderer, shared by its files.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "backend/changes.h"
#include "backend/scale.h"
#include "backend/sdl/present_choice.h"
#include "internal.h"

namespace vplat::sdl {

struct Screen {
    bool started = false;
    SDL_Window* window = nullptr;
    PresentPath path = PresentPath::Auto;
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
    // The surface path: what the window shows, so that only changes are sent.
    SDL_Surface* surface = nullptr;  // the window surface the kept frame is on
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    bool repaintAll = true;  // the window lost its contents (exposed, restored)
    backend::KeptFrame kept;
    backend::ScaleMap scale;
    std::vector<backend::ChangedRect> changed;
    std::vector<SDL_Rect> sent;
};

Screen& TheScreen();
// Opens the GPU renderer, vertical sync where it holds.
SDL_Renderer* OpenRenderer(SDL_Window* window);
void PresentThroughRenderer(Screen& screen, const uint8_t* pixels, int width, int height, int pitch,
                            const PALETTEENTRY* palette);
// False when the window has no surface of a format the path can draw.
bool PresentToSurface(Screen& screen, const uint8_t* pixels, int width, int height, int pitch,
                      const PALETTEENTRY* palette);
// Auto becomes Surface where the GPU renderer would draw on the processor.
PresentPath ResolvePresentPath(PresentPath choice);
// Waits for the display's next refresh where vertical sync does not.
void PaceAfterPresent(Screen& screen);
// Waits out what is left of the last presented frame's period, if anything.
void PaceBeforePresent();
void ResetPacing();

}  // namespace vplat::sdl
