// Presenting a frame: the palette conversion straight into a streaming
// texture, then one copy scaled to the screen.
#include <cstring>
#include <string>

#include "backend/backends.h"
#include "backend/convert.h"
#include "backend/viewport.h"
#include "backend/sdl/state.h"

namespace vplat::sdl {
namespace {

bool EnsureTexture(Screen& screen, int width, int height) {
    if (screen.texture != nullptr && screen.textureWidth == width &&
        screen.textureHeight == height) {
        return true;
    }
    if (screen.texture != nullptr) {
        SDL_DestroyTexture(screen.texture);
    }
    screen.texture = SDL_CreateTexture(screen.renderer, SDL_PIXELFORMAT_XRGB8888,
                                       SDL_TEXTUREACCESS_STREAMING, width, height);
    if (screen.texture == nullptr) {
        return false;
    }
    // Sharp pixels: the sprite's one-pixel steps must stay one pixel wide.
    SDL_SetTextureScaleMode(screen.texture, SDL_ScaleModeNearest);
    screen.textureWidth = width;
    screen.textureHeight = height;
    return true;
}

void UpdateTable(Screen& screen, const PALETTEENTRY* palette) {
    if (screen.tableValid &&
        memcmp(screen.tablePalette, palette, sizeof screen.tablePalette) == 0) {
        return;
    }
    memcpy(screen.tablePalette, palette, sizeof screen.tablePalette);
    backend::BuildXrgbTable(palette, screen.table);
    screen.tableValid = true;
}

// Where the picture goes is the viewport's rule. Asked anew each frame:
// full-screen windows change size after they open.
SDL_Rect Letterbox(SDL_Renderer* renderer, int width, int height) {
    int outWidth = width;
    int outHeight = height;
    SDL_GetRendererOutputSize(renderer, &outWidth, &outHeight);
    backend::Viewport fit = backend::FitFrame(outWidth, outHeight);
    return SDL_Rect{fit.x, fit.y, fit.width, fit.height};
}

}  // namespace

// SDL's first choice is a GPU renderer where there is a GPU. Where OpenGL is
// drawn on the processor (llvmpipe) it was still measured faster than SDL's
// software renderer for this one scaled copy (5.3 against 9.2 ms at 1280 x
// 960), so it is kept there too; SDL_RENDER_DRIVER overrides the choice.
SDL_Renderer* OpenRenderer(SDL_Window* window) {
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer == nullptr) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    return renderer;
}

void Present(const uint8_t* pixels, int width, int height, int pitch, const PALETTEENTRY* palette) {
    Screen& screen = TheScreen();
    if (screen.renderer == nullptr || !EnsureTexture(screen, width, height)) {
        return;
    }
    UpdateTable(screen, palette);
    void* texturePixels = nullptr;
    int texturePitch = 0;
    if (SDL_LockTexture(screen.texture, nullptr, &texturePixels, &texturePitch) != 0) {
        return;
    }
    backend::ConvertToXrgb(pixels, pitch, width, height, screen.table,
                           static_cast<uint32_t*>(texturePixels), texturePitch);
    SDL_UnlockTexture(screen.texture);
    SDL_SetRenderDrawColor(screen.renderer, 0, 0, 0, 255);
    SDL_RenderClear(screen.renderer);
    SDL_Rect shown = Letterbox(screen.renderer, width, height);
    SDL_RenderCopy(screen.renderer, screen.texture, nullptr, &shown);
    SDL_RenderPresent(screen.renderer);
    PaceAfterPresent(screen);
}

}  // namespace vplat::sdl
